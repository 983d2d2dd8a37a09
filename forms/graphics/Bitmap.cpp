#include "Bitmap.h"

#include <algorithm>
#include <cstring>

namespace forms {

TColor TBitmap::Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
    const uint32_t p = Bits()[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
    return RGB(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p));
}

void CopyPixels(const TBitmap& from, const TRect& r, TBitmap& to) {
    const TRect area = r.Intersect({0, 0, std::min(from.Width(), to.Width()), std::min(from.Height(), to.Height())});
    if (area.IsEmpty()) return;
    const auto fromWidth = static_cast<size_t>(from.Width()), toWidth = static_cast<size_t>(to.Width());
    const auto left = static_cast<size_t>(area.Left);
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        const auto row = static_cast<size_t>(y);
        std::memcpy(to.Bits() + row * toWidth + left, from.Bits() + row * fromWidth + left,
                    static_cast<size_t>(area.Width()) * sizeof(uint32_t));
    }
}

}  // namespace forms
