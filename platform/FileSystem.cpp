#include "FileSystem.h"

#include <algorithm>

#include "FileSystemInternal.h"

namespace platform {

namespace {

thread_local Failure g_lastFailure = Failure::None;
WriteObserver g_writeObserver = nullptr;

// No file system in use holds longer names; network drives have been seen to say
// 4096 for a server that holds 255.
constexpr std::size_t kLongestNameCap = 255;

void AfterWrite() {
    if (g_writeObserver) g_writeObserver();
}

}  // namespace

namespace internal {

bool Written(bool done) {
    g_lastFailure = done ? Failure::None : SystemFailure();
    AfterWrite();
    return done;
}

bool Failed(Failure why) {
    g_lastFailure = why;
    AfterWrite();
    return false;
}

void ListingEnded(Failure why) { g_lastFailure = why; }

bool MoveFailed(Failure said, const std::string& folder, std::string_view name) {
    // Some FUSE drivers refuse a name longer than their disk holds as "not permitted"
    // or "invalid", and wine as a missing path; the name's length is the true cause.
    return Failed(NameLength(name) > LongestName(folder) ? Failure::NameTooLong : said);
}

}  // namespace internal

void SetWriteObserver(WriteObserver observer) { g_writeObserver = observer; }

Failure LastFailure() { return g_lastFailure; }

std::size_t LongestName(const std::string& folder) {
    const std::size_t said = internal::SystemLongestName(folder);
    return said == 0 ? kLongestNameCap : std::min(said, kLongestNameCap);
}

bool Relink(const std::string& from, const std::string& to, const std::string& text) {
    if (const std::optional<std::string> there = LinkText(to)) {
        if (*there != text || !LinkText(from)) return internal::Failed(Failure::Taken);
        return internal::Written(internal::RemoveName(from));  // the new link was made before the pass ended
    }
    if (!internal::Written(internal::MakeLink(to, text))) return false;
    return internal::Written(internal::RemoveName(from));
}

bool IsMadeUpName(std::string_view name) {
    const auto hash = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); };
    if (name.size() < 8 || name.size() > 12 || name[6] != '~' || !hash(name[7])) return false;
    if (static_cast<unsigned char>(name[0]) < 0x21 || static_cast<unsigned char>(name[0]) > 0x7E) return false;
    for (std::size_t i = 1; i < 6; ++i)
        if (!hash(name[i])) return false;
    if (name.size() == 8) return true;
    if (name[8] != '.' || name.size() == 9) return false;
    for (std::size_t i = 9; i < name.size(); ++i)
        if (static_cast<unsigned char>(name[i]) < 0x21 || static_cast<unsigned char>(name[i]) > 0x7E) return false;
    return true;
}

}  // namespace platform
