#pragma once
#include "forms/core/Form.h"
#include "forms/controls/Image.h"
#include "forms/controls/Label.h"
#include "forms/controls/StaticText.h"

// The information window: picture, version line, support line, author credit and a
// link that opens the help file. The link ends a modal showing with 1, the close
// box with 2.
class TFrmCredit : public forms::TForm {
    FORMS_CLASS(TFrmCredit)
public:
    forms::TImage* Image1 = nullptr;
    forms::TStaticText* StaticText1 = nullptr;
    forms::TStaticText* StaticText2 = nullptr;
    forms::TStaticText* StaticText3 = nullptr;
    forms::TStaticText* StaticText4 = nullptr;
    forms::TStaticText* StaticText5 = nullptr;
    forms::TLabel* Label1 = nullptr;

    void Label1Click(forms::TObject* Sender);

    explicit TFrmCredit(forms::TComponent* AOwner);
};

extern TFrmCredit* FrmCredit;
