#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 as the platform layer carries it. Windows names are UTF-16 and may hold a
// surrogate that pairs with nothing; such a unit travels as the three-byte sequence of
// its code point (the form UTF-8 itself forbids), so a name converts to UTF-8 and back
// without loss.
namespace platform {

// Length in bytes of the character that starts `text`: a whole, well-formed UTF-8
// sequence, or 1 for a byte that starts none (a stray continuation byte, a cut-off or
// overlong sequence, a value above U+10FFFF). With `surrogates`, the three-byte forms
// of U+D800..U+DFFF count as whole characters. 0 for an empty text.
std::size_t FirstCharacterLength(std::string_view text, bool surrogates);

// Each byte that starts no character becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Surrogate pairs become one four-byte sequence; an unpaired surrogate its own
// three-byte sequence.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace platform
