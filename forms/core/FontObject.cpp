#include "FontObject.h"

namespace forms {

namespace {
const NameTable kStyles = {
    {"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}};
const NameTable kCharsets = {{"ANSI_CHARSET", 0},       {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2},
                             {"SHIFTJIS_CHARSET", 128}, {"GREEK_CHARSET", 161}, {"EASTEUROPE_CHARSET", 238},
                             {"RUSSIAN_CHARSET", 204},  {"OEM_CHARSET", 255}};
}  // namespace

const TClassInfo& TFont::StaticClass() {
    static const TClassInfo info = ClassBuilder<TFont>("TFont", &TPersistent::StaticClass())
                                       .Enum<int32_t>("Charset", "TFontCharset", &TFont::SetCharset, kCharsets)
                                       .Reads([](const TFont& f) { return f.Spec().Charset; })
                                       .Color("Color", &TFont::SetColor)
                                       .Reads([](const TFont& f) { return f.Spec().Color; })
                                       .Int<int32_t>("Height", &TFont::SetHeight)
                                       .Reads([](const TFont& f) { return f.Spec().Height; })
                                       .String("Name", &TFont::SetName)
                                       .Reads([](const TFont& f) { return f.Spec().Name; })
                                       .Int<int32_t>("Size", &TFont::SetSize)
                                       .Reads(&TFont::Size)
                                       .Set("Style", "TFontStyles", &TFont::SetStyle, kStyles)
                                       .Reads([](const TFont& f) { return f.Spec().Style; })
                                       .Build();
    return info;
}

void TFont::Assign(const TFontSpec& spec) { spec_ = spec; }

}  // namespace forms
