#include <algorithm>
#include <new>

#include "GdiCanvas.h"

// <windows.h> comes after our headers: it turns names such as RGB into macros.
#include <windows.h>

namespace forms {
namespace {

uint32_t WindowsSystemColor(int index) { return static_cast<uint32_t>(GetSysColor(index)); }

// System colours come from the running desktop's scheme. Installed while the program
// starts, before anything can resolve a colour through the classic table.
[[maybe_unused]] const bool g_systemColorsInstalled = [] {
    UseDesktopSystemColors();
    return true;
}();

}  // namespace

void UseDesktopSystemColors() { SetSystemColorSource(&WindowsSystemColor); }

TGdiBitmap::TGdiBitmap(int32_t width, int32_t height) : canvas_(*this) {
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) throw std::bad_alloc();
    // The canvas never asks for anything else: text without a background box, its
    // cell's top-left corner at the given point, and the current position untouched.
    SetBkMode(dc_, TRANSPARENT);
    SetTextAlign(dc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    SelectObject(dc_, GetStockObject(DC_PEN));
    SelectObject(dc_, GetStockObject(DC_BRUSH));
    SetSize(width, height);
}

TGdiBitmap::~TGdiBitmap() {
    Release();
    DeleteDC(dc_);
}

void TGdiBitmap::Release() {
    if (dib_) {
        SelectObject(dc_, static_cast<HGDIOBJ>(initial_));
        DeleteObject(dib_);
    }
    dib_ = nullptr;
    initial_ = nullptr;
    bits_ = nullptr;
}

void TGdiBitmap::SetSize(int32_t width, int32_t height) {
    GdiFlush();
    Release();
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ > 0 && height_ > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down: row 0 first in memory
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dib_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!dib_ || !bits) {
            if (dib_) DeleteObject(dib_);
            dib_ = nullptr;
            width_ = height_ = 0;
            throw std::bad_alloc();
        }
        bits_ = static_cast<uint32_t*>(bits);
        initial_ = SelectObject(dc_, dib_);
        std::fill(bits_, bits_ + static_cast<size_t>(width_) * static_cast<size_t>(height_), 0x00FFFFFFu);
    }
    canvas_.ApplyClip();
}

const uint32_t* TGdiBitmap::Bits() const {
    GdiFlush();
    return bits_;
}

uint32_t* TGdiBitmap::Bits() {
    GdiFlush();
    return bits_;
}

std::unique_ptr<TBitmap> CreateBitmap(int32_t width, int32_t height) {
    return std::make_unique<TGdiBitmap>(width, height);
}

}  // namespace forms
