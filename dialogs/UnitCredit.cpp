#include "UnitCredit.h"

#include "forms/core/Application.h"
#include "StoredLayout.h"

TFrmCredit* FrmCredit = nullptr;

const forms::TClassInfo& TFrmCredit::StaticClass() {
    static const forms::TClassInfo info = forms::ClassBuilder<TFrmCredit>("TFrmCredit", &forms::TForm::StaticClass())
                                              .Field("Image1", &TFrmCredit::Image1)
                                              .Field("StaticText1", &TFrmCredit::StaticText1)
                                              .Field("StaticText2", &TFrmCredit::StaticText2)
                                              .Field("StaticText3", &TFrmCredit::StaticText3)
                                              .Field("StaticText4", &TFrmCredit::StaticText4)
                                              .Field("StaticText5", &TFrmCredit::StaticText5)
                                              .Field("Label1", &TFrmCredit::Label1)
                                              .Method("Label1Click", &TFrmCredit::Label1Click)
                                              .Build();
    return info;
}

TFrmCredit::TFrmCredit(forms::TComponent* AOwner) : forms::TForm(AOwner) { LoadStoredLayout(*this, "TFRMCREDIT"); }

// The help viewer opens the help file of the current folder, maximised. Where the
// viewer does not exist the backend hands the file to the desktop's own viewer.
// Whether anything opened is not reported: the link ends the dialog either way.
void TFrmCredit::Label1Click(forms::TObject*) {
    forms::ShellRequest request;
    forms::TForm* main = forms::Application->MainForm();
    request.Owner = main && main->HandleAllocated() ? main->Handle() : 0;
    request.Verb = "open";
    request.File = "hh.exe";
    request.Parameters = "Lyrimat.chm";
    request.Directory = "";
    request.ShowCommand = forms::SW_SHOWMAXIMIZED;
    forms::Application->GetBackend().ShellExecute(request);
    SetModalResult(forms::mrOk);
}
