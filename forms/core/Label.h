#pragma once
#include <string_view>

#include "Control.h"

namespace forms {

// The size of a text's cell in a font, as a canvas draws it: for sizing controls
// to their text outside of painting.
TSize MeasureText(const TFontSpec& font, std::string_view text);

// A windowless caption. It takes no keyboard focus. With AutoSize (the default) it
// is exactly as large as its text; it fills its area with its colour, which follows
// the parent's colour while ParentColor holds (the default).
class TLabel : public TGraphicControl {
    FORMS_CLASS(TLabel)
public:
    explicit TLabel(TComponent* AOwner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    // The colour it is drawn on right now.
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
