#pragma once
#include <cstdint>
#include <vector>

#include "forms/graphics/Bitmap.h"
#include "forms/graphics/Canvas.h"
#include "Raster.h"

// The Linux canvas: TCanvas's coverage rules (Canvas.h) drawn by our own rasteriser
// into a TSoftwareBitmap's pixel vector, text through the FreeType font engine.
namespace forms {

class TSoftwareBitmap;

class TSoftwareCanvas final : public TCanvas {
public:
    explicit TSoftwareCanvas(TSoftwareBitmap& bitmap) : bitmap_(bitmap) {}

    void FillRect(const TRect& r) override;
    void Rectangle(const TRect& r) override;
    void LineTo(int32_t x, int32_t y) override;
    void TextRect(const TRect& clip, int32_t x, int32_t y, std::string_view text) override;
    TSize TextExtent(std::string_view text) override;
    void Draw(int32_t x, int32_t y, const TBitmap& source) override;
    void SetPixel(int32_t x, int32_t y, TColor color) override;
    TColor GetPixel(int32_t x, int32_t y) const override;

private:
    raster::Surface Surface() const;
    // The current clip cut to the bitmap.
    TRect DeviceClip() const;

    TSoftwareBitmap& bitmap_;
};

class TSoftwareBitmap final : public TBitmap {
public:
    TSoftwareBitmap(int32_t width, int32_t height);

    void SetSize(int32_t width, int32_t height) override;
    TCanvas& Canvas() override { return canvas_; }
    const uint32_t* Bits() const override { return pixels_.data(); }
    uint32_t* Bits() override { return pixels_.data(); }

private:
    std::vector<uint32_t> pixels_;
    TSoftwareCanvas canvas_;
};

}  // namespace forms
