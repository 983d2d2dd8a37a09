#include "StandardClasses.h"

#include "BitBtn.h"
#include "Button.h"
#include "forms/core/Application.h"
#include "forms/core/ClassRegistry.h"
#include "Edit.h"
#include "Image.h"
#include "Label.h"
#include "MessageForm.h"
#include "Shape.h"
#include "StaticText.h"
#include "forms/core/Timer.h"

namespace forms {

void RegisterStandardClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    SetMessageFormFallback(&ShowMessageForm);
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
