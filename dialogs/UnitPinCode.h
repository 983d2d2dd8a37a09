#pragma once
#include "forms/controls/BitBtn.h"
#include "forms/controls/Edit.h"
#include "forms/core/Form.h"
#include "forms/controls/StaticText.h"

// Asks for a new PIN code of up to four characters and hands it to the code that
// showed the dialog: a modal showing returns 2 with the PIN in PinCode, or 3 when the
// user cancelled and PinCode is left as it was.
class TFrmPinCode : public forms::TForm {
    FORMS_CLASS(TFrmPinCode)
public:
    forms::TEdit* EdPinCode = nullptr;
    forms::TBitBtn* BitOk = nullptr;
    forms::TBitBtn* BitCancel = nullptr;
    forms::TStaticText* StaticText1 = nullptr;

    void BitOkClick(forms::TObject* Sender);
    void BitCancelClick(forms::TObject* Sender);
    void EdPinCodeKeyPress(forms::TObject* Sender, char32_t& Key);
    void FormShow(forms::TObject* Sender);

    // The last PIN taken, zero-terminated UTF-8: four characters of any script at up
    // to four bytes each, and the terminator.
    char PinCode[4 * 4 + 1] = {};

    explicit TFrmPinCode(forms::TComponent* AOwner);

private:
    void TakePinCode();
};

extern TFrmPinCode* FrmPinCode;
