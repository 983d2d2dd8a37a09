#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "forms/graphics/Color.h"
#include "forms/graphics/Geometry.h"

// The software canvas's pixel primitives. Every drawing operation of the canvas is
// shape code above these few functions; only their inner loops touch pixels.
//
// All coordinates are device pixels. Each primitive takes the device clip, already
// intersected with the surface, and discards whatever falls outside it; coordinates
// are 64-bit so that shapes far outside the surface cannot overflow.
namespace forms::raster {

struct Surface {
    uint32_t* bits = nullptr;  // 0x00RRGGBB, top-down, `width` words per row
    int32_t width = 0;
    int32_t height = 0;

    TRect Bounds() const { return {0, 0, width, height}; }
};

// A fixed 0x00BBGGRR colour as a surface pixel.
inline uint32_t PixelOf(TColor rgb) {
    return (static_cast<uint32_t>(GetRValue(rgb)) << 16) | (static_cast<uint32_t>(GetGValue(rgb)) << 8) |
           static_cast<uint32_t>(GetBValue(rgb));
}

inline int32_t ClampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

inline uint32_t* Row(const Surface& s, int32_t y) {
    return s.bits + static_cast<size_t>(y) * static_cast<size_t>(s.width);
}

// Every pixel of the half-open rectangle (l, t, r, b).
inline void SolidRect(const Surface& s, const TRect& clip, int64_t l, int64_t t, int64_t r, int64_t b, uint32_t px) {
    const TRect c = CutRect(clip, l, t, r, b);
    for (int32_t y = c.Top; y < c.Bottom; ++y) std::fill(Row(s, y) + c.Left, Row(s, y) + c.Right, px);
}

inline void SolidPixel(const Surface& s, const TRect& clip, int64_t x, int64_t y, uint32_t px) {
    SolidRect(s, clip, x, y, x + 1, y + 1, px);
}

// Products of two device coordinates need more than 64 bits once the coordinates
// leave the 32-bit range, which an origin moved far enough allows.
__extension__ typedef __int128 TWide;

// Floor of a / b for b > 0.
inline int64_t FloorDiv(TWide a, int64_t b) { return static_cast<int64_t>(a >= 0 ? a / b : -((-a + b - 1) / b)); }

// A one-pixel line from (x0, y0) up to but excluding (x1, y1), with the pixels that
// GDI's Bresenham picks. The line takes one pixel per step along its major axis
// (x when |dx| > |dy|, else y). Pixel k lies k steps from the start on the major
// axis and n(k) = ceil((2*minor*k - major + bias) / (2*major)) steps on the minor
// axis, the closed form of the incremental rule "step the minor axis when
// err + bias > 0". The bias is 1 in the octants that round a tie the other way
// (dx <= 0 < dy with |dx| <= |dy|; dx < 0 <= -dy; dx >= 0 > dy with |dx| > |dy|), which
// makes a line and its reverse cover the same pixels apart from the excluded end.
inline void SolidLine(const Surface& s, const TRect& clip, int64_t x0, int64_t y0, int64_t x1, int64_t y1,
                      uint32_t px) {
    const int64_t dx = x1 - x0, dy = y1 - y0;
    if (dx == 0 && dy == 0) return;
    if (dy == 0) {
        SolidRect(s, clip, std::min(x0, x1 + 1), y0, std::max(x0 + 1, x1), y0 + 1, px);
        return;
    }
    if (dx == 0) {
        SolidRect(s, clip, x0, std::min(y0, y1 + 1), x0 + 1, std::max(y0 + 1, y1), px);
        return;
    }
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx > ady;
    const bool bias = dy > 0 ? (dx <= 0 && adx <= ady) : (dx < 0 || adx > ady);
    const int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int64_t majorStart = xMajor ? x0 : y0, minorStart = xMajor ? y0 : x0;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1, minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t clipLo = xMajor ? clip.Left : clip.Top, clipHi = xMajor ? clip.Right : clip.Bottom;
    const int64_t minorLo = xMajor ? clip.Top : clip.Left, minorHi = xMajor ? clip.Bottom : clip.Right;

    // Only the steps whose major coordinate lies inside the clip are visited.
    int64_t kFirst = majorStep > 0 ? clipLo - majorStart : majorStart - clipHi + 1;
    int64_t kEnd = majorStep > 0 ? clipHi - majorStart : majorStart - clipLo + 1;
    kFirst = std::max<int64_t>(kFirst, 0);
    kEnd = std::min(kEnd, major);
    for (int64_t k = kFirst; k < kEnd; ++k) {
        const int64_t n = -FloorDiv(TWide{major} - bias - TWide{2} * minor * k, 2 * major);
        const int64_t m = minorStart + minorStep * n;
        if (m < minorLo || m >= minorHi) continue;
        const int64_t a = majorStart + majorStep * k;
        if (xMajor) Row(s, static_cast<int32_t>(m))[a] = px;
        else Row(s, static_cast<int32_t>(a))[m] = px;
    }
}

// The set pixels of a coverage mask (one byte per pixel, non-zero = covered) whose
// top-left corner lies at (x, y).
inline void Mask(const Surface& s, const TRect& clip, int64_t x, int64_t y, int32_t w, int32_t h, const uint8_t* mask,
                 uint32_t px) {
    const TRect c = CutRect(clip, x, y, x + w, y + h);
    for (int32_t row = c.Top; row < c.Bottom; ++row) {
        const uint8_t* m = mask + (row - y) * w;
        uint32_t* d = Row(s, row);
        for (int32_t col = c.Left; col < c.Right; ++col)
            if (m[col - x]) d[col] = px;
    }
}

// A block copy of a w x h pixel image whose top-left corner lands at (x, y). The
// source must not overlap the surface's pixels.
inline void Copy(const Surface& s, const TRect& clip, int64_t x, int64_t y, const uint32_t* src, int32_t w, int32_t h) {
    const TRect c = CutRect(clip, x, y, x + w, y + h);
    for (int32_t row = c.Top; row < c.Bottom; ++row)
        std::memcpy(Row(s, row) + c.Left, src + static_cast<size_t>(row - y) * static_cast<size_t>(w) + (c.Left - x),
                    static_cast<size_t>(c.Right - c.Left) * sizeof(uint32_t));
}

}  // namespace forms::raster
