// The .ico reader: the image closest to a size, as 0xAARRGGBB pixels.
#include "SdlIcon.h"

#include <cstdlib>
#include <string_view>

namespace forms::sdl {

namespace {

uint32_t Le16(std::string_view d, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(d[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(d[at + 1])) << 8;
}
uint32_t Le32(std::string_view d, size_t at) { return Le16(d, at) | Le16(d, at + 2) << 16; }

// One image in the DIB form .ico files use: a BITMAPINFOHEADER whose height counts
// the colour rows and the AND mask's, colour rows bottom-up, then the 1-bit mask.
IconImage DecodeDib(std::string_view d) {
    IconImage out;
    if (d.size() < 40 || Le32(d, 0) < 40) return out;
    const auto width = static_cast<int32_t>(Le32(d, 4));
    const auto height = static_cast<int32_t>(Le32(d, 8)) / 2;
    const uint32_t bpp = Le16(d, 14);
    const uint32_t compression = Le32(d, 16);
    uint32_t colours = Le32(d, 32);
    if (width <= 0 || height <= 0 || width > 256 || height > 256 || compression != 0) return out;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return out;
    if (bpp <= 8 && (colours == 0 || colours > (1u << bpp))) colours = 1u << bpp;
    if (bpp > 8) colours = 0;
    const size_t palette = Le32(d, 0);
    const size_t pixels = palette + colours * 4;
    const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    const size_t mask = pixels + stride * static_cast<size_t>(height);
    const bool hasMask = mask + maskStride * static_cast<size_t>(height) <= d.size();
    if (mask > d.size()) return out;

    out.Width = width;
    out.Height = height;
    out.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    bool anyAlpha = false;
    for (int32_t y = 0; y < height; ++y) {
        const size_t row = pixels + stride * static_cast<size_t>(height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            uint32_t argb = 0;
            const auto ux = static_cast<size_t>(x);
            if (bpp == 32) {
                argb = Le32(d, row + ux * 4);
                if (argb >> 24) anyAlpha = true;
            } else if (bpp == 24) {
                argb = Le16(d, row + ux * 3) | static_cast<uint32_t>(static_cast<unsigned char>(d[row + ux * 3 + 2]))
                                                   << 16;
            } else {
                const auto byte = static_cast<unsigned char>(d[row + ux * bpp / 8]);
                const uint32_t shift = 8 - bpp - static_cast<uint32_t>((ux * bpp) % 8);
                const uint32_t index = (byte >> shift) & ((1u << bpp) - 1);
                argb = index < colours ? Le32(d, palette + index * 4) & 0x00FFFFFFu : 0;
            }
            out.Pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + ux] = argb;
        }
    }
    // Without alpha of its own, the AND mask says which pixels show.
    if (!anyAlpha) {
        for (int32_t y = 0; y < height; ++y) {
            const size_t row = mask + maskStride * static_cast<size_t>(height - 1 - y);
            for (int32_t x = 0; x < width; ++x) {
                const auto ux = static_cast<size_t>(x);
                const bool transparent =
                    hasMask && (static_cast<unsigned char>(d[row + ux / 8]) >> (7 - ux % 8) & 1) != 0;
                uint32_t& p = out.Pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + ux];
                p = transparent ? 0 : (p | 0xFF000000u);
            }
        }
    }
    return out;
}

}  // namespace

IconImage DecodeIcon(std::string_view ico, int32_t size) {
    if (ico.size() < 6 || Le16(ico, 0) != 0 || Le16(ico, 2) != 1) return {};
    const uint32_t count = Le16(ico, 4);
    if (ico.size() < 6 + 16 * static_cast<size_t>(count)) return {};
    // The image nearest the size asked for, the deepest colours among equals; images
    // stored as PNG are passed over.
    IconImage best;
    int64_t bestScore = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = 6 + 16 * static_cast<size_t>(i);
        const uint32_t length = Le32(ico, e + 8);
        const uint32_t offset = Le32(ico, e + 12);
        if (offset > ico.size() || length > ico.size() - offset) continue;
        const std::string_view data = ico.substr(offset, length);
        if (data.size() >= 8 && data.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) continue;
        IconImage image = DecodeDib(data);
        if (image.Pixels.empty()) continue;
        const int64_t distance = std::abs(image.Width - size);
        const int64_t score = (1000 - distance) * 64 + static_cast<int64_t>(Le16(data, 14));
        if (best.Pixels.empty() || score > bestScore) {
            best = std::move(image);
            bestScore = score;
        }
    }
    return best;
}

}  // namespace forms::sdl
