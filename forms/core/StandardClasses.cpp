#include "Button.h"
#include "ClassInfo.h"
#include "Timer.h"

namespace forms {

// The library's own classes that a layout may name without a form field.
void RegisterStandardClasses() {
    RegisterClass(TButton::StaticClass());
    RegisterClass(TTimer::StaticClass());
}

}  // namespace forms
