#include "PropertyValues.h"

#include <string>

#include "Exceptions.h"

namespace forms {

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
