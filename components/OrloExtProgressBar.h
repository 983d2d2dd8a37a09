#pragma once
#include <cstdint>
#include <string>

#include "forms/core/Control.h"
#include "forms/graphics/Bitmap.h"

// Border and fill styles of TOrloExtProgressBar. One byte each; no accessor checks
// the ordinal it is given.
enum TGaugeBorders : uint8_t { gbNone, gbSingle, gbSunken, gbDeepSunken, gbRaised, gbFatRaised };
enum TGaugeStyles : uint8_t { gsNone, gsSmooth, gsDashed };

// A windowless progress bar that draws everything itself: a bar filled from the left
// in proportion to Progress between MinValue and MaxValue, a one-line caption made
// from the template Text ("$p" stands for the whole-number percentage) whose colour
// changes where the bar ends, and a border with optional inner rings.
//
// Rules the accessors keep:
// - MinValue <= Progress <= MaxValue after every operation (signed 64-bit).
// - An accessor that changes what is shown repaints at once (Repaint()). Appearance
//   accessors compare first and do nothing for an unchanged value, except SetText,
//   SetSingleBorderColor, SetInnerBorderSize and SetTextAlign, which always repaint.
//   SetProgress, StepIt and StepBy always repaint; SetStepValue never does.
// - PercentAt and PixelWidth are recomputed only at the start of a paint, so between
//   paints they describe the state as it was last drawn.
class TOrloExtProgressBar : public forms::TGraphicControl {
    FORMS_CLASS(TOrloExtProgressBar)
public:
    explicit TOrloExtProgressBar(forms::TComponent* AOwner);
    ~TOrloExtProgressBar() override;

    int64_t MinValue() const { return FMinValue; }
    int64_t MaxValue() const { return FMaxValue; }
    int64_t Progress() const { return FProgress; }
    bool ShowText() const { return FShowText; }
    TGaugeBorders Border() const { return FBorder; }
    TGaugeStyles FillStyle() const { return FFillStyle; }
    forms::TColor BarForeColor() const { return FBarForeColor; }
    forms::TColor BarBackColor() const { return FBarBackColor; }
    forms::TColor TextForeColor() const { return FTextForeColor; }
    forms::TColor TextBackColor() const { return FTextBackColor; }
    float PercentAt() const { return FPercentAt; }
    int64_t PixelWidth() const { return FPixelWidth; }
    int64_t Step() const { return FStep; }
    int64_t InnerBorderSize() const { return FInnerBorderSize; }
    const forms::TRect& BarRect() const { return FBarRect; }
    const forms::TRect& RestRect() const { return FRestRect; }
    const std::string& Text() const { return FText; }
    forms::TColor SingleBorderColor() const { return FSingleBorderColor; }
    forms::TAlignment AlignText() const { return FAlignText; }

    void SetShowText(bool value);
    void SetBarForeColor(forms::TColor value);
    void SetBarBackColor(forms::TColor value);
    void SetTextForeColor(forms::TColor value);
    void SetTextBackColor(forms::TColor value);
    void SetBorderStyle(TGaugeBorders value);
    // Choosing gsDashed hides the caption; gsNone and gsSmooth show it again.
    void SetFillStyle(TGaugeStyles value);
    // A lower bound above MaxValue becomes MaxValue: to raise both bounds, set
    // MaxValue first.
    void SetMinValue(int64_t value);
    // An upper bound below MinValue becomes MinValue.
    void SetMaxValue(int64_t value);
    void SetProgress(int64_t value);
    void SetStepValue(int64_t value);
    // Progress + Step (or + amount) in wrapping 64-bit arithmetic, then clamped to the
    // bounds; stepping stops at a bound and never wraps from one bound to the other.
    void StepIt();
    void StepBy(int64_t amount);
    void SetText(std::string value);
    void SetSingleBorderColor(forms::TColor value);
    void SetInnerBorderSize(int64_t value);
    void SetTextAlign(forms::TAlignment value);

    // PercentAt = OrloExtProgressBar::PercentDone of the bounds and the progress.
    void CalculatePercentDone();
    // PixelWidth = OrloExtProgressBar::PixelWidth of the client width and PercentAt.
    // Needs PercentAt computed first.
    void CalculatePixelWidth();

    // Composes the whole client area on one off-screen bitmap (bar, caption, border,
    // in that order) and copies it onto the canvas in one operation.
    void Paint() override;
    // A progress bar with its range and position; its value is the caption's text.
    bool Describe(forms::AccessibleNode& node) const override;

private:
    void PaintBar(forms::TBitmap* bitmap);
    void PaintText(forms::TBitmap* bitmap);
    void PaintBorder(forms::TBitmap* bitmap);
    template <class T>
    void Change(T& field, T value, void (*alongside)(TOrloExtProgressBar&) = nullptr);

    int64_t FMinValue = 0;
    int64_t FMaxValue = 100;
    int64_t FProgress = 0;
    bool FShowText = true;
    TGaugeBorders FBorder = gbSunken;
    TGaugeStyles FFillStyle = gsSmooth;
    forms::TColor FBarForeColor = forms::clHighlight;
    forms::TColor FBarBackColor = forms::clBtnFace;
    forms::TColor FTextForeColor = forms::clHighlight;
    forms::TColor FTextBackColor = forms::clBtnFace;
    float FPercentAt = 0.0f;
    int64_t FPixelWidth = 0;
    int64_t FStep = 0;
    int64_t FInnerBorderSize = 0;
    forms::TRect FBarRect;
    forms::TRect FRestRect;
    std::string FText = "$p%";
    forms::TColor FSingleBorderColor = forms::clWindowFrame;
    forms::TAlignment FAlignText = forms::TAlignment::taCenter;
};

namespace OrloExtProgressBar {

// The caption for a template: every "$p" (case-sensitive, scanned left to right, the
// inserted digits not searched again) becomes the percentage truncated toward zero,
// in decimal.
std::string ExpandPlaceholder(const std::string& text, float percent);

// (progress - minValue) / (maxValue - minValue) * 100, both differences in wrapping
// 64-bit arithmetic rounded to single precision first, quotient and product in
// extended precision; 100 when the single-precision range is 0.
float PercentDone(int64_t minValue, int64_t maxValue, int64_t progress);

// clientWidth (as single precision) * percent * 0.01 in extended precision, truncated
// toward zero; INT64_MIN when that lies outside the 64-bit range.
int64_t PixelWidth(int32_t clientWidth, float percent);

// How many inner rings of a w x h client area are drawn when the first lies at inset
// ringStart: innerBorderSize, but none when it is not positive, and none past the
// ring that covers the middle.
int64_t RingCount(int32_t w, int32_t h, int32_t ringStart, int64_t innerBorderSize);

// Top-left corner of the caption's text cell (tw x th) in a client area of w x h.
// Left-aligned text keeps a margin of innerBorderSize + 2, right-aligned text one of
// innerBorderSize + 3; neither depends on the border. Halves truncate toward zero.
forms::TPoint CaptionOrigin(int32_t w, int32_t h, int32_t tw, int32_t th, forms::TAlignment align,
                            int32_t innerBorderSize);

// Lists TOrloExtProgressBar on the designer palette page "Additional". A form designer
// and the tests call it; the running tool never does.
void Register();

}  // namespace OrloExtProgressBar
