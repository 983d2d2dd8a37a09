#pragma once
#include <cstdint>
#include <vector>

#include "FontEngine.h"

// The font engine's glyph work that needs no font: rendered rows as masks, the styles
// Windows synthesises for faces without them, and the code page of bitmap fonts.
namespace forms::glyphs {

// How a rendered bitmap stores a pixel.
enum class PixelMode : uint8_t {
    Mono,   // one bit, most significant first
    Gray,   // one byte of coverage
    Bgra,   // four bytes, alpha last
    Other,  // nothing this engine draws
};

// The rows of a rendered bitmap as a one-byte-per-pixel mask (1 = glyph pixel): a grey
// or colour pixel counts from half coverage on. A negative pitch stores the rows
// bottom-up, `buffer` then pointing at the lowest row.
std::vector<uint8_t> MaskOf(const uint8_t* buffer, int32_t width, int32_t rows, int32_t pitch, PixelMode mode);

// Windows' bold for fonts without a bold face: the glyph drawn a second time one
// pixel to the right, and one more pixel of advance.
void Embolden(RenderedGlyph& g);

// Slant for bitmap glyphs without an italic face: one pixel to the right for every
// two rows above the baseline (and to the left below it). The advance is kept.
void Shear(RenderedGlyph& g, int32_t ascent);

// The Windows-1252 byte for a code point, or 0 when the code page has none.
uint8_t ToCp1252(char32_t c);

}  // namespace forms::glyphs
