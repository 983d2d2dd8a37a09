#pragma once
#include <functional>

#include "forms/core/Control.h"

namespace forms {

// The fill of a shape. Setting the colour it already has changes nothing and
// calls nobody, so callers may set it freely on every update.
class TBrush : public TPersistent {
    FORMS_CLASS(TBrush)
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c);

    std::function<void()> OnChange;

private:
    TColor color_ = clWhite;
};

// A windowless rectangle with a one-pixel solid black outline, filled with its
// brush colour. It repaints only when the brush colour actually changes. It is a
// decoration: assistive technology does not see it.
class TShape : public TGraphicControl {
    FORMS_CLASS(TShape)
public:
    explicit TShape(TComponent* AOwner);

    TBrush* Brush() { return &brush_; }
    const TBrush* Brush() const { return &brush_; }

    void Paint() override;

private:
    TBrush brush_;
};

}  // namespace forms
