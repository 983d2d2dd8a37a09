#include "UnitPinCode.h"

#include <cstring>
#include <string>
#include <string_view>

#include "StoredLayout.h"
#include "base/Utf8.h"

TFrmPinCode* FrmPinCode = nullptr;

const forms::TClassInfo& TFrmPinCode::StaticClass() {
    static const forms::TClassInfo info = forms::ClassBuilder<TFrmPinCode>("TFrmPinCode", &forms::TForm::StaticClass())
                                              .Field("EdPinCode", &TFrmPinCode::EdPinCode)
                                              .Field("BitOk", &TFrmPinCode::BitOk)
                                              .Field("BitCancel", &TFrmPinCode::BitCancel)
                                              .Field("StaticText1", &TFrmPinCode::StaticText1)
                                              .Method("BitOkClick", &TFrmPinCode::BitOkClick)
                                              .Method("BitCancelClick", &TFrmPinCode::BitCancelClick)
                                              .Method("EdPinCodeKeyPress", &TFrmPinCode::EdPinCodeKeyPress)
                                              .Method("FormShow", &TFrmPinCode::FormShow)
                                              .Build();
    return info;
}

TFrmPinCode::TFrmPinCode(forms::TComponent* AOwner) : forms::TForm(AOwner) {
    LoadStoredLayout(*this, "TFRMPINCODE");
    // What the layout cannot store: the PIN is a secret, and the caption above it names it.
    EdPinCode->SetPasswordField(true);
    StaticText1->SetFocusControl(EdPinCode);
}

// The field's text as it is, but never more than four whole characters and never
// past the buffer, whatever a caller may have put into the field.
void TFrmPinCode::TakePinCode() {
    const std::string text = EdPinCode->Text();
    size_t length = 0;
    for (int characters = 0; characters < 4 && length < text.size(); ++characters) {
        const size_t next = length + base::FirstCharacterLength(std::string_view(text).substr(length), false);
        if (next > sizeof PinCode - 1) break;
        length = next;
    }
    std::memcpy(PinCode, text.data(), length);
    PinCode[length] = '\0';
    // 2, not 1: the callers take 2 as "a PIN was given".
    SetModalResult(forms::mrCancel);
}

void TFrmPinCode::BitOkClick(forms::TObject*) { TakePinCode(); }

void TFrmPinCode::BitCancelClick(forms::TObject*) { SetModalResult(forms::mrAbort); }

// Carriage return takes the PIN like OK; the key itself goes on unchanged, and every
// other key too.
void TFrmPinCode::EdPinCodeKeyPress(forms::TObject*, char32_t& Key) {
    if (Key == U'\r') TakePinCode();
}

void TFrmPinCode::FormShow(forms::TObject*) { EdPinCode->SetFocus(); }
