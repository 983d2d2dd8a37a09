#pragma once
#include <cstdint>
#include <string>

#include "Color.h"

namespace forms {

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

constexpr int DEFAULT_CHARSET = 1;
constexpr int ANSI_CHARSET = 0;

// Height as Windows stores it: negative is the character height in pixels, positive
// the cell height. "MS Sans Serif" -11 gives cells 13 pixels high.
struct TFontSpec {
    std::string Name = "MS Sans Serif";
    int32_t Height = -11;
    TFontStyles Style = 0;
    TColor Color = clWindowText;
    int32_t Charset = DEFAULT_CHARSET;

    bool operator==(const TFontSpec& o) const {
        return Name == o.Name && Height == o.Height && Style == o.Style && Color == o.Color && Charset == o.Charset;
    }
    bool operator!=(const TFontSpec& o) const { return !(*this == o); }
};

}  // namespace forms
