#include "Utf8.h"

namespace base {

namespace {

// The character at the start of `text`; returns its length, 0 when none starts there.
std::size_t Decode(std::string_view text, bool surrogates, char32_t& code) {
    if (text.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (b0 < 0x80) {
        code = b0;
        return 1;
    }
    std::size_t length;
    char32_t minimum;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = b0 & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0) != 0x80) return 0;
        code = (code << 6) | (b & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF) return 0;
    if (code >= 0xD800 && code <= 0xDFFF && !surrogates) return 0;
    return length;
}

}  // namespace

char32_t NextCodepoint(std::string_view text, std::size_t& pos) {
    char32_t code = 0;
    const std::size_t length = Decode(text.substr(pos), false, code);
    pos += length ? length : 1;
    return length ? code : 0xFFFD;
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    for (std::size_t pos = 0; pos < text.size();) out += NextCodepoint(text, pos);
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    for (char32_t cp : text) AppendUtf8(out, cp);
    return out;
}

std::size_t FirstCharacterLength(std::string_view text, bool surrogates) {
    if (text.empty()) return 0;
    char32_t code;
    const std::size_t length = Decode(text, surrogates, code);
    return length ? length : 1;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        char32_t code;
        std::size_t length = Decode(text, true, code);
        if (length == 0) {
            code = 0xFFFD;
            length = 1;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 | (code >> 10));
            out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        text.remove_prefix(length);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    Utf16Decoder decoder(true);
    for (char16_t unit : text)
        for (char32_t code : decoder.Step(unit)) AppendUtf8(out, code);
    for (char32_t code : decoder.Finish()) AppendUtf8(out, code);
    return out;
}

std::u32string_view Utf16Decoder::Step(char16_t unit) {
    const char16_t high = high_;
    high_ = 0;
    std::size_t count = 0;
    if (unit >= 0xDC00 && unit <= 0xDFFF && high) {
        out_[count++] = 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00);
        return {out_, count};
    }
    if (high) out_[count++] = Unpaired(high);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        high_ = unit;
    } else {
        out_[count++] = unit >= 0xDC00 && unit <= 0xDFFF ? Unpaired(unit) : unit;
    }
    return {out_, count};
}

std::u32string_view Utf16Decoder::Finish() {
    if (!high_) return {};
    out_[0] = Unpaired(high_);
    high_ = 0;
    return {out_, 1};
}

}  // namespace base
