#pragma once
#include <cstdint>

#include "FontEngine.h"

// The font engine's metrics arithmetic: cells, ascents, decoration rows and sizes from
// the numbers a face or a strike declares. Pure functions of those numbers; the
// engine reads them from FreeType and hands them in.
namespace forms::fontmetrics {

// a / b rounded half up, for b > 0.
int32_t RoundDiv(int64_t a, int64_t b);

// What an outline face declares about its vertical design, in font units.
struct FaceUnits {
    int64_t unitsPerEm = 0;
    int64_t ascent = 0;             // as Windows reads it: OS/2 usWinAscent, else hhea's ascender
    int64_t descent = 0;            // likewise, positive below the baseline
    int64_t underlinePosition = 0;  // of the line's middle, up from the baseline
    int64_t underlineThickness = 0;
    int64_t strikeOutPosition = 0;  // up from the baseline
    int64_t strikeOutSize = 0;      // 0: the face declares no strike-out
};

// The cell of one size of a bitmap family, in pixels.
struct StrikeCell {
    int32_t height = 0;  // the cell
    int32_t ascent = 0;
    int32_t internalLeading = 0;

    int32_t Em() const { return height - internalLeading; }
};

// Bitmap fonts carry no decoration data: the underline sits on the row below the
// baseline, the strike-out half the ascent above it, both ascent / 20 + 1 rows thick.
// Sets the four decoration fields from m.ascent.
void BitmapDecorations(FontMetrics& m);

// The face's own underline and strike-out at ppem pixels per em, each centred on its
// declared position; a face without underline data gets the bitmap rows, one without
// a strike-out gets the bitmap strike-out at the underline's thickness.
void OutlineDecorations(const FaceUnits& face, int32_t ppem, FontMetrics& m);

// A strike drawn as it is: its own cell and ascent.
FontMetrics StrikeMetrics(const StrikeCell& strike);

// Pixels per em of an outline face for a Windows height (not 0): a negative height is
// the em itself, a positive one the cell, Windows' ascent plus descent.
int32_t OutlineEm(const FaceUnits& face, int32_t height);
// The outline face at `em` (from OutlineEm) for that height: a positive height is
// the cell, its ascent in the face's proportion; otherwise ascent and descent rounded
// at em each.
FontMetrics OutlineMetrics(const FaceUnits& face, int32_t height, int32_t em);

// The character height of an outline font standing in for a bitmap family: a negative
// height asks for it directly, a positive one for the cell, scaled by the nearest
// strike's proportion of character height to cell. At least 1.
int32_t SubstituteEm(int32_t height, const StrikeCell& nearest);
// Its cell keeps the nearest strike's internal leading and descent in proportion;
// a positive height is the cell itself.
FontMetrics SubstituteMetrics(const FaceUnits& face, int32_t height, int32_t em, const StrikeCell& nearest);

// A bitmap-only face at the strike FreeType selected, from its ascender and descender
// in 26.6 pixels (the descender negative), each rounded up.
FontMetrics BitmapFaceMetrics(int64_t ascender, int64_t descender);

// No font at all: text measures and draws as empty, in a plausible cell for em.
FontMetrics NoFontMetrics(int32_t em);

// Windows' tmOverhang for the synthesised styles: one pixel for the overstrike, and
// the top of the slant (ascent - 1) / 2 for sheared italic.
int32_t Overhang(bool synthBold, bool sheared, int32_t ascent);

}  // namespace forms::fontmetrics
