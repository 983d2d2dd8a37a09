#include "FontObject.h"

namespace forms {

namespace {
const NameTable kStyles = {{"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline},
                           {"fsStrikeOut", fsStrikeOut}};
const NameTable kCharsets = {{"ANSI_CHARSET", 0},        {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2},
                             {"SHIFTJIS_CHARSET", 128},  {"GREEK_CHARSET", 161}, {"EASTEUROPE_CHARSET", 238},
                             {"RUSSIAN_CHARSET", 204},   {"OEM_CHARSET", 255}};
}  // namespace

const TClassInfo& TFont::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TFont>("TFont", &TPersistent::StaticClass())
            .Enum("Charset", "TFontCharset", &TFont::SetCharset, int32_t{DEFAULT_CHARSET}, kCharsets)
            .Reads([](const TFont& f) { return f.Spec().Charset; })
            .Color("Color", &TFont::SetColor, clWindowText)
            .Reads([](const TFont& f) { return f.Spec().Color; })
            .Int<int32_t>("Height", &TFont::SetHeight, -11)
            .Reads([](const TFont& f) { return f.Spec().Height; })
            .String("Name", &TFont::SetName, "MS Sans Serif")
            .Reads([](const TFont& f) { return f.Spec().Name; })
            .Int<int32_t>("Size", &TFont::SetSize, 8)
            .Set("Style", "TFontStyles", &TFont::SetStyle, kStyles)
            .Reads([](const TFont& f) { return f.Spec().Style; })
            .Build();
    return info;
}

void TFont::Assign(const TFontSpec& spec) { spec_ = spec; }

}  // namespace forms
