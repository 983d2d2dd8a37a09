#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/Check.h"
#include "Color.h"
#include "Font.h"
#include "Geometry.h"

namespace forms {

class TBitmap;

enum class TBrushStyle : uint8_t { bsSolid, bsClear };

// A drawing surface with Windows GDI pixel rules. Two implementations stand behind
// it: our software rasteriser (Linux) and real GDI on a DIB section (Windows); the
// same pixel tables test both. The canvas itself keeps the state they share: the
// drawing tools (pen, brush, font), the origin and the clip in device pixels, and the
// current position.
//
// State: PushClip saves the tools, the origin and the clip as one entry of one stack,
// and PopClip restores all of them; ClipScope does both for one scope. The current
// position is not saved: a scope's drawing may leave it where it ends.
//
// Coverage rules, in the surface's current coordinates (origin moved by PushClip):
// - FillRect(r): every pixel of the half-open rectangle r in the brush colour;
//   nothing when r is empty. The brush style is ignored (GDI's FillRect does too).
// - Rectangle(r): with the 1-pixel pen, columns r.Left and r.Right-1 over rows
//   r.Top..r.Bottom-1 and rows r.Top and r.Bottom-1 over columns r.Left..r.Right-1 in
//   the pen colour; with a solid brush the inside (r shrunk by one) in the brush colour.
//   Nothing when r is empty. A 1-pixel-wide rectangle is one column of pen colour.
// - MoveTo(p): sets the current position; draws nothing.
// - LineTo(p): every pixel from the current position up to but excluding p (Bresenham
//   as GDI does it for diagonal lines); p becomes the current position.
// - TextRect(clip, x, y, text): the glyph pixels of the text cell whose top-left
//   corner is (x, y), inside clip only, in the font colour; no background, ever.
//   Text is UTF-8; underline and strike-out are part of the glyph pixels.
// - TextExtent(text): width and height of the text's cell in the current font; the
//   height is the font's line height even for an empty text.
// - Draw(x, y, bitmap): one block copy of every pixel of the bitmap, unscaled.
// - SetPixel(x, y, color): the one pixel (x, y) in `color`.
// - GetPixel(x, y): the fixed colour (0x00BBGGRR) of the pixel (x, y); clNone where
//   that pixel lies outside the surface or outside the current clip.
// Anything that falls outside the surface or outside the current clip is discarded.
// System colours are resolved at the moment of each drawing call.
class TCanvas {
public:
    virtual ~TCanvas() = default;

    TColor PenColor = clBlack;
    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    TFontSpec Font;

    virtual void FillRect(const TRect& r) = 0;
    virtual void Rectangle(const TRect& r) = 0;
    virtual void MoveTo(int32_t x, int32_t y) { position_ = {x, y}; }
    virtual void LineTo(int32_t x, int32_t y) = 0;
    virtual void TextRect(const TRect& clip, int32_t x, int32_t y, std::string_view text) = 0;
    virtual TSize TextExtent(std::string_view text) = 0;
    virtual void Draw(int32_t x, int32_t y, const TBitmap& source) = 0;
    virtual void SetPixel(int32_t x, int32_t y, TColor color) = 0;
    virtual TColor GetPixel(int32_t x, int32_t y) const = 0;

    // Saves the state (tools, origin, clip), then moves the origin by (dx, dy) and
    // narrows the clip to r, given in the new coordinates. PopClip restores the state
    // the matching PushClip saved; an unmatched PopClip does nothing.
    virtual void PushClip(int32_t dx, int32_t dy, const TRect& r);
    virtual void PopClip();
    // How many states PushClip has saved and PopClip not yet restored.
    size_t StateDepth() const { return saved_.size(); }

    int32_t TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int32_t TextHeight(std::string_view text) { return TextExtent(text).cy; }

protected:
    // Tells an implementation that the clip changed (GDI gives it to its DC).
    virtual void ClipChanged() {}

    // Canvas coordinates as device pixels: the origin is kept in 64 bits, so that
    // nested offsets and far-away shapes never overflow.
    int64_t DeviceX(int64_t x) const { return originX_ + x; }
    int64_t DeviceY(int64_t y) const { return originY_ + y; }
    // The current clip cut to a surface of this size. The outermost clip is unbounded
    // and cut at each use, so resizing the surface needs no canvas update.
    TRect DeviceClip(int32_t width, int32_t height) const { return clip_.Intersect({0, 0, width, height}); }
    // The current position, in the coordinates it was given in.
    TPoint Position() const { return position_; }

private:
    // One entry of the state stack: everything PushClip saves.
    struct TState {
        TColor penColor;
        TColor brushColor;
        TBrushStyle brushStyle;
        TFontSpec font;
        int64_t originX;
        int64_t originY;
        TRect clip;
    };
    int64_t originX_ = 0;
    int64_t originY_ = 0;
    TRect clip_{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};  // device pixels
    std::vector<TState> saved_;
    TPoint position_;
};

// Saves the canvas's whole state for one scope and restores it at its end, so that
// no paint inherits what a sibling left behind: the origin moves by (dx, dy) and the
// clip narrows to `clip` for the scope (TCanvas::PushClip).
class ClipScope {
public:
    ClipScope(TCanvas& canvas, int32_t dx, int32_t dy, const TRect& clip) : canvas_(canvas) {
        canvas_.PushClip(dx, dy, clip);
        depth_ = canvas_.StateDepth();
    }
    // What the scope's code pushed it popped, and it popped nothing more: else the
    // scope would restore a state other than its own.
    ~ClipScope() {
        SA_CHECK(canvas_.StateDepth() == depth_, "a PushClip in the scope without its PopClip, or a PopClip too many");
        canvas_.PopClip();
    }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    TCanvas& canvas_;
    size_t depth_ = 0;
};

}  // namespace forms
