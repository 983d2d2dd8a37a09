#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The one UTF-8 codec. Text is UTF-8 throughout; Windows names are UTF-16 and may
// hold a surrogate that pairs with nothing. Such a unit travels as the three-byte
// sequence of its code point (the form UTF-8 itself forbids), so a name converts to
// UTF-8 and back without loss; everywhere else that sequence is malformed.
// A malformed sequence (a stray continuation byte, a cut-off or overlong sequence, a
// value above U+10FFFF) reads as U+FFFD and consumes one byte, so decoding always
// moves on.
namespace base {

// The character at `pos`, moving `pos` past it; a surrogate's sequence is malformed.
char32_t NextCodepoint(std::string_view text, std::size_t& pos);
std::u32string DecodeUtf8(std::string_view text);
void AppendUtf8(std::string& out, char32_t cp);
std::string EncodeUtf8(std::u32string_view text);

// Length in bytes of the character that starts `text`: a whole, well-formed sequence,
// or 1 for a byte that starts none. With `surrogates`, the three-byte forms of
// U+D800..U+DFFF count as whole characters. 0 for an empty text.
std::size_t FirstCharacterLength(std::string_view text, bool surrogates);

// Surrogate sequences pass as their own units; every other malformed byte becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Surrogate pairs become one four-byte sequence; an unpaired surrogate its own
// three-byte sequence.
std::string Utf16ToUtf8(std::u16string_view text);
// The same UTF-16 units in a wide string, the type Windows' calls take (there
// wchar_t is a UTF-16 unit).
inline std::wstring Utf8ToWide(std::string_view text) {
    const std::u16string units = Utf8ToUtf16(text);
    return {units.begin(), units.end()};
}

// UTF-16 read a unit at a time, for text that arrives a unit per message. A high
// surrogate waits for the next unit: a low one completes the pair as one character;
// anything else leaves it unpaired, as is a low surrogate that follows none. With
// `surrogates` an unpaired surrogate is a character of its own, its code point (a
// Windows name's); without, it reads as U+FFFD (typed text).
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool surrogates) : surrogates_(surrogates) {}
    // The characters `unit` completes: none while a high surrogate waits, two when a
    // waiting one stays unpaired, else one. Valid until the next call.
    std::u32string_view Step(char16_t unit);
    // The waiting high surrogate, unpaired at the text's end; empty when none waits.
    std::u32string_view Finish();

private:
    char32_t Unpaired(char16_t unit) const { return surrogates_ ? unit : U'\xFFFD'; }
    bool surrogates_;
    char16_t high_ = 0;
    char32_t out_[2] = {};
};

}  // namespace base
