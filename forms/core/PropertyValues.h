#pragma once
// Layout values as the typed values property writers take, and typed values as a
// layout writes them.
#include <cstdint>
#include <string>

#include "ClassInfo.h"
#include "LayoutValue.h"
#include "forms/graphics/Color.h"

namespace forms {

// Value conversions shared by the property writers; each throws EPropertyError.
int64_t ToInteger(const LayoutValue& v, int64_t lo, int64_t hi);
bool ToBool(const LayoutValue& v);
TColor ToColor(const LayoutValue& v);
int64_t ToEnum(const LayoutValue& v, const NameTable& names);
int64_t ToSet(const LayoutValue& v, const NameTable& names);
const std::string& ToString(const LayoutValue& v);
std::string NameOf(const NameTable& names, int64_t value);
// A set as a layout writes it: "[akLeft, akTop]", names in the table's order.
std::string SetText(const NameTable& names, int64_t bits);

}  // namespace forms
