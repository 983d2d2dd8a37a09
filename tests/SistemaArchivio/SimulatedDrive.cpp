#include "tests/SistemaArchivio/SimulatedDrive.h"

#include <cctype>
#include <vector>

#include "platform/Path.h"
#include "base/Utf8.h"
#include "tests/platform/TempTree.h"

namespace sim {

namespace {

using platform::Failure;

std::vector<std::string> Parts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t at = platform::path::RootLength(path); at <= path.size(); ++at) {
        if (at < path.size() && !platform::path::IsSeparator(path[at])) {
            part += path[at];
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

}  // namespace

bool WindowsHolds(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    if (name.empty() || name.back() == '.' || name.back() == ' ') return name == "." || name == "..";
    std::string base(name.substr(0, name.find('.')));
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* reserved : {"CON", "PRN", "AUX", "NUL"})
        if (base == reserved) return false;
    return !(base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
             base[3] <= '9');
}

long SimulatedDrive::LastFault() const {
    long last = std::max({endAt, appearAt, silentFrom + silentCalls});
    return faults.empty() ? last : std::max(last, faults.rbegin()->first);
}

Failure SimulatedDrive::Fault() {
    const long call = calls++;
    if (call == appearAt) Put(appearPath, Node::File, appearContent);
    if (call == endAt) throw Ended{};
    if (call >= silentFrom && call < silentFrom + silentCalls) return Failure::NoAnswer;
    const auto fault = faults.find(call);
    return fault == faults.end() ? Failure::None : fault->second;
}

bool SimulatedDrive::Fail(Failure failure) {
    last_ = failure;
    return failure == Failure::None;
}

std::string SimulatedDrive::Key(std::string_view name) const {
    return rules.foldsCase ? testtree::FoldCase(name) : std::string(name);
}

// A name a share cannot pass on, as hash2 makes one up: its first character, five
// hash characters, a tilde, one more, and the extension in capitals.
std::string SimulatedDrive::Listed(const std::string& kept) const {
    if (!rules.makesUpNames || WindowsHolds(kept)) return kept;
    const auto hashChar = [](std::size_t h) { return "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[h % 36]; };
    const unsigned char first = static_cast<unsigned char>(kept[0]);
    std::string made(1, first > 0x20 && first < 0x7F && WindowsHolds(kept.substr(0, 1)) ? std::toupper(first) : '_');
    std::size_t h = std::hash<std::string>()(kept);
    for (int i = 0; i < 5; ++i, h /= 36) made += hashChar(h);
    made += '~';
    made += hashChar(h);
    const std::size_t dot = kept.rfind('.');
    if (dot != std::string::npos && dot > 0 && kept.size() - dot >= 2 && kept.size() - dot <= 4) {
        made += '.';
        for (const char c : kept.substr(dot + 1))
            made += WindowsHolds(std::string(1, c)) && c > 0x20 && c < 0x7F ? static_cast<char>(std::toupper(c)) : '_';
    }
    return made;
}

bool SimulatedDrive::Holds(std::string_view name) const {
    const std::size_t length = rules.countsUnits ? base::Utf8ToUtf16(name).size() : name.size();
    return length <= 255 && ((!rules.windowsNames && !rules.makesUpNames) || WindowsHolds(name));
}

// Walks `path` by the drive's rules, following every link on the way.
SimulatedDrive::Found SimulatedDrive::Find(const std::string& path, bool followLast, int depth) const {
    const std::vector<std::string> parts = Parts(path);
    const std::string root = path.substr(0, platform::path::RootLength(path));
    std::vector<std::pair<std::shared_ptr<Node>, std::string>> way{{root_, root}};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto& [folder, at] = way.back();
        const bool last = i + 1 == parts.size();
        if (parts[i] == "." || parts[i] == "..") {
            if (parts[i] == ".." && way.size() > 1) way.pop_back();
            if (last) return {way.back().first, nullptr, way.back().second};
            continue;
        }
        if (folder->kind != Node::Folder || depth > 40) return {};
        auto child = folder->children.find(parts[i]);
        const std::string key = Key(parts[i]);
        if (child == folder->children.end()) child = folder->children.begin();
        while (child != folder->children.end() && child->first != parts[i] && Key(child->first) != key &&
               (!rules.makesUpNames || Listed(child->first) != parts[i]))
            ++child;
        if (child == folder->children.end())
            return last ? Found{nullptr, folder, platform::path::Join(at, parts[i])} : Found{};
        const std::string kept = platform::path::Join(at, child->first);
        if (child->second->kind == Node::Link && (!last || followLast)) {
            std::string rest = child->second->content;
            if (!platform::path::RootLength(rest)) rest = platform::path::Join(at, rest);
            for (std::size_t j = i + 1; j < parts.size(); ++j) rest = platform::path::Join(rest, parts[j]);
            return Find(rest, followLast, depth + 1);
        }
        if (last) return {child->second, folder, kept};
        way.emplace_back(child->second, kept);
    }
    return {way.back().first, nullptr, way.back().second};
}

void SimulatedDrive::Put(const std::string& path, Node::Kind kind, const std::string& content) {
    std::string folder = path.substr(0, platform::path::RootLength(path));
    for (const std::string& part : Parts(platform::path::Parent(path))) {
        folder = platform::path::Join(folder, part);
        if (!Find(folder).node) Attach(Find(folder), std::make_shared<Node>());
    }
    const Found at = Find(path, false);
    if (at.parent && !at.node) Attach(at, std::make_shared<Node>(Node{kind, content, false, {}}));
}

std::map<std::string, std::string> SimulatedDrive::Read() const {
    std::map<std::string, std::string> tree;
    std::vector<std::pair<std::string, const Node*>> open{{"", root_.get()}};
    while (!open.empty()) {
        const auto [path, node] = open.back();
        open.pop_back();
        for (const auto& [name, child] : node->children) {
            const std::string at = path + "/" + name;
            tree[at] = child->kind == Node::Folder ? "/"
                       : child->kind == Node::Link ? "-> " + child->content
                                                   : child->content;
            if (child->kind == Node::Folder) open.emplace_back(at, child.get());
        }
    }
    return tree;
}

Failure SimulatedDrive::NewName(const Found& at) {
    if (!at.parent) return Failure::Missing;
    if (at.node) return Failure::Taken;
    const std::string name(platform::path::BaseName(at.path));
    const std::size_t length = rules.countsUnits ? base::Utf8ToUtf16(name).size() : name.size();
    if (length > 255) return Failure::NameTooLong;
    return rules.windowsNames && !WindowsHolds(name) ? Failure::BadName : Failure::None;
}

bool SimulatedDrive::Attach(const Found& at, std::shared_ptr<Node> node) {
    at.parent->children[std::string(platform::path::BaseName(at.path))] = std::move(node);
    return Fail(Failure::None);
}

void SimulatedDrive::Detach(const Found& at) {
    for (auto child = at.parent->children.begin(); child != at.parent->children.end(); ++child)
        if (child->second == at.node) return void(at.parent->children.erase(child));
}

bool SimulatedDrive::ForEachEntry(const std::string& folder, const std::function<bool(const platform::Entry&)>& visit) {
    if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    const Found at = Find(folder);
    if (!at.node || at.node->kind != Node::Folder) return Fail(Failure::Missing);
    std::vector<std::string> names;
    for (const auto& child : at.node->children) names.push_back(child.first);
    for (const std::string& name : names) {
        const auto child = at.node->children.find(name);
        if (child == at.node->children.end()) continue;
        if (const Failure failure = Fault(); failure != Failure::None) return !Fail(failure);  // ended early
        // The listing tells a folder by its type, without a call of its own.
        const std::string path = platform::path::Join(at.path, name);
        if (!visit({Listed(name), AttributesOf(Find(path)), child->second->kind == Node::Link})) return true;
    }
    return Fail(Failure::None) || true;  // a listing that ran to its end clears the last failure
}

std::uint32_t SimulatedDrive::Attributes(const std::string& path) {
    return Silent() ? platform::kInvalidAttributes : AttributesOf(Find(path));
}

std::uint32_t SimulatedDrive::AttributesOf(const Found& at) {
    if (!at.node || at.node->kind == Node::Link) return platform::kInvalidAttributes;
    return at.node->kind == Node::Folder ? platform::kAttributeDirectory
                                         : platform::kAttributeArchive | (at.node->readOnly ? 1u : 0u);
}

bool SimulatedDrive::IsLink(const std::string& path) {
    if (Silent()) return false;
    const Found at = Find(path, false);
    return at.node && at.node->kind == Node::Link;
}

std::string SimulatedDrive::LinkTarget(const std::string& path) {
    if (Silent()) return {};
    const Found at = Find(path);
    return at.node && at.node->kind != Node::Link ? at.path : std::string();
}

bool SimulatedDrive::SameFile(const std::string& a, const std::string& b) {
    if (Silent()) return false;
    const Found one = Find(a, false), other = Find(b, false);
    return one.node && one.node == other.node;
}

bool SimulatedDrive::SameDevice(const std::string& a, const std::string& b) {
    return !Silent() && Find(a).node && Find(b).node;
}

bool SimulatedDrive::MakeWritable(const std::string& path) {
    if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    const Found at = Find(path, false);
    if (!at.node) return Fail(Failure::Missing);
    if (at.node->kind != Node::Link) at.node->readOnly = false;
    return Fail(Failure::None);
}

bool SimulatedDrive::Move(const std::string& from, const std::string& to, platform::Renames& renames) {
    if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    const Found source = Find(from, false), target = Find(to, false);
    if (!source.node || !source.parent) return Fail(Failure::Missing);
    if (renames == platform::Renames::Unknown)
        renames = rules.noReplace ? platform::Renames::NoReplace : platform::Renames::CheckFirst;
    // Told the name is free, a drive without RENAME_NOREPLACE replaces what is there.
    const bool replaces = renames == platform::Renames::KnownFree && !rules.noReplace;
    if (const Failure failure = NewName(target); failure != Failure::None && !(replaces && target.node))
        return Fail(failure);
    if (target.node) Detach(target);
    Detach(source);
    if (!rules.trustsFolders && source.node->kind == Node::Folder) source.node->children.clear();
    return Attach(target, source.node);
}

bool SimulatedDrive::RemoveSecondName(const std::string& path, const std::string& other) {
    if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    const Found at = Find(path, false);
    if (!at.node || at.node->kind == Node::Folder || at.node != Find(other, false).node) return Fail(Failure::Other);
    Detach(at);
    return Fail(Failure::None);
}

bool SimulatedDrive::RemoveEmptyFolder(const std::string& path) {
    if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    const Found at = Find(path, false);
    if (!at.node || !at.parent || at.node->kind != Node::Folder) return Fail(Failure::Missing);
    if (!at.node->children.empty()) return Fail(Failure::Taken);
    Detach(at);
    return Fail(Failure::None);
}

bool SimulatedDrive::MakeFolder(const std::string& path) {
    if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    const Found at = Find(path, false);
    if (const Failure failure = NewName(at); failure != Failure::None) return Fail(failure);
    return Attach(at, std::make_shared<Node>());
}

std::optional<std::string> SimulatedDrive::LinkText(const std::string& path) {
    if (Silent()) return std::nullopt;
    const Found at = Find(path, false);
    if (!at.node || at.node->kind != Node::Link) return std::nullopt;
    return at.node->content;
}

// As the system's: the new link first, then the old one goes; a new link already
// holding the text is one a pass ended between the two.
bool SimulatedDrive::Relink(const std::string& from, const std::string& to, const std::string& text) {
    if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    const Found source = Find(from, false), target = Find(to, false);
    if (!source.node || source.node->kind != Node::Link) return Fail(Failure::Missing);
    if (target.node && (target.node->kind != Node::Link || target.node->content != text)) return Fail(Failure::Taken);
    if (!target.node) {
        if (const Failure failure = NewName(target); failure != Failure::None) return Fail(failure);
        Attach(target, std::make_shared<Node>(Node{Node::Link, text, false, {}}));
        if (const Failure failure = Fault(); failure != Failure::None) return Fail(failure);
    }
    Detach(source);
    return Fail(Failure::None);
}

}  // namespace sim
