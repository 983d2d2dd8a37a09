#pragma once
#include <cstdlib>
#include <functional>

#include "Object.h"
#include "forms/graphics/Font.h"

namespace forms {

// The published font of a control; any change calls OnChange.
class TFont : public TPersistent {
    FORMS_CLASS(TFont)
public:
    const TFontSpec& Spec() const { return spec_; }
    void Assign(const TFontSpec& spec);  // no OnChange: used to follow the parent's font

    void SetName(const std::string& v) {
        spec_.Name = v;
        Changed();
    }
    void SetHeight(int32_t v) {
        spec_.Height = v;
        Changed();
    }
    // Points at 96 pixels per inch, as Windows converts them; a positive (cell) height
    // gives a negative size, rounded half away from zero like MulDiv.
    int32_t Size() const {
        const int32_t points = (std::abs(spec_.Height) * 72 + 48) / 96;
        return spec_.Height < 0 ? points : -points;
    }
    void SetSize(int32_t points) {
        spec_.Height = -((points * 96 + 36) / 72);
        Changed();
    }
    void SetStyle(TFontStyles v) {
        spec_.Style = v;
        Changed();
    }
    void SetColor(TColor v) {
        spec_.Color = v;
        Changed();
    }
    void SetCharset(int32_t v) {
        spec_.Charset = v;
        Changed();
    }

    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    TFontSpec spec_;
};

}  // namespace forms
