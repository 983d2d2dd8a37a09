#include <algorithm>

#include "SoftwareCanvas.h"

namespace forms {

TSoftwareBitmap::TSoftwareBitmap(int32_t width, int32_t height) : canvas_(*this) { SetSize(width, height); }

void TSoftwareBitmap::SetSize(int32_t width, int32_t height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0x00FFFFFFu);
}

std::unique_ptr<TBitmap> CreateBitmap(int32_t width, int32_t height) {
    return std::make_unique<TSoftwareBitmap>(width, height);
}

}  // namespace forms
