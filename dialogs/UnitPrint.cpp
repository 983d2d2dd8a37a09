#include "UnitPrint.h"
#include "Resources.h"
#include "forms/controls/StandardClasses.h"

TFrmPrint* FrmPrint = nullptr;

const forms::TClassInfo& TFrmPrint::StaticClass() {
    static const forms::TClassInfo info = forms::TClassBuilder<TFrmPrint>("TFrmPrint", &forms::TForm::StaticClass())
                                              .Field("BtnAbort", &TFrmPrint::BtnAbort)
                                              .Field("StaticText1", &TFrmPrint::StaticText1)
                                              .Field("LblPrint", &TFrmPrint::LblPrint)
                                              .Field("PBar", &TFrmPrint::PBar)
                                              .Method("BtnAbortClick", &TFrmPrint::BtnAbortClick)
                                              .Build();
    return info;
}

TFrmPrint::TFrmPrint(forms::TComponent* AOwner) : forms::TForm(AOwner) {
    forms::RegisterStandardClasses();
    LoadLayout("TFRMPRINT", resources::Layout("TFRMPRINT"));
}

void TFrmPrint::BtnAbortClick(forms::TObject*) { PrintAborted = true; }
