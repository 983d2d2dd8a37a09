#include "FontMetrics.h"

#include <algorithm>

namespace forms::fontmetrics {

int32_t RoundDiv(int64_t a, int64_t b) {
    const int64_t n = 2 * a + b, d = 2 * b;
    return static_cast<int32_t>(n >= 0 ? n / d : -((-n + d - 1) / d));
}

void BitmapDecorations(FontMetrics& m) {
    m.underlineSize = m.ascent / 20 + 1;
    m.underlineTop = m.ascent - m.underlineSize / 2;
    m.strikeOutSize = m.underlineSize;
    m.strikeOutTop = m.ascent - (m.ascent / 2 + m.strikeOutSize / 2);
}

void OutlineDecorations(const FaceUnits& face, int32_t ppem, FontMetrics& m) {
    const int64_t upem = face.unitsPerEm;
    if (upem <= 0 || face.underlineThickness <= 0) {
        BitmapDecorations(m);
        return;
    }
    const int32_t pos = RoundDiv(face.underlinePosition * ppem, upem);
    m.underlineSize = std::max(1, RoundDiv(face.underlineThickness * ppem, upem));
    m.underlineTop = m.ascent - (pos + m.underlineSize / 2);
    if (face.strikeOutSize > 0) {
        const int32_t spos = RoundDiv(face.strikeOutPosition * ppem, upem);
        m.strikeOutSize = std::max(1, RoundDiv(face.strikeOutSize * ppem, upem));
        m.strikeOutTop = m.ascent - (spos + m.strikeOutSize / 2);
    } else {
        m.strikeOutSize = m.underlineSize;
        m.strikeOutTop = m.ascent - (m.ascent / 2 + m.strikeOutSize / 2);
    }
}

FontMetrics StrikeMetrics(const StrikeCell& strike) {
    FontMetrics m;
    m.height = strike.height;
    m.ascent = strike.ascent;
    BitmapDecorations(m);
    return m;
}

int32_t OutlineEm(const FaceUnits& face, int32_t height) {
    if (height < 0) return -height;
    const int64_t upem = std::max<int64_t>(face.unitsPerEm, 1);
    return std::max(1, RoundDiv(int64_t{height} * upem, std::max<int64_t>(face.ascent + face.descent, 1)));
}

FontMetrics OutlineMetrics(const FaceUnits& face, int32_t height, int32_t em) {
    const int64_t upem = std::max<int64_t>(face.unitsPerEm, 1);
    FontMetrics m;
    if (height > 0) {
        m.height = height;
        m.ascent = RoundDiv(face.ascent * height, std::max<int64_t>(face.ascent + face.descent, 1));
    } else {
        m.ascent = RoundDiv(face.ascent * em, upem);
        m.height = m.ascent + RoundDiv(face.descent * em, upem);
    }
    OutlineDecorations(face, em, m);
    return m;
}

int32_t SubstituteEm(int32_t height, const StrikeCell& nearest) {
    if (height < 0) return std::max(1, -height);
    return std::max(1, RoundDiv(int64_t{height} * nearest.Em(), nearest.height));
}

FontMetrics SubstituteMetrics(const FaceUnits& face, int32_t height, int32_t em, const StrikeCell& nearest) {
    FontMetrics m;
    m.height = height > 0 ? height : em + RoundDiv(int64_t{em} * nearest.internalLeading, nearest.Em());
    m.ascent = m.height - RoundDiv(int64_t{m.height} * (nearest.height - nearest.ascent), nearest.height);
    OutlineDecorations(face, em, m);
    return m;
}

FontMetrics BitmapFaceMetrics(int64_t ascender, int64_t descender) {
    FontMetrics m;
    m.ascent = static_cast<int32_t>((ascender + 63) >> 6);
    m.height = m.ascent + static_cast<int32_t>((-descender + 63) >> 6);
    BitmapDecorations(m);
    return m;
}

FontMetrics NoFontMetrics(int32_t em) {
    FontMetrics m;
    m.ascent = em;
    m.height = em + (em + 4) / 5;
    BitmapDecorations(m);
    return m;
}

int32_t Overhang(bool synthBold, bool sheared, int32_t ascent) {
    return (synthBold ? 1 : 0) + (sheared ? (ascent - 1) / 2 : 0);
}

}  // namespace forms::fontmetrics
