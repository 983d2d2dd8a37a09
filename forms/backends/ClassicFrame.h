#pragma once
#include <cstdint>

#include "forms/core/Backend.h"

namespace forms {

// A window's frame: how far the outer rectangle reaches beyond the client area on
// each side (the top includes the caption).
struct FrameInsets {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Classic Windows metrics: a 3-pixel dialog frame, a 4-pixel sizing frame, a 19-pixel
// caption (16 for tool windows) with its edge. The headless backend's frames, and the
// SDL backend's until a window manager reports its own.
constexpr FrameInsets ClassicFrame(const WindowStyle& s) {
    switch (s.Border) {
        case TBorderStyle::bsNone:
            return {};
        case TBorderStyle::bsSingle:
        case TBorderStyle::bsDialog:
            return {3, 22, 3, 3};
        case TBorderStyle::bsToolWindow:
            return {3, 19, 3, 3};
        case TBorderStyle::bsSizeable:
            return {4, 23, 4, 4};
        case TBorderStyle::bsSizeToolWin:
            return {4, 20, 4, 4};
    }
    return {};
}

}  // namespace forms
