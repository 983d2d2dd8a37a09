#include "BitBtn.h"
#include "Button.h"
#include "ClassInfo.h"
#include "Edit.h"
#include "Image.h"
#include "Label.h"
#include "Shape.h"
#include "StaticText.h"
#include "Timer.h"

namespace forms {

// The library's own classes that a layout may name without a form field.
void RegisterStandardClasses() {
    RegisterClass(TButton::StaticClass());
    RegisterClass(TTimer::StaticClass());
    RegisterClass(TShape::StaticClass());
    RegisterClass(TBitBtn::StaticClass());
    RegisterClass(TEdit::StaticClass());
    RegisterClass(TLabel::StaticClass());
    RegisterClass(TStaticText::StaticClass());
    RegisterClass(TImage::StaticClass());
}

}  // namespace forms
