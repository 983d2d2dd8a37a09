#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf8.h"
#include "forms/graphics/Font.h"
#include "forms/graphics/Geometry.h"

// The software canvas's text: fonts opened with FreeType, glyphs rendered monochrome
// and cached per font and code point.
//
// Font matching, in this order:
// 1. Windows bitmap fonts (.fon) from the folders that Wine's fonts package installs,
//    indexed on first use (fontconfig does not offer bitmap fonts). A family with a
//    strike of the asked size is drawn from that strike with its own metrics; a
//    negative Height asks for the character height (cell minus internal leading), a
//    positive one for the cell height.
// 2. A bitmap family asked for a size it has no strike for is drawn with the outline
//    font that fontconfig matches for its name, at the asked character height, in a
//    cell whose leading and descent keep the proportions of the family's nearest strike.
// 3. Any other name: the font fontconfig matches, sized by Windows' rule for outline
//    fonts (negative Height = pixels per em, positive = ascent plus descent).
// Bold and italic come from the matched face where it has them. Otherwise bold is
// synthesised as Windows does for bitmap fonts: each glyph drawn twice, one pixel apart,
// and one more pixel of advance per character; italic is slanted.
// A character the face lacks is drawn from the font that fontconfig finds for it, on
// the same baseline at the same character height; failing that, the face's default glyph.
namespace forms {

struct RenderedGlyph {
    int32_t advance = 0;  // how far the pen moves, in pixels
    int32_t left = 0;     // columns from the pen position to the mask's first column
    int32_t top = 0;      // rows from the cell's top row to the mask's first row
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> mask;  // width * height bytes, row by row; non-zero = glyph pixel
};

// Vertical metrics of a font, in pixels from the cell's top row.
struct FontMetrics {
    int32_t height = 0;  // the cell: the font's line height
    int32_t ascent = 0;  // rows above the baseline
    int32_t underlineTop = 0;
    int32_t underlineSize = 1;
    int32_t strikeOutTop = 0;
    int32_t strikeOutSize = 1;
    // Extra width of every non-empty text when the face's bold or italic is
    // synthesised (Windows' tmOverhang): the overstrike, or the top of the slant,
    // that reaches past the last advance.
    int32_t overhang = 0;
};

// One font as matched for a TFontSpec (name, height, bold, italic).
class RasterFont {
public:
    virtual ~RasterFont() = default;

    const FontMetrics& Metrics() const { return metrics_; }
    // The glyph for a code point, rendered on first use and cached from then on.
    virtual const RenderedGlyph& Glyph(char32_t codepoint) = 0;
    // Width (sum of advances, plus the overhang unless the text is empty) and height
    // (the cell) of a UTF-8 text.
    TSize Extent(std::string_view text);
    // Where the font came from, e.g. "/usr/share/wine/fonts/sserife.fon#0 (13 px strike)".
    const std::string& Source() const { return source_; }

protected:
    FontMetrics metrics_;
    std::string source_;
};

class FontEngine {
public:
    // The process's engine. It is created on first use; nothing is loaded before a
    // font is asked for. Not thread-safe: all painting runs on the UI thread.
    static FontEngine& Instance();

    // The font for a TFontSpec; underline and strike-out do not take part (the canvas draws
    // them from the metrics), nor does the colour or the character set.
    RasterFont& Font(const TFontSpec& spec);

    // How many glyphs have been rendered by FreeType so far, over all fonts.
    size_t RenderedGlyphCount() const;

    ~FontEngine();
    FontEngine(const FontEngine&) = delete;
    FontEngine& operator=(const FontEngine&) = delete;

    struct Impl;

private:
    FontEngine();
    std::unique_ptr<Impl> impl_;
};

}  // namespace forms
