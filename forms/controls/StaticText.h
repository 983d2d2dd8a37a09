#pragma once
#include "CaptionControl.h"

namespace forms {

// A caption in a window of its own: it carries a tab order but is no tab stop and
// takes no focus from a click. Its text stands at its top-left corner, so it lines
// up with a label of the same top. With AutoSize it is its text's size plus
// kBlankRight columns and kBlankBelow rows; the stored layouts' sizes follow that rule.
class TStaticText : public TCaptionControl<TWinControl, 3, 4> {
    FORMS_CLASS(TStaticText)
public:
    explicit TStaticText(TComponent* AOwner);
};

}  // namespace forms
