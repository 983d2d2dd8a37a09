#pragma once
#include "components/OrloExtProgressBar.h"
#include "forms/controls/BitBtn.h"
#include "forms/core/Form.h"
#include "forms/controls/Label.h"
#include "forms/controls/StaticText.h"

// The progress window for printing the whole list: the page number in LblPrint, the
// progress in PBar and an abort button. The button raises PrintAborted for the code
// that runs the printing, and ends a modal showing with 3.
class TFrmPrint : public forms::TForm {
    FORMS_CLASS(TFrmPrint)
public:
    forms::TBitBtn* BtnAbort = nullptr;
    forms::TStaticText* StaticText1 = nullptr;
    forms::TLabel* LblPrint = nullptr;
    TOrloExtProgressBar* PBar = nullptr;

    void BtnAbortClick(forms::TObject* Sender);

    // Raised by the abort button; only the code that runs the printing lowers it.
    bool PrintAborted = false;

    explicit TFrmPrint(forms::TComponent* AOwner);
};

extern TFrmPrint* FrmPrint;
