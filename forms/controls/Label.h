#pragma once
#include "CaptionControl.h"

namespace forms {

// A windowless caption. It takes no keyboard focus. With AutoSize it is exactly as
// large as its text.
class TLabel : public TCaptionControl<TGraphicControl, 0, 0> {
    FORMS_CLASS(TLabel)
public:
    explicit TLabel(TComponent* AOwner);
};

}  // namespace forms
