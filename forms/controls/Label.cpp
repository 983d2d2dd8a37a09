#include "Label.h"

namespace forms {

const TClassInfo& TLabel::StaticClass() {
    static const TClassInfo info = CaptionClassInfo<TLabel>("TLabel", TGraphicControl::StaticClass());
    return info;
}

TLabel::TLabel(TComponent* AOwner) : TCaptionControl(AOwner) { SetBounds(0, 0, 65, 13); }

}  // namespace forms
