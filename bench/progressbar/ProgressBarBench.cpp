// One full paint of the dialogs' progress bar against one plain fill of a bitmap of
// the same size, in the same run. Target: the paint within 3x the fill.
//
//   progressbar_bench [iterations]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "components/OrloExtProgressBar.h"
#include "forms/graphics/Bitmap.h"
#ifndef _WIN32
#include "forms/graphics/software/FontEngine.h"
#endif

using namespace forms;

namespace {

constexpr int32_t kWidth = 417;
constexpr int32_t kHeight = 25;

// Nanoseconds per call of each candidate: rounds alternate between the candidates so
// that they all meet the same machine load, and each keeps its best round.
std::vector<double> TimePerCall(int iterations, const std::vector<std::function<void()>>& calls) {
    std::vector<double> best(calls.size(), 1e300);
    for (int round = 0; round < 9; ++round)
        for (size_t k = 0; k < calls.size(); ++k) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < iterations; ++i) calls[k]();
            const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
            best[k] = std::min(best[k], took.count() / iterations);
        }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;

    // The dialogs' stored bar; Progress 100 is what their layouts load.
    TOrloExtProgressBar bar(nullptr);
    bar.SetBounds(0, 0, kWidth, kHeight);
    bar.SetBarForeColor(clRed);
    bar.SetBarBackColor(clBlack);
    bar.SetTextForeColor(clWhite);
    bar.SetTextBackColor(clWhite);
    bar.SetBorderStyle(gbRaised);
    bar.SetMaxValue(100);
    bar.SetProgress(100);
    bar.SetText("$p%");
    bar.SetSingleBorderColor(clWindowFrame);
    bar.SetInnerBorderSize(2);
    bar.SetTextAlign(TAlignment::taCenter);

    const std::unique_ptr<TBitmap> surface = CreateBitmap(kWidth, kHeight);
    TCanvas& canvas = surface->Canvas();
    const std::unique_ptr<TBitmap> plain = CreateBitmap(kWidth, kHeight);
    TCanvas& plainCanvas = plain->Canvas();
    plainCanvas.BrushColor = clRed;

    bar.PaintTo(canvas);  // warm-up: the font is matched and its glyphs rendered here
#ifndef _WIN32
    const size_t glyphsBefore = FontEngine::Instance().RenderedGlyphCount();
#endif
    // For reference, the least any paint does under the one-bitmap-per-paint rule: a
    // new bitmap of the client size, one fill, one copy.
    const auto floorPaint = [&] {
        const std::unique_ptr<TBitmap> b = CreateBitmap(kWidth, kHeight);
        b->Canvas().BrushColor = clRed;
        b->Canvas().FillRect({0, 0, kWidth, kHeight});
        canvas.Draw(0, 0, *b);
    };
    const std::vector<double> t = TimePerCall(iterations, {[&] { bar.PaintTo(canvas); },
                                                           [&] {
                                                               plainCanvas.FillRect({0, 0, kWidth, kHeight});
                                                           },
                                                           floorPaint});
    const double paint = t[0], fill = t[1], minimal = t[2];

    std::printf("bar %dx%d, text \"$p%%\" at %g%%, %d iterations a round, best of 9 rounds\n", kWidth, kHeight,
                static_cast<double>(bar.PercentAt()), iterations);
    std::printf("  full paint of the bar:            %9.0f ns\n", paint);
    std::printf("  plain fill, same size:            %9.0f ns\n", fill);
    std::printf("  new bitmap + fill + copy:         %9.0f ns\n", minimal);
    std::printf("  ratio paint / plain fill:         %9.2f x   (target <= 3)\n", paint / fill);
    std::printf("  ratio paint / bitmap+fill+copy:   %9.2f x\n", paint / minimal);
#ifndef _WIN32
    std::printf("  glyphs rendered while timing:     %9zu\n",
                FontEngine::Instance().RenderedGlyphCount() - glyphsBefore);
#endif
    return 0;
}
