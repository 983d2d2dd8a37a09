#include "StoredLayout.h"

#include "resources/Resources.h"
#include "forms/controls/StandardClasses.h"

void LoadStoredLayout(forms::TForm& form, std::string_view name) {
    forms::RegisterStandardClasses();
    form.LoadLayout(name, resources::Layout(name));
}
