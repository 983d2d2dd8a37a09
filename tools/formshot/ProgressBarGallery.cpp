// The extended progress bar in every fill style (columns) and every border style
// (rows), each plain, with its caption, and with inner rings and caption; below them
// the dialogs' bar at 37 % and at 50 %.
#include <cstdint>
#include <string>

#include "PngWriter.h"
#include "components/OrloExtProgressBar.h"
#include "forms/graphics/Bitmap.h"

namespace {

using namespace forms;

constexpr int32_t kMargin = 8;
constexpr int32_t kLabelWidth = 92;
constexpr int32_t kHeaderHeight = 36;
constexpr int32_t kBarWidth = 110;
constexpr int32_t kBarHeight = 22;
constexpr int32_t kGap = 8;
constexpr int32_t kDialogWidth = 417;
constexpr int32_t kDialogHeight = 25;
constexpr int64_t kProgress = 64;

struct Variant {
    const char* name;
    bool caption;
    int64_t rings;
};
constexpr Variant kVariants[] = {{"plain", false, 0}, {"caption", true, 0}, {"rings 2 + caption", true, 2}};
constexpr const char* kFillNames[] = {"gsNone", "gsSmooth", "gsDashed"};
constexpr const char* kBorderNames[] = {"gbNone", "gbSingle", "gbSunken", "gbDeepSunken", "gbRaised", "gbFatRaised"};
constexpr int32_t kColumns = 9;
constexpr int32_t kRows = 6;

void Label(TCanvas& c, int32_t x, int32_t y, const std::string& text) {
    c.BrushStyle = TBrushStyle::bsClear;
    c.Font = TFontSpec{};
    c.Font.Color = clBtnText;
    c.TextRect({0, 0, 1 << 20, 1 << 20}, x, y, text);
}

void PaintAt(TCanvas& c, TOrloExtProgressBar& bar, int32_t x, int32_t y) {
    ClipScope scope(c, x, y, {0, 0, bar.Width(), bar.Height()});
    bar.PaintTo(c);
}

}  // namespace

void RenderProgressBarGallery(const std::string& pngPath) {
    const int32_t gridLeft = kMargin + kLabelWidth;
    const int32_t gridBottom = kMargin + kHeaderHeight + kRows * (kBarHeight + kGap);
    const int32_t width = gridLeft + kColumns * (kBarWidth + kGap) - kGap + kMargin;
    const int32_t height = gridBottom + 16 + kDialogHeight + kMargin;
    auto image = CreateBitmap(width, height);
    TCanvas& c = image->Canvas();
    c.BrushColor = clBtnFace;
    c.FillRect({0, 0, width, height});

    for (int32_t fill = 0; fill < 3; ++fill) {
        const int32_t groupLeft = gridLeft + fill * 3 * (kBarWidth + kGap);
        Label(c, groupLeft, kMargin, kFillNames[fill]);
        for (int32_t v = 0; v < 3; ++v) Label(c, groupLeft + v * (kBarWidth + kGap), kMargin + 16, kVariants[v].name);
    }
    for (int32_t row = 0; row < kRows; ++row) {
        const int32_t y = kMargin + kHeaderHeight + row * (kBarHeight + kGap);
        Label(c, kMargin, y + 4, kBorderNames[row]);
        for (int32_t column = 0; column < kColumns; ++column) {
            const Variant& variant = kVariants[column % 3];
            TOrloExtProgressBar bar(nullptr);
            bar.SetBounds(0, 0, kBarWidth, kBarHeight);
            bar.SetProgress(kProgress);
            bar.SetBorderStyle(static_cast<TGaugeBorders>(row));
            bar.SetFillStyle(static_cast<TGaugeStyles>(column / 3));
            bar.SetShowText(variant.caption);
            bar.SetInnerBorderSize(variant.rings);
            PaintAt(c, bar, gridLeft + column * (kBarWidth + kGap), y);
        }
    }

    // The dialogs' stored look.
    Label(c, kMargin, gridBottom, "the dialogs' bar at 37 % and at 50 %");
    for (int32_t i = 0; i < 2; ++i) {
        TOrloExtProgressBar bar(nullptr);
        bar.SetBounds(0, 0, kDialogWidth, kDialogHeight);
        bar.SetBarForeColor(clRed);
        bar.SetBarBackColor(clBlack);
        bar.SetTextForeColor(clWhite);
        bar.SetTextBackColor(clWhite);
        bar.SetBorderStyle(gbRaised);
        bar.SetInnerBorderSize(2);
        bar.SetProgress(i == 0 ? 37 : 50);
        PaintAt(c, bar, kMargin + i * (kDialogWidth + kGap), gridBottom + 16);
    }
    formshot::WritePng(*image, pngPath);
}
