#pragma once
#include <cstdint>
#include <memory>

#include "Canvas.h"

namespace forms {

// An off-screen bitmap with its own canvas. Pixels are 32-bit 0x00RRGGBB words,
// top-down, Width() per row (the layout of a top-down 32-bit DIB section and of an
// SDL ARGB8888 surface), so backends present them without conversion.
class TBitmap {
public:
    virtual ~TBitmap() = default;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Resizing keeps nothing of the old content; the new pixels are white.
    virtual void SetSize(int32_t width, int32_t height) = 0;
    void SetWidth(int32_t w) { SetSize(w, height_); }
    void SetHeight(int32_t h) { SetSize(width_, h); }

    virtual TCanvas& Canvas() = 0;
    virtual const uint32_t* Bits() const = 0;
    virtual uint32_t* Bits() = 0;

    // The colour of one pixel as a fixed 0x00BBGGRR colour; clNone outside the bitmap.
    TColor Pixel(int32_t x, int32_t y) const;

protected:
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// Copies the part r of `from` to the same place of `to`, as far as both reach.
void CopyPixels(const TBitmap& from, const TRect& r, TBitmap& to);

// The platform's bitmap: software on Linux, a GDI DIB section on Windows.
std::unique_ptr<TBitmap> CreateBitmap(int32_t width = 0, int32_t height = 0);

}  // namespace forms
