#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include "base/Utf8.h"

namespace {

struct LengthCase {
    const char* label;
    std::string text;
    std::size_t strict;      // surrogates not characters (Linux names)
    std::size_t surrogates;  // surrogates are characters (Windows names)
};

}  // namespace

TEST(FirstCharacterLength, Table) {
    const LengthCase cases[] = {
        {"empty", "", 0, 0},
        {"ASCII", "abc", 1, 1},
        {"two bytes", "\xCE\xA9mega", 2, 2},
        {"three bytes", "\xE6\x97\xA5\xE6\x9C\xAC", 3, 3},
        {"four bytes", "\xF0\x9F\x8E\xA4mic", 4, 4},
        {"last valid code point", "\xF4\x8F\xBF\xBF", 4, 4},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 1, 1},
        {"stray continuation byte", "\x80x", 1, 1},
        {"byte that starts nothing", "\xFFx", 1, 1},
        {"cut off by the end", "\xE6\x97", 1, 1},
        {"cut off by an ASCII byte", "\xE6\x97x", 1, 1},
        {"overlong two bytes", "\xC0\xAF", 1, 1},
        {"overlong three bytes", "\xE0\x80\xAF", 1, 1},
        {"overlong four bytes", "\xF0\x80\x80\xAF", 1, 1},
        {"high surrogate", "\xED\xA0\x80x", 1, 3},
        {"low surrogate", "\xED\xBF\xBFx", 1, 3},
        {"last before the surrogates", "\xED\x9F\xBF", 3, 3},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(platform::FirstCharacterLength(c.text, false), c.strict);
        EXPECT_EQ(platform::FirstCharacterLength(c.text, true), c.surrogates);
    }
}

TEST(Utf16, ConvertsBothWays) {
    const std::string text = "a\xCE\xA9\xE6\x97\xA5\xF0\x9F\x8E\xA4";
    const std::u16string units = u"a\u03A9\u65E5\U0001F3A4";
    EXPECT_EQ(platform::Utf8ToUtf16(text), units);
    EXPECT_EQ(platform::Utf16ToUtf8(units), text);
}

namespace {

// UTF-16 units as a Windows name holds them and as WM_CHAR types them.
struct Utf16Case {
    const char* label;
    std::u16string units;
    std::u32string name;   // an unpaired surrogate is its own code point
    std::u32string typed;  // an unpaired surrogate is U+FFFD
};

// The characters a decoder reads, a unit at a time as messages bring them.
std::u32string Stepped(const std::u16string& units, bool surrogates) {
    base::Utf16Decoder decoder(surrogates);
    std::u32string out;
    for (char16_t unit : units) out += decoder.Step(unit);
    return out += decoder.Finish();
}

}  // namespace

TEST(Utf16, UnpairedSurrogatesSurviveTheRoundTrip) {
    const Utf16Case cases[] = {
        {"lone high between letters", {u'a', char16_t(0xD800), u'b'}, {U'a', 0xD800, U'b'}, U"a\uFFFDb"},
        {"lone low", {char16_t(0xDC00)}, {0xDC00}, U"\uFFFD"},
        {"reversed pair: two units, not one character",
         {char16_t(0xDC00), char16_t(0xD800)},
         {0xDC00, 0xD800},
         U"\uFFFD\uFFFD"},
        {"high surrogate at the end", {u'x', char16_t(0xD83C)}, {U'x', 0xD83C}, U"x\uFFFD"},
        {"pair", {char16_t(0xD83C), char16_t(0xDFB5)}, U"\U0001F3B5", U"\U0001F3B5"},
        {"two highs, the second paired",
         {char16_t(0xD800), char16_t(0xD83C), char16_t(0xDFB5)},
         {0xD800, 0x1F3B5},
         U"\uFFFD\U0001F3B5"},
        {"pair, then a lone low",
         {char16_t(0xD83C), char16_t(0xDFB5), char16_t(0xDFB5)},
         {0x1F3B5, 0xDFB5},
         U"\U0001F3B5\uFFFD"},
        {"last unit before the surrogates, first after",
         {char16_t(0xD7FF), char16_t(0xE000)},
         {0xD7FF, 0xE000},
         {0xD7FF, 0xE000}},
    };
    for (const Utf16Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string utf8 = platform::Utf16ToUtf8(c.units);
        EXPECT_EQ(platform::Utf8ToUtf16(utf8), c.units);
        EXPECT_EQ(utf8, base::EncodeUtf8(c.name));
        EXPECT_EQ(Stepped(c.units, true), c.name);
        EXPECT_EQ(Stepped(c.units, false), c.typed);
    }
    EXPECT_EQ(platform::Utf16ToUtf8(std::u16string{char16_t(0xD800), u'b'}),
              "\xED\xA0\x80"
              "b");
}

TEST(Utf16, BytesThatStartNoCharacterBecomeReplacementCharacters) {
    EXPECT_EQ(platform::Utf8ToUtf16("a\xFF"
                                    "b\xE6\x97"),
              (std::u16string{u'a', 0xFFFD, u'b', 0xFFFD, 0xFFFD}));
}
