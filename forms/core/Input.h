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
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD1 = 0x61,
    VK_NUMPAD2 = 0x62,
    VK_NUMPAD3 = 0x63,
    VK_NUMPAD4 = 0x64,
    VK_NUMPAD5 = 0x65,
    VK_NUMPAD6 = 0x66,
    VK_NUMPAD7 = 0x67,
    VK_NUMPAD8 = 0x68,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F4 = 0x73,
    VK_F13 = 0x7C,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
    VK_OEM_102 = 0xE2
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
