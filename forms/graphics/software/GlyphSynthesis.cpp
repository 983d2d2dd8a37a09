#include "GlyphSynthesis.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace forms::glyphs {

std::vector<uint8_t> MaskOf(const uint8_t* buffer, int32_t width, int32_t rows, int32_t pitch, PixelMode mode) {
    const int32_t w = width, h = rows;
    std::vector<uint8_t> mask(static_cast<size_t>(w) * static_cast<size_t>(h));
    const uint8_t* top = pitch >= 0 ? buffer : buffer + static_cast<ptrdiff_t>(h - 1) * -pitch;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = top + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < w; ++x) {
            bool on = false;
            switch (mode) {
                case PixelMode::Mono:
                    on = (row[x >> 3] & (0x80 >> (x & 7))) != 0;
                    break;
                case PixelMode::Gray:
                    on = row[x] >= 128;
                    break;
                case PixelMode::Bgra:
                    on = row[4 * x + 3] >= 128;
                    break;
                case PixelMode::Other:
                    on = false;
                    break;
            }
            mask[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = on ? 1 : 0;
        }
    }
    return mask;
}

void Embolden(RenderedGlyph& g) {
    if (g.width > 0 && g.height > 0) {
        const int32_t w = g.width + 1;
        std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(g.height));
        for (int32_t y = 0; y < g.height; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const uint8_t* row = g.mask.data() + static_cast<size_t>(y) * static_cast<size_t>(g.width);
                const bool on = (x < g.width && row[x]) || (x > 0 && row[x - 1]);
                out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = on ? 1 : 0;
            }
        g.mask = std::move(out);
        g.width = w;
    }
    g.advance += 1;
}

void Shear(RenderedGlyph& g, int32_t ascent) {
    if (g.width <= 0 || g.height <= 0) return;
    auto shift = [&](int32_t row) {
        const int32_t d = ascent - 1 - (g.top + row);
        return d >= 0 ? d / 2 : -((-d + 1) / 2);
    };
    const int32_t lo = std::min(shift(0), shift(g.height - 1)), hi = std::max(shift(0), shift(g.height - 1));
    const int32_t w = g.width + hi - lo;
    std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(g.height), 0);
    for (int32_t y = 0; y < g.height; ++y) {
        const int32_t dx = shift(y) - lo;
        for (int32_t x = 0; x < g.width; ++x)
            out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x + dx)] =
                g.mask[static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)];
    }
    g.mask = std::move(out);
    g.width = w;
    g.left += lo;
}

uint8_t ToCp1252(char32_t c) {
    if ((c >= 0x20 && c < 0x80) || (c >= 0xA0 && c <= 0xFF)) return static_cast<uint8_t>(c);
    static const char16_t k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (k80[i] != 0 && k80[i] == c) return static_cast<uint8_t>(0x80 + i);
    return 0;
}

}  // namespace forms::glyphs
