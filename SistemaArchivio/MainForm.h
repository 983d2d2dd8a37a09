#pragma once
#include "forms/controls/Button.h"
#include "forms/core/Form.h"

// The tool's one working window: a button that converts the archive in the folder
// the tool was started in.
class TMainForm : public forms::TForm {
    FORMS_CLASS(TMainForm)
public:
    forms::TButton* Button1 = nullptr;

    explicit TMainForm(forms::TComponent* AOwner);

    void FormShow(forms::TObject* Sender);
    void Button1Click(forms::TObject* Sender);
};

extern TMainForm* MainForm;
