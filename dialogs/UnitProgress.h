#pragma once
#include "components/OrloExtProgressBar.h"
#include "forms/core/Form.h"

// A one-line progress window shown while the global song list is built. Nothing in
// it ends a showing and its frame has no close box: the code that shows it hides it.
class TFrmProgress : public forms::TForm {
    FORMS_CLASS(TFrmProgress)
public:
    TOrloExtProgressBar* PBar = nullptr;

    explicit TFrmProgress(forms::TComponent* AOwner);
};

extern TFrmProgress* FrmProgress;
