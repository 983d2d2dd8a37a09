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

// Shown by the standard error display when no current folder could be captured.
inline constexpr char kWorkFolderUnreadable[] =
    "Non riesco a leggere la cartella in cui hai avviato il programma (forse \xC3\xA8 stata spostata o "
    "cancellata, o il suo disco \xC3\xA8 stato scollegato), perci\xC3\xB2 non ho toccato nessun file. Premere di "
    "nuovo il pulsante non serve, perch\xC3\xA9 leggo la cartella solo all'avvio: chiudi il programma e avvialo di "
    "nuovo dalla cartella che contiene Data.";
