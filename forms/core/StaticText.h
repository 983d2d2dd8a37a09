#pragma once
#include "Control.h"

namespace forms {

// A caption in a window of its own: it carries a tab order but is no tab stop and
// takes no focus from a click. Its text stands at its top-left corner, so it lines
// up with a label of the same top. With AutoSize (the default) it is its text's size
// plus BlankRight columns and BlankBelow rows; the stored layouts' sizes follow that
// rule. It fills its area with its colour, which follows the parent's colour while
// ParentColor holds (the default).
class TStaticText : public TWinControl {
    FORMS_CLASS(TStaticText)
public:
    static constexpr int32_t BlankRight = 3;
    static constexpr int32_t BlankBelow = 4;

    explicit TStaticText(TComponent* AOwner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    TColor BackgroundColor() const;

    void Paint() override;
    void Loaded() override;
    void TextChanged() override;
    void FontChanged() override;

private:
    void AdjustSize();
    bool autoSize_ = true;
};

}  // namespace forms
