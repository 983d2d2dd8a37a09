#include "OrloExtProgressBar.h"

#include <algorithm>
#include <memory>
#include <utility>

using namespace forms;

namespace {

const NameTable kGaugeBorders = {{"gbNone", gbNone},     {"gbSingle", gbSingle},
                                 {"gbSunken", gbSunken}, {"gbDeepSunken", gbDeepSunken},
                                 {"gbRaised", gbRaised}, {"gbFatRaised", gbFatRaised}};
const NameTable kGaugeStyles = {{"gsNone", gsNone}, {"gsSmooth", gsSmooth}, {"gsDashed", gsDashed}};
const NameTable kAlignments = {{"taLeftJustify", 0}, {"taRightJustify", 1}, {"taCenter", 2}};

// Two's-complement arithmetic: a range or a sum beyond 64 bits wraps as the hardware
// does instead of being undefined.
int64_t WrappingAdd(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
int64_t WrappingSub(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

// Coordinates are 32-bit: the low 32 bits of a wider value, as a narrowing store keeps.
int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// Truncation toward zero; a value outside the 64-bit range gives INT64_MIN, the
// "integer indefinite" that the processor's own conversion yields.
int64_t TruncateToInt64(long double v) {
    if (!(v > -9223372036854775808.0L && v < 9223372036854775808.0L)) return INT64_MIN;
    return static_cast<int64_t>(v);
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) {
    if (v < lo) return lo;  // the lower bound is tested first
    if (v > hi) return hi;
    return v;
}

}  // namespace

const TClassInfo& TOrloExtProgressBar::StaticClass() {
    static const TClassInfo info = [] {
        using C = TOrloExtProgressBar;
        // Read-only: a layout may not set it, and nothing writes it back.
        TPropInfo percentAt;
        percentAt.Name = "PercentAt";
        percentAt.TypeName = "Single";
        return ClassBuilder<C>("TOrloExtProgressBar", &TGraphicControl::StaticClass())
            .Creatable()
            .Publish(TControl::Protected("Align"))
            .Bool("ShowText", &C::SetShowText)
            .Reads(&C::ShowText)
            .Publish(TControl::Protected("Font"))
            .Color("BarForeColor", &C::SetBarForeColor)
            .Reads(&C::BarForeColor)
            .Color("BarBackColor", &C::SetBarBackColor)
            .Reads(&C::BarBackColor)
            .Color("TextForeColor", &C::SetTextForeColor)
            .Reads(&C::TextForeColor)
            .Color("TextBackColor", &C::SetTextBackColor)
            .Reads(&C::TextBackColor)
            .Enum<TGaugeBorders>("Border", "TGaugeBorders", &C::SetBorderStyle, kGaugeBorders)
            .Reads(&C::Border)
            .Enum<TGaugeStyles>("FillStyle", "TGaugeStyles", &C::SetFillStyle, kGaugeStyles)
            .Reads(&C::FillStyle)
            .Int<int64_t>("MinValue", &C::SetMinValue, "Int64")
            .Reads(&C::MinValue)
            .Int<int64_t>("MaxValue", &C::SetMaxValue, "Int64")
            .Reads(&C::MaxValue)
            .Publish(TControl::Protected("ParentFont"))
            .Publish(TControl::Protected("ParentShowHint"))
            .Int<int64_t>("Progress", &C::SetProgress, "Int64")
            .Reads(&C::Progress)
            .Publish(TControl::Protected("ShowHint"))
            .String("Text", &C::SetText)
            .Reads(&C::Text)
            .NoDefault()
            .Int<int64_t>("Step", &C::SetStepValue, "Int64")
            .Reads(&C::Step)
            .Publish(TControl::Protected("Visible"))
            .Publish(percentAt)
            .Color("SingleBorderColor", &C::SetSingleBorderColor)
            .Reads(&C::SingleBorderColor)
            .Int<int64_t>("InnerBorderSize", &C::SetInnerBorderSize, "Int64")
            .Reads(&C::InnerBorderSize)
            .Enum<TAlignment>("AlignText", "TAlignment", &C::SetTextAlign, kAlignments)
            .Reads(&C::AlignText)
            .Build();
    }();
    return info;
}

TOrloExtProgressBar::TOrloExtProgressBar(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetHeight(20);
    SetWidth(150);
    ControlStyle |= csFramed | csOpaque;
}

TOrloExtProgressBar::~TOrloExtProgressBar() = default;

// ---- values ----

// The appearance setters' rule: an unchanged value does nothing; a new one is stored,
// `alongside` adjusts what follows from it, and the bar repaints.
template <class T>
void TOrloExtProgressBar::Change(T& field, T value, void (*alongside)(TOrloExtProgressBar&)) {
    if (value == field) return;
    field = value;
    if (alongside) alongside(*this);
    Repaint();
}

void TOrloExtProgressBar::SetShowText(bool value) { Change(FShowText, value); }
void TOrloExtProgressBar::SetBarForeColor(TColor value) { Change(FBarForeColor, value); }
void TOrloExtProgressBar::SetBarBackColor(TColor value) { Change(FBarBackColor, value); }
void TOrloExtProgressBar::SetTextForeColor(TColor value) { Change(FTextForeColor, value); }
void TOrloExtProgressBar::SetTextBackColor(TColor value) { Change(FTextBackColor, value); }
void TOrloExtProgressBar::SetBorderStyle(TGaugeBorders value) { Change(FBorder, value); }

void TOrloExtProgressBar::SetFillStyle(TGaugeStyles value) {
    Change(FFillStyle, value, [](TOrloExtProgressBar& bar) { bar.FShowText = bar.FFillStyle != gsDashed; });
}

void TOrloExtProgressBar::SetMinValue(int64_t value) {
    if (value == FMinValue) return;
    FMinValue = value > FMaxValue ? FMaxValue : value;
    if (FProgress < FMinValue) FProgress = FMinValue;
    Repaint();
    AccessibleChanged(forms::AccessibleChange::Value);
}

void TOrloExtProgressBar::SetMaxValue(int64_t value) {
    if (value == FMaxValue) return;
    FMaxValue = value < FMinValue ? FMinValue : value;
    if (FProgress > FMaxValue) FProgress = FMaxValue;
    Repaint();
    AccessibleChanged(forms::AccessibleChange::Value);
}

void TOrloExtProgressBar::SetProgress(int64_t value) {
    FProgress = Clamp(value, FMinValue, FMaxValue);
    Repaint();
    AccessibleChanged(forms::AccessibleChange::Value);
}

void TOrloExtProgressBar::SetStepValue(int64_t value) { FStep = value; }

void TOrloExtProgressBar::StepIt() { StepBy(FStep); }

void TOrloExtProgressBar::StepBy(int64_t amount) {
    FProgress = Clamp(WrappingAdd(FProgress, amount), FMinValue, FMaxValue);
    Repaint();
    AccessibleChanged(forms::AccessibleChange::Value);
}

void TOrloExtProgressBar::SetText(std::string value) {
    FText = std::move(value);
    Repaint();
    AccessibleChanged(forms::AccessibleChange::Value);
}

void TOrloExtProgressBar::SetSingleBorderColor(TColor value) {
    FSingleBorderColor = value;
    Repaint();
}

void TOrloExtProgressBar::SetInnerBorderSize(int64_t value) {
    FInnerBorderSize = value;
    Repaint();
}

void TOrloExtProgressBar::SetTextAlign(TAlignment value) {
    FAlignText = value;
    Repaint();
}

bool TOrloExtProgressBar::Describe(forms::AccessibleNode& node) const {
    node.Role = forms::AccessibleRole::ProgressBar;
    node.HasRange = true;
    node.Min = static_cast<double>(FMinValue);
    node.Max = static_cast<double>(FMaxValue);
    node.Current = static_cast<double>(FProgress);
    node.Value =
        OrloExtProgressBar::ExpandPlaceholder(FText, OrloExtProgressBar::PercentDone(FMinValue, FMaxValue, FProgress));
    node.States |= forms::AccessibleState::ReadOnly;
    return true;
}

// ---- arithmetic ----

void TOrloExtProgressBar::CalculatePercentDone() {
    FPercentAt = OrloExtProgressBar::PercentDone(FMinValue, FMaxValue, FProgress);
}

void TOrloExtProgressBar::CalculatePixelWidth() {
    FPixelWidth = OrloExtProgressBar::PixelWidth(ClientWidth(), FPercentAt);
}

// ---- painting ----

void TOrloExtProgressBar::Paint() {
    CalculatePercentDone();
    CalculatePixelWidth();
    const int32_t w = ClientWidth();
    const int32_t h = ClientHeight();
    // One bitmap per paint, freed on every way out. The copy to the control comes
    // last, so a paint that fails part-way shows nothing of its unfinished image.
    const std::unique_ptr<TBitmap> bitmap = CreateBitmap(w, h);
    FBarRect = ClientRect();
    FRestRect = ClientRect();
    FBarRect.Right = Low32(FPixelWidth);
    FRestRect.Left = Low32(FPixelWidth);
    PaintBar(bitmap.get());
    PaintText(bitmap.get());
    PaintBorder(bitmap.get());
    if (bitmap->Width() > 0 && bitmap->Height() > 0) Canvas()->Draw(0, 0, *bitmap);
}

void TOrloExtProgressBar::PaintBar(TBitmap* bitmap) {
    TCanvas& c = bitmap->Canvas();
    c.BrushStyle = TBrushStyle::bsSolid;
    if (FFillStyle == gsNone) {
        c.BrushColor = FBarBackColor;
        c.FillRect(ClientRect());
        return;
    }
    // gsSmooth, gsDashed, and any other ordinal: every pixel gets a colour.
    c.BrushColor = FBarForeColor;
    c.FillRect(FBarRect);
    c.BrushColor = FBarBackColor;
    c.FillRect(FRestRect);
    if (FFillStyle != gsDashed) return;
    // A 2-pixel gap every 10 pixels, none at x = 0, none reaching past the bar's end;
    // gaps beyond the client area would be clipped away, so they are not drawn.
    const int64_t end = std::min<int64_t>(FBarRect.Right, ClientWidth());
    for (int64_t x = 10; x < end; x += 10)
        c.FillRect({static_cast<int32_t>(x), 0, static_cast<int32_t>(std::min<int64_t>(x + 2, FBarRect.Right)),
                    ClientHeight()});
}

void TOrloExtProgressBar::PaintText(TBitmap* bitmap) {
    if (!FShowText) return;
    TCanvas& c = bitmap->Canvas();
    c.Font = Font()->Spec();
    const std::string caption = OrloExtProgressBar::ExpandPlaceholder(FText, FPercentAt);
    // Two passes at one origin, clipped to the bar and to the rest: one text whose
    // colour changes exactly at PixelWidth, reading against what lies beneath it.
    c.BrushStyle = TBrushStyle::bsClear;
    c.Font.Color = FFillStyle == gsNone ? FTextForeColor : FTextBackColor;
    const TSize extent = c.TextExtent(caption);
    const TPoint origin = OrloExtProgressBar::CaptionOrigin(ClientWidth(), ClientHeight(), extent.cx, extent.cy,
                                                            FAlignText, Low32(FInnerBorderSize));
    c.TextRect(FBarRect, origin.X, origin.Y, caption);
    c.Font.Color = FTextForeColor;
    c.TextRect(FRestRect, origin.X, origin.Y, caption);
}

void TOrloExtProgressBar::PaintBorder(TBitmap* bitmap) {
    const int32_t w = ClientWidth();
    const int32_t h = ClientHeight();
    TCanvas& c = bitmap->Canvas();
    c.BrushStyle = TBrushStyle::bsClear;
    // One ring of an edge: the outline gives the whole ring the lower-right colour, then
    // two lines give the left column and the top row the upper-left colour.
    const auto edge = [&c](const TRect& r, int32_t startY, TColor lowerRight, TColor upperLeft) {
        c.PenColor = lowerRight;
        c.Rectangle(r);
        c.PenColor = upperLeft;
        c.MoveTo(r.Left, startY);
        c.LineTo(r.Left, r.Top);
        c.LineTo(r.Right, r.Top);
    };
    int32_t ringStart = 1;
    switch (FBorder) {
        case gbSingle:
            c.PenColor = FSingleBorderColor;
            c.Rectangle({0, 0, w, h});
            break;
        case gbSunken:
            edge({0, 0, w, h}, h, clBtnHighlight, clBtnShadow);
            break;
        case gbRaised:
            edge({0, 0, w, h}, h, clBtnShadow, clBtnHighlight);
            break;
        case gbDeepSunken:
            edge({0, 0, w, h}, h, clBtnHighlight, clBtnShadow);
            edge({1, 1, w - 1, h - 1}, h - 2, clBtnFace, cl3DDkShadow);
            ringStart = 2;
            break;
        case gbFatRaised:
            edge({0, 0, w, h}, h, clBtnShadow, clBtnHighlight);
            edge({1, 1, w - 1, h - 1}, h - 2, cl3DDkShadow, clBtnFace);
            ringStart = 2;
            break;
        default:  // gbNone, and ordinals without a style: no edge and no rings
            return;
    }
    const int64_t rings = OrloExtProgressBar::RingCount(w, h, ringStart, FInnerBorderSize);
    c.PenColor = FBarBackColor;
    for (int64_t k = 0; k < rings; ++k) {
        const int32_t d = ringStart + static_cast<int32_t>(k);
        c.Rectangle({d, d, w - d, h - d});
    }
}

// ---- unit functions ----

namespace OrloExtProgressBar {

std::string ExpandPlaceholder(const std::string& text, float percent) {
    const int64_t whole = TruncateToInt64(percent);
    const std::string digits = std::to_string(whole);
    std::string out;
    out.reserve(text.size() + 2 * digits.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '$' && i + 1 < text.size() && text[i + 1] == 'p') {
            out += digits;
            i += 2;
        } else {
            out += text[i++];
        }
    }
    return out;
}

float PercentDone(int64_t minValue, int64_t maxValue, int64_t progress) {
    // Both differences pass through single precision, so ranges above 2^24 lose their
    // low digits; the quotient and the product keep the 64-bit mantissa of long double.
    const float range = static_cast<float>(WrappingSub(maxValue, minValue));
    const float done = static_cast<float>(WrappingSub(progress, minValue));
    if (range == 0.0f) return 100.0f;
    return static_cast<float>(static_cast<long double>(done) / static_cast<long double>(range) * 100.0L);
}

int64_t PixelWidth(int32_t clientWidth, float percent) {
    const float width = static_cast<float>(clientWidth);
    return TruncateToInt64(static_cast<long double>(width) * static_cast<long double>(percent) * 0.01L);
}

int64_t RingCount(int32_t w, int32_t h, int32_t ringStart, int64_t innerBorderSize) {
    if (innerBorderSize <= 0) return 0;
    // The ring at inset i is empty once 2i reaches the width or the height, and so is
    // every ring after it: stop there, however large InnerBorderSize is.
    const int64_t useful = (static_cast<int64_t>(std::min(w, h)) + 1) / 2 - ringStart;
    return std::min(innerBorderSize, std::max<int64_t>(useful, 0));
}

TPoint CaptionOrigin(int32_t w, int32_t h, int32_t tw, int32_t th, TAlignment align, int32_t innerBorderSize) {
    // 32-bit coordinates: computed wide, kept as their low 32 bits.
    const int64_t width = w, height = h, textWidth = tw, textHeight = th, inset = innerBorderSize;
    int64_t x;
    switch (align) {
        case TAlignment::taLeftJustify:
            x = inset + 2;
            break;
        case TAlignment::taRightJustify:
            x = width - textWidth - (inset + 3);
            break;
        default:  // taCenter, and ordinals without an alignment
            x = Low32(width - textWidth) / 2;
            break;
    }
    return {Low32(x), Low32(Low32(height - textHeight) / 2)};
}

void Register() { RegisterComponents("Additional", {&TOrloExtProgressBar::StaticClass()}); }

}  // namespace OrloExtProgressBar
