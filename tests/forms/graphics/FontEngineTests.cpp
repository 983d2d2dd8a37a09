// The software canvas's font engine: font matching and metrics, Windows' synthesised
// bold, character fallback, the glyph cache and UTF-8 decoding. The MS Sans Serif
// cases need Debian's fonts-wine (its Windows bitmap fonts); the others need only
// fontconfig with fonts-dejavu-core. The metrics arithmetic and the glyph synthesis
// are checked on their own numbers too, without a font.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "forms/graphics/Bitmap.h"
#include "forms/graphics/software/FontEngine.h"
#include "forms/graphics/software/FontMetrics.h"
#include "forms/graphics/software/GlyphSynthesis.h"

using namespace forms;

namespace {

TFontSpec Spec(int32_t height, TFontStyles style = 0, const char* name = "MS Sans Serif") {
    TFontSpec s;
    s.Name = name;
    s.Height = height;
    s.Style = style;
    return s;
}

RasterFont& FontFor(int32_t height, TFontStyles style = 0, const char* name = "MS Sans Serif") {
    return FontEngine::Instance().Font(Spec(height, style, name));
}

int32_t Width(int32_t height, TFontStyles style, const char* text) { return FontFor(height, style).Extent(text).cx; }

int InkOf(const RenderedGlyph& g) {
    int n = 0;
    for (uint8_t m : g.mask) n += m != 0;
    return n;
}

TEST(FontEngine, MsSansSerifCellsAreWindowsCells) {
    // Character height (negative) or cell height (positive) -> cell and ascent of the
    // 8, 10, 12 and 14 point sizes at 96 dpi.
    const struct {
        int32_t height;
        int32_t cell;
        int32_t ascent;
    } table[] = {{-11, 13, 11}, {-13, 16, 13}, {-16, 20, 16}, {-19, 24, 19}, {13, 13, 11},
                 {16, 16, 13},  {20, 20, 16},  {24, 24, 19},  {0, 13, 11}};
    for (const auto& row : table) {
        SCOPED_TRACE("Height " + std::to_string(row.height));
        RasterFont& font = FontFor(row.height);
        EXPECT_EQ(font.Metrics().height, row.cell);
        EXPECT_EQ(font.Metrics().ascent, row.ascent);
        EXPECT_EQ(font.Extent("").cy, row.cell);
        EXPECT_EQ(font.Extent("Hg").cy, row.cell);
        EXPECT_EQ(FontFor(row.height, fsBold).Metrics().height, row.cell) << "bold keeps the cell";
    }
}

TEST(FontEngine, MsSansSerifComesFromTheWindowsBitmapStrikes) {
    for (int32_t h : {-11, -13, -16}) {
        const std::string& source = FontFor(h).Source();
        EXPECT_NE(source.find("sserife.fon"), std::string::npos) << h << ": " << source;
        EXPECT_NE(source.find("px strike"), std::string::npos) << h << ": " << source;
    }
    // The package has no 14-point strike: an outline font stands in, in the 14-point
    // cell, with its own bold face where it has one.
    EXPECT_NE(FontFor(-19).Source().find("in place of"), std::string::npos) << FontFor(-19).Source();
    EXPECT_NE(FontFor(-19, fsBold).Source(), FontFor(-19).Source());
    EXPECT_EQ(FontFor(-19, fsBold).Metrics().overhang, 0);
    // Cell height 13 and character height 11 name the same font.
    EXPECT_EQ(FontFor(13).Source(), FontFor(-11).Source());
    EXPECT_EQ(FontFor(13).Extent("Annulla"), FontFor(-11).Extent("Annulla"));
}

TEST(FontEngine, EightPointAdvancesAreTheStrikesOwn) {
    // The 8-point strike's advances: O 8, K 7, A 7, n 6, u 6, l 2, a 6, 1 6, 0 6, % 8, space 3.
    EXPECT_EQ(Width(-11, 0, "OK"), 15);
    EXPECT_EQ(Width(-11, 0, "Annulla"), 35);
    EXPECT_EQ(Width(-11, 0, "100%"), 26);
    EXPECT_EQ(Width(-11, 0, "Annulla Stampa"), 74);
}

TEST(FontEngine, SynthesisedBoldAddsAPixelPerCharacterAndOneOverhang) {
    const char* texts[] = {"OK", "l'Help", "Coverti Archivio", "1", " "};
    for (int32_t h : {-11, -13, -16})
        for (const char* t : texts) {
            const int32_t n = static_cast<int32_t>(std::string(t).size());
            EXPECT_EQ(Width(h, fsBold, t), Width(h, 0, t) + n + 1) << h << " \"" << t << "\"";
        }
    EXPECT_EQ(Width(-13, fsBold, ""), 0) << "no overhang without text";
    EXPECT_EQ(FontFor(-13, fsBold).Metrics().overhang, 1);
    EXPECT_EQ(FontFor(-13).Metrics().overhang, 0);

    // The glyph is drawn twice, one pixel apart.
    for (char32_t c : {U'H', U'e', U'l', U'%'}) {
        const RenderedGlyph& r = FontFor(-13).Glyph(c);
        const RenderedGlyph& b = FontFor(-13, fsBold).Glyph(c);
        ASSERT_EQ(b.width, r.width + 1);
        ASSERT_EQ(b.height, r.height);
        EXPECT_EQ(b.advance, r.advance + 1);
        EXPECT_EQ(b.left, r.left);
        EXPECT_EQ(b.top, r.top);
        for (int32_t y = 0; y < b.height; ++y)
            for (int32_t x = 0; x < b.width; ++x) {
                auto reg = [&](int32_t xx) { return xx >= 0 && xx < r.width && r.mask[y * r.width + xx] != 0; };
                EXPECT_EQ(b.mask[y * b.width + x] != 0, reg(x) || reg(x - 1)) << char(c) << " at " << x << "," << y;
            }
    }
}

TEST(FontEngine, MeasuredExtentsOfTheDialogTexts) {
    // The dialogs' stored layouts size their labels from these: "l'Help" 42 and "1" 9
    // pixels wide on Windows, which these extents reproduce.
    const struct {
        int32_t height;
        TFontStyles style;
        const char* text;
        TSize extent;
    } table[] = {
        {-16, fsBold, "Coverti Archivio", {125, 20}},
        {-13, fsBold, "l'Help", {42, 16}},
        {-13, fsBold, "versione 1.0.0.3b", {118, 16}},
        {-13, fsBold, "Supporto al programma Vocarium", {233, 16}},
        {-13, fsBold, "leggere", {55, 16}},
        {-13, fsBold, "per informazioni", {111, 16}},
        {-13, fsBold, "1", {9, 16}},
        {-13, fsBold, "Preparazione in corso per la stampa della pagina", {343, 16}},
        {-16, fsBold, "Inserisci il nuovo Codice PIN", {228, 20}},
        {-11, 0, "100%", {26, 13}},
        {-11, 0, "OK", {15, 13}},
        {-11, 0, "Annulla", {35, 13}},
        {-11, 0, "Annulla Stampa", {74, 13}},
    };
    for (const auto& row : table) {
        const TSize got = FontFor(row.height, row.style).Extent(row.text);
        EXPECT_EQ(got.cx, row.extent.cx) << row.height << (row.style ? " bold \"" : " \"") << row.text << "\"";
        EXPECT_EQ(got.cy, row.extent.cy) << row.text;
    }
}

TEST(FontEngine, BitmapGlyphsStayInsideTheirCell) {
    for (int32_t h : {-11, -13, -16})
        for (TFontStyles style : {TFontStyles{0}, TFontStyles{fsBold}}) {
            RasterFont& font = FontFor(h, style);
            for (char32_t c = 0x20; c <= 0xFF; ++c) {
                if (c >= 0x7F && c < 0xA0) continue;
                const RenderedGlyph& g = font.Glyph(c);
                ASSERT_EQ(g.mask.size(), static_cast<size_t>(g.width) * static_cast<size_t>(g.height));
                for (int32_t y = 0; y < g.height; ++y)
                    for (int32_t x = 0; x < g.width; ++x) {
                        if (!g.mask[y * g.width + x]) continue;
                        EXPECT_TRUE(g.left + x >= 0 && g.left + x < g.advance)
                            << h << " U+" << std::hex << static_cast<unsigned>(c);
                        EXPECT_TRUE(g.top + y >= 0 && g.top + y < font.Metrics().height)
                            << h << " U+" << std::hex << static_cast<unsigned>(c);
                    }
            }
        }
}

TEST(FontEngine, Windows1252CharactersComeFromTheStrikeOthersFromAFallback) {
    RasterFont& font = FontFor(-11);
    // A strike's glyph is a full cell high; a fallback outline glyph is cut to its ink.
    for (char32_t c : {U'\u20AC', U'\u2019', U'\u2014', U'\u00E8', U'\u0160'}) {
        const RenderedGlyph& g = font.Glyph(c);
        EXPECT_EQ(g.top, 0) << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(g.height, 13) << std::hex << static_cast<unsigned>(c);
        EXPECT_GT(InkOf(g), 0) << std::hex << static_cast<unsigned>(c);
    }
    const RenderedGlyph& zhe = font.Glyph(U'\u0416');  // Cyrillic
    const RenderedGlyph& de = font.Glyph(U'\u0414');
    const RenderedGlyph& lambda = font.Glyph(U'\u03BB');  // Greek
    for (const RenderedGlyph* g : {&zhe, &de, &lambda}) {
        EXPECT_GT(InkOf(*g), 0);
        EXPECT_LT(g->height, 13);
        EXPECT_GE(g->top, 0) << "on the strike's baseline, inside the cell";
        EXPECT_LE(g->top + g->height, 13);
        EXPECT_GT(g->advance, 0);
    }
    EXPECT_NE(zhe.mask, de.mask) << "real glyphs, not one default box";
}

TEST(FontEngine, OutlineFontsThroughFontconfig) {
    RasterFont& regular = FontFor(-11, 0, "DejaVu Sans");
    RasterFont& bold = FontFor(-11, fsBold, "DejaVu Sans");
    EXPECT_NE(regular.Source().find("DejaVuSans"), std::string::npos) << regular.Source();
    EXPECT_NE(bold.Source(), regular.Source()) << "a real bold face";
    EXPECT_EQ(bold.Metrics().overhang, 0) << "nothing synthesised";
    // Windows' outline rule: ascent and descent of the OS/2 table at 11 pixels per em.
    EXPECT_EQ(regular.Metrics().height, 13);
    EXPECT_EQ(regular.Metrics().ascent, 10);
    EXPECT_EQ(FontFor(20, 0, "DejaVu Sans").Metrics().height, 20) << "positive height is the cell";
    for (uint8_t m : regular.Glyph(U'g').mask) EXPECT_TRUE(m == 0 || m == 1) << "monochrome";
    EXPECT_GT(regular.Metrics().underlineTop, regular.Metrics().strikeOutTop);
}

TEST(FontEngine, UnknownFamiliesStillDrawText) {
    RasterFont& font = FontFor(-12, 0, "No Such Family Anywhere");
    EXPECT_NE(font.Source(), "(no font)");
    EXPECT_GT(font.Extent("Hello").cx, 0);
    EXPECT_GT(InkOf(font.Glyph(U'H')), 0);
}

TEST(FontEngine, GlyphsAreRenderedOncePerFontAndCodePoint) {
    FontEngine& engine = FontEngine::Instance();
    RasterFont& font = FontFor(-13, fsItalic);
    const size_t start = engine.RenderedGlyphCount();
    font.Extent("abc");
    EXPECT_EQ(engine.RenderedGlyphCount(), start + 3);
    font.Extent("cabbac");
    EXPECT_EQ(engine.RenderedGlyphCount(), start + 3) << "measured again from the cache";

    std::unique_ptr<TBitmap> b = CreateBitmap(60, 20);
    b->Canvas().Font = Spec(-13, fsItalic);
    b->Canvas().TextRect({0, 0, 60, 20}, 0, 0, "bca");
    EXPECT_EQ(engine.RenderedGlyphCount(), start + 3) << "painted from the cache";
    EXPECT_EQ(&engine.Font(b->Canvas().Font), &font) << "one font object per font description";

    font.Extent("abcd");
    EXPECT_EQ(engine.RenderedGlyphCount(), start + 4) << "only the new character";
    FontFor(-16, fsItalic).Extent("abc");
    EXPECT_EQ(engine.RenderedGlyphCount(), start + 7) << "another size is another font";
}

TEST(FontEngine, DecodesUtf8) {
    const struct {
        const char* label;
        std::string text;
        std::u32string expected;
    } table[] = {
        {"ASCII", "Ok", U"Ok"},
        {"two bytes", "\xC3\xA8", U"\u00E8"},
        {"three bytes", "\xE2\x82\xAC", U"\u20AC"},
        {"four bytes", "\xF0\x9F\x98\x80", U"\U0001F600"},
        {"stray continuation byte",
         "a\x80"
         "b",
         U"a\uFFFD"
         "b"},
        {"truncated sequence", "a\xE2\x82", U"a\uFFFD\uFFFD"},
        {"overlong form", "\xC0\xAF", U"\uFFFD\uFFFD"},
        {"surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"invalid lead byte",
         "\xFF"
         "a",
         U"\uFFFD"
         "a"},
    };
    for (const auto& row : table) {
        std::u32string got;
        for (size_t pos = 0; pos < row.text.size();) got += base::NextCodepoint(row.text, pos);
        EXPECT_EQ(got, row.expected) << row.label;
    }
}

TEST(FontEngine, BitmapFontDecorationRows) {
    // Bitmap fonts: underline on the row below the baseline, strike-out half the ascent up.
    const FontMetrics& m8 = FontFor(-11).Metrics();
    EXPECT_EQ(m8.underlineTop, 11);
    EXPECT_EQ(m8.underlineSize, 1);
    EXPECT_EQ(m8.strikeOutTop, 6);
    EXPECT_EQ(m8.strikeOutSize, 1);
    const FontMetrics& m12 = FontFor(-16, fsBold).Metrics();
    EXPECT_EQ(m12.underlineTop, 16);
    EXPECT_EQ(m12.strikeOutTop, 8);
}

// A 2048-unit face with Windows' ascent and descent of DejaVu Sans (1901, 483).
fontmetrics::FaceUnits Face(int64_t underlineThickness = 90, int64_t strikeOutSize = 102) {
    return {2048, 1901, 483, -130, underlineThickness, 530, strikeOutSize};
}

TEST(FontEngine, MetricsArithmetic) {
    using namespace fontmetrics;
    const StrikeCell twelvePoint{20, 16, 4};
    const struct {
        const char* label;
        std::function<FontMetrics()> compute;
        FontMetrics expected;  // height, ascent, underline top and size, strike-out top and size
    } table[] = {
        {"8-point strike: the rows of BitmapFontDecorationRows",
         [] {
             return StrikeMetrics({13, 11, 2});
         },
         {13, 11, 11, 1, 6, 1}},
        {"an ascent of 40 draws 3-row lines, centred",
         [] {
             return StrikeMetrics({48, 40, 8});
         },
         {48, 40, 39, 3, 19, 3}},
        {"outline at 11 ppem: ascent and descent rounded each",
         [] { return OutlineMetrics(Face(), -11, 11); },
         {13, 10, 11, 1, 7, 1}},
        {"outline, positive height: the cell, at the em it implies",
         [] { return OutlineMetrics(Face(), 20, OutlineEm(Face(), 20)); },
         {20, 16, 17, 1, 12, 1}},
        {"outline without a strike-out: the bitmap one",
         [] { return OutlineMetrics(Face(90, 0), -11, 11); },
         {13, 10, 11, 1, 5, 1}},
        {"outline without underline data: the bitmap rows",
         [] { return OutlineMetrics(Face(0), -11, 11); },
         {13, 10, 10, 1, 5, 1}},
        {"14-point stand-in keeps the 12-point strike's proportions",
         [&] { return SubstituteMetrics(Face(), -19, SubstituteEm(-19, twelvePoint), twelvePoint); },
         {24, 19, 20, 1, 14, 1}},
        {"stand-in asked for its cell: the same font",
         [&] { return SubstituteMetrics(Face(), 24, SubstituteEm(24, twelvePoint), twelvePoint); },
         {24, 19, 20, 1, 14, 1}},
        {"bitmap-only face: 26.6 ascender and descender rounded up",
         [] { return BitmapFaceMetrics(10 * 64 + 1, -(2 * 64 + 10)); },
         {14, 11, 11, 1, 6, 1}},
        {"no font: a cell a fifth taller than the em", [] { return NoFontMetrics(11); }, {14, 11, 11, 1, 6, 1}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.label);
        const auto fields = [](const FontMetrics& m) {
            return std::tuple(m.height, m.ascent, m.underlineTop, m.underlineSize, m.strikeOutTop, m.strikeOutSize,
                              m.overhang);
        };
        EXPECT_EQ(fields(row.compute()), fields(row.expected));
    }
}

// A glyph from rows of 'X' (ink) and '.', all `w` wide.
RenderedGlyph GlyphOf(int32_t w, const std::string& rows, int32_t left = 0, int32_t top = 0, int32_t advance = 0) {
    RenderedGlyph g;
    g.width = w;
    g.height = w ? static_cast<int32_t>(rows.size()) / w : 0;
    g.left = left;
    g.top = top;
    g.advance = advance;
    for (char c : rows) g.mask.push_back(c == 'X' ? 1 : 0);
    return g;
}

TEST(FontEngine, GlyphSynthesis) {
    using namespace glyphs;
    const struct {
        const char* label;
        std::function<RenderedGlyph()> compute;
        RenderedGlyph expected;
    } table[] = {
        {"bold: drawn again one pixel right, one more advance",
         [] {
             RenderedGlyph g = GlyphOf(2, "X..X", 1, 2, 3);
             Embolden(g);
             return g;
         },
         GlyphOf(3, "XX..XX", 1, 2, 4)},
        {"italic above the baseline: a pixel right per two rows",
         [] {
             RenderedGlyph g = GlyphOf(1, "XXXX", 0, 0, 2);
             Shear(g, 4);
             return g;
         },
         GlyphOf(2, ".X.XX.X.", 0, 0, 2)},
        {"italic below the baseline leans left",
         [] {
             RenderedGlyph g = GlyphOf(1, "XXX", 0, 3, 2);
             Shear(g, 4);
             return g;
         },
         GlyphOf(2, ".XX.X.", -1, 3, 2)},
        {"mono rows, most significant bit first, stored bottom-up",
         [] {
             const uint8_t bits[] = {0x80, 0x40, 0x01, 0x00};
             return RenderedGlyph{0, 0, 0, 10, 2, MaskOf(bits, 10, 2, -2, PixelMode::Mono)};
         },
         GlyphOf(10, ".......X..X........X")},
        {"grey counts from half coverage",
         [] {
             const uint8_t grey[] = {127, 128, 255};
             return RenderedGlyph{0, 0, 0, 3, 1, MaskOf(grey, 3, 1, 3, PixelMode::Gray)};
         },
         GlyphOf(3, ".XX")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.label);
        const auto fields = [](const RenderedGlyph& g) {
            return std::tuple(g.width, g.height, g.left, g.top, g.advance, g.mask);
        };
        EXPECT_EQ(fields(row.compute()), fields(row.expected));
    }
    EXPECT_EQ(ToCp1252(U'\u20AC'), 0x80);
    EXPECT_EQ(ToCp1252(U'\x81'), 0) << "a byte the code page leaves undefined";
}

}  // namespace
