// The level meter's frames of one rise and fall (Value 15 written to an idle
// meter), side by side, each pixel drawn as a 2 × 2 block.
#include <cstdint>
#include <string>

#include "PngWriter.h"
#include "components/Vumeter.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"

namespace {

constexpr int32_t kFrameWidth = 52;
constexpr int32_t kFrameHeight = 11;
constexpr int32_t kScale = 2;
constexpr int32_t kGap = 1;  // a grey column between frames, in frame pixels

// The whole rise, the fall a few steps at a time, then the marker's slow descent
// until everything is dark.
constexpr uint32_t kTicks[] = {0, 1, 2, 4, 6, 8, 10, 12, 14, 15, 18, 21, 27, 36, 45, 57, 100, 175, 250, 325, 351};

}  // namespace

void RenderVumeterStrip(const std::string& pngPath) {
    forms::HeadlessBackend backend;
    forms::TApplication app(backend);
    auto* form = new forms::TForm(&app);
    form->SetBorderStyle(forms::TBorderStyle::bsNone);
    form->SetBounds(0, 0, kFrameWidth, kFrameHeight);
    auto* meter = new TVumeter(form);
    // The strip reaches 42 pixels left of the meter's corner.
    meter->SetBounds(45, 3, 4, 5);
    meter->SetParent(form);
    form->Show();
    app.ProcessMessages();
    meter->SetValue(15);

    const int32_t frames = static_cast<int32_t>(sizeof kTicks / sizeof kTicks[0]);
    const int32_t pitch = kFrameWidth + kGap;
    auto strip = forms::CreateBitmap((frames * pitch - kGap) * kScale, kFrameHeight * kScale);
    strip->Canvas().BrushColor = forms::clGray;
    strip->Canvas().FillRect({0, 0, strip->Width(), strip->Height()});

    const forms::TBitmap& image = *backend.Find(form->Handle())->Image;
    for (int32_t f = 0; f < frames; ++f) {
        backend.Advance(static_cast<uint32_t>(kTicks[f] - backend.Now()));
        for (int32_t y = 0; y < kFrameHeight * kScale; ++y)
            for (int32_t x = 0; x < kFrameWidth * kScale; ++x) {
                const uint32_t pixel =
                    image.Bits()[static_cast<size_t>(y / kScale) * static_cast<size_t>(image.Width()) +
                                 static_cast<size_t>(x / kScale)];
                strip->Bits()[static_cast<size_t>(y) * static_cast<size_t>(strip->Width()) +
                              static_cast<size_t>(f * pitch * kScale + x)] = pixel;
            }
    }
    formshot::WritePng(*strip, pngPath);
}
