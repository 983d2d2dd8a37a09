#pragma once
#include <string>
#include <string_view>

namespace forms {

// Text is UTF-8 throughout the library. A malformed sequence (a stray continuation
// byte, a truncated or overlong sequence, a surrogate, a value above U+10FFFF) reads
// as U+FFFD and consumes one byte, so decoding always moves on.
char32_t NextCodepoint(std::string_view text, size_t& pos);
std::u32string DecodeUtf8(std::string_view text);
void AppendUtf8(std::string& out, char32_t cp);
std::string EncodeUtf8(std::u32string_view text);

}  // namespace forms
