#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace forms {

// One property value as a stored layout writes it.
struct LayoutValue {
    enum class Kind { Integer, String, Identifier, Set, Binary };
    Kind kind = Kind::Integer;
    int64_t integer = 0;
    std::string text;                // String (UTF-8) or Identifier
    std::vector<std::string> items;  // Set
    std::vector<uint8_t> bytes;      // Binary

    static LayoutValue Int(int64_t v) {
        LayoutValue r;
        r.kind = Kind::Integer;
        r.integer = v;
        return r;
    }
    static LayoutValue Str(std::string v) {
        LayoutValue r;
        r.kind = Kind::String;
        r.text = std::move(v);
        return r;
    }
    static LayoutValue Ident(std::string v) {
        LayoutValue r;
        r.kind = Kind::Identifier;
        r.text = std::move(v);
        return r;
    }
    static LayoutValue SetOf(std::vector<std::string> v) {
        LayoutValue r;
        r.kind = Kind::Set;
        r.items = std::move(v);
        return r;
    }
    static LayoutValue Bin(std::vector<uint8_t> v) {
        LayoutValue r;
        r.kind = Kind::Binary;
        r.bytes = std::move(v);
        return r;
    }
};

}  // namespace forms
