#include "ClassInfo.h"

#include <map>

#include "Component.h"

namespace forms {

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == &other) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TPropInfo& p : c->Properties)
            if (p.Name == name) return &p;
    return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TMethodInfo& m : c->Methods)
            if (m.Name == name) return &m;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TFieldInfo& f : c->Fields)
            if (f.Name == name) return &f;
    return nullptr;
}

const TClassInfo* TClassInfo::FindFieldClass(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TFieldInfo& f : c->Fields)
            for (const TClassInfo* t = f.Type; t; t = t->Parent)
                if (t->Name == name) return t;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProperties() const {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent) chain.insert(chain.begin(), c);
    std::vector<const TPropInfo*> out;
    for (const TClassInfo* c : chain)
        for (const TPropInfo& p : c->Properties) {
            bool seen = false;
            for (const TPropInfo*& q : out)
                if (q->Name == p.Name) {
                    q = &p;
                    seen = true;
                }
            if (!seen) out.push_back(&p);
        }
    return out;
}

namespace {
std::map<std::string, const TClassInfo*>& Registry() {
    static std::map<std::string, const TClassInfo*> registry;
    return registry;
}
std::vector<std::pair<std::string, const TClassInfo*>>& Palette() {
    static std::vector<std::pair<std::string, const TClassInfo*>> palette;
    return palette;
}
}  // namespace

void RegisterClass(const TClassInfo& info) { Registry()[info.Name] = &info; }

const TClassInfo* FindClass(const std::string& name) {
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

std::vector<const TClassInfo*> RegisteredClasses() {
    std::vector<const TClassInfo*> out;
    for (const auto& entry : Registry()) out.push_back(entry.second);
    return out;
}

void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* c : classes) Palette().emplace_back(page, c);
}

std::vector<std::pair<std::string, const TClassInfo*>> DesignPalette() { return Palette(); }

int64_t ToInteger(const LayoutValue& v, int64_t lo, int64_t hi) {
    if (v.kind != LayoutValue::Kind::Integer) throw EPropertyError("integer expected");
    if (v.integer < lo || v.integer > hi) throw EPropertyError("value " + std::to_string(v.integer) + " out of range");
    return v.integer;
}

bool ToBool(const LayoutValue& v) {
    if (v.kind == LayoutValue::Kind::Identifier) {
        if (v.text == "True") return true;
        if (v.text == "False") return false;
    }
    throw EPropertyError("True or False expected");
}

TColor ToColor(const LayoutValue& v) {
    if (v.kind == LayoutValue::Kind::Integer) {
        if (v.integer < -2147483648LL || v.integer > 0xFFFFFFFFLL) throw EPropertyError("colour out of range");
        return static_cast<TColor>(static_cast<uint32_t>(v.integer));
    }
    if (v.kind == LayoutValue::Kind::Identifier)
        if (auto c = ColorFromName(v.text)) return *c;
    throw EPropertyError("unknown colour " + v.text);
}

int64_t ToEnum(const LayoutValue& v, const NameTable& names) {
    if (v.kind == LayoutValue::Kind::Identifier) {
        for (const auto& n : names)
            if (n.first == v.text) return n.second;
        throw EPropertyError("unknown value " + v.text);
    }
    if (v.kind == LayoutValue::Kind::Integer) {
        for (const auto& n : names)
            if (n.second == v.integer) return v.integer;
        throw EPropertyError("value " + std::to_string(v.integer) + " out of range");
    }
    throw EPropertyError("enumeration value expected");
}

int64_t ToSet(const LayoutValue& v, const NameTable& names) {
    if (v.kind != LayoutValue::Kind::Set) throw EPropertyError("set expected");
    int64_t bits = 0;
    for (const std::string& item : v.items) {
        bool found = false;
        for (const auto& n : names)
            if (n.first == item) {
                bits |= n.second;
                found = true;
            }
        if (!found) throw EPropertyError("unknown value " + item);
    }
    return bits;
}

const std::string& ToString(const LayoutValue& v) {
    if (v.kind != LayoutValue::Kind::String) throw EPropertyError("string expected");
    return v.text;
}

std::string SetText(const NameTable& names, int64_t bits) {
    std::string out = "[";
    for (const auto& n : names)
        if (bits & n.second) out += (out.size() > 1 ? ", " : "") + n.first;
    return out + "]";
}

std::string NameOf(const NameTable& names, int64_t value) {
    for (const auto& n : names)
        if (n.second == value) return n.first;
    return std::to_string(value);
}

}  // namespace forms
