#pragma once
// The classes a layout may name without a form field, and a form designer's palette.
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "ClassInfo.h"

namespace forms {

// Classes the layout reader can create without a form naming them in a field.
void RegisterClass(const TClassInfo& info);
const TClassInfo* FindClass(const std::string& name);
// Every registered class, by name.
std::vector<const TClassInfo*> RegisteredClasses();

// A visual form designer's component palette: what the components' Register functions
// list. The running tool never fills it; the tests read it for the registered classes.
void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes);
std::vector<std::pair<std::string, const TClassInfo*>> DesignPalette();

}  // namespace forms
