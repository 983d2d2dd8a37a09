#pragma once
#include <string_view>

#include "forms/core/Form.h"

// Builds a window of the tool from its stored layout "<name>.layout", in its
// constructor: first the classes a layout may name without a form field are
// registered, then the layout is read onto the form.
void LoadStoredLayout(forms::TForm& form, std::string_view name);
