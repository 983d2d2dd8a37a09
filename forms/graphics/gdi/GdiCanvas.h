#pragma once
#include <cstdint>
#include <vector>

#include "forms/graphics/Bitmap.h"
#include "forms/graphics/Canvas.h"

// The Windows canvas: TCanvas's coverage rules (Canvas.h) drawn by GDI itself into a
// top-down 32-bit DIB section selected into a memory DC.
//
// - Coordinates reach GDI as device pixels: the canvas keeps the origin and the clip in
//   64 bits and cuts every shape to a guard band one pixel around the visible area
//   before the call, so shapes far outside the bitmap never meet GDI's coordinate
//   limits and what is visible stays exactly what GDI draws for the uncut shape.
// - Pen, brush, text colour and font are given to the DC at each call (DC pen, DC
//   brush, the font cache), so system colours are resolved at the moment of drawing.
// - Fonts come from CreateFontIndirectW without smoothing, so glyph pixels take the
//   font colour or stay untouched; one font per (name, height, style, charset), kept
//   for the process.
//
// The header names no Windows type: it can be included before or after <windows.h>.
struct HDC__;
struct HBITMAP__;

namespace forms {

class TGdiBitmap;

class TGdiCanvas final : public TCanvas {
public:
    explicit TGdiCanvas(TGdiBitmap& bitmap) : bitmap_(bitmap) {}

    void FillRect(const TRect& r) override;
    void Rectangle(const TRect& r) override;
    void LineTo(int32_t x, int32_t y) override;
    void TextRect(const TRect& clip, int32_t x, int32_t y, std::string_view text) override;
    TSize TextExtent(std::string_view text) override;
    void Draw(int32_t x, int32_t y, const TBitmap& source) override;
    void SetPixel(int32_t x, int32_t y, TColor color) override;
    TColor GetPixel(int32_t x, int32_t y) const override;

    // Gives the DC the current clip again; the bitmap calls it after a new DIB was
    // selected.
    void ApplyClip();

protected:
    void ClipChanged() override { ApplyClip(); }

private:
    // The current clip cut to the bitmap.
    TRect DeviceClip() const;
    void SelectFont();

    TGdiBitmap& bitmap_;
};

class TGdiBitmap final : public TBitmap {
public:
    TGdiBitmap(int32_t width, int32_t height);
    ~TGdiBitmap() override;
    TGdiBitmap(const TGdiBitmap&) = delete;
    TGdiBitmap& operator=(const TGdiBitmap&) = delete;

    void SetSize(int32_t width, int32_t height) override;
    TCanvas& Canvas() override { return canvas_; }
    // Both flush GDI's batch first, so the pixels read are those drawn so far.
    const uint32_t* Bits() const override;
    uint32_t* Bits() override;

    // The memory DC that holds the DIB section; a bitmap without pixels has none selected.
    HDC__* DC() const { return dc_; }

private:
    void Release();

    HDC__* dc_ = nullptr;
    HBITMAP__* dib_ = nullptr;
    void* initial_ = nullptr;  // the DC's own 1x1 bitmap, selected back before dib_ is freed
    uint32_t* bits_ = nullptr;
    TGdiCanvas canvas_;
};

// Installs the running desktop's scheme (GetSysColor) as the source of system colours:
// done as the program starts, and again by the Windows backend as it is made.
void UseDesktopSystemColors();

}  // namespace forms
