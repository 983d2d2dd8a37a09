#pragma once
// The input a window system reports: mouse buttons, the shift state, Windows'
// virtual keys, and which keys type which characters. Backends and controls share
// it, so that a test's keyboard types what a real one does.
#include <cstdint>

namespace forms {

enum TShiftFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = uint8_t;
enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// The shift-state bit that says a mouse button is held.
constexpr TShiftFlag ButtonShift(TMouseButton b) {
    switch (b) {
        case TMouseButton::mbLeft:
            return ssLeft;
        case TMouseButton::mbRight:
            return ssRight;
        default:
            return ssMiddle;
    }
}

// Virtual-key codes, with Windows' values.
enum VirtualKey : uint16_t {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F4 = 0x73
};

// The control character Windows types for a key with this shift state, or 0: Ctrl
// with a letter types its control character, Ctrl+Enter a line feed and
// Ctrl+Backspace a delete; Alt types none. Printable characters come from the
// keyboard layout, not from here.
constexpr char32_t ControlCharacter(uint16_t key, TShiftState shift) {
    if (shift & ssAlt) return 0;
    if (shift & ssCtrl) {
        if (key >= 'A' && key <= 'Z') return static_cast<char32_t>(key - 'A' + 1);
        if (key == VK_RETURN) return U'\n';
        if (key == VK_BACK) return U'\x7f';
        return 0;
    }
    switch (key) {
        case VK_RETURN:
            return U'\r';
        case VK_ESCAPE:
            return U'\x1b';
        case VK_BACK:
            return U'\b';
        case VK_TAB:
            return U'\t';
        default:
            return 0;
    }
}

}  // namespace forms
