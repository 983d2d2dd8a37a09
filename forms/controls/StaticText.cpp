#include "StaticText.h"

namespace forms {

const TClassInfo& TStaticText::StaticClass() {
    static const TClassInfo info = CaptionClassInfo<TStaticText>("TStaticText", TWinControl::StaticClass());
    return info;
}

TStaticText::TStaticText(TComponent* AOwner) : TCaptionControl(AOwner) { SetBounds(0, 0, 65, 17); }

}  // namespace forms
