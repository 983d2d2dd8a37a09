#include "UnitPrint.h"

#include "StoredLayout.h"

TFrmPrint* FrmPrint = nullptr;

const forms::TClassInfo& TFrmPrint::StaticClass() {
    static const forms::TClassInfo info = forms::ClassBuilder<TFrmPrint>("TFrmPrint", &forms::TForm::StaticClass())
                                              .Field("BtnAbort", &TFrmPrint::BtnAbort)
                                              .Field("StaticText1", &TFrmPrint::StaticText1)
                                              .Field("LblPrint", &TFrmPrint::LblPrint)
                                              .Field("PBar", &TFrmPrint::PBar)
                                              .Method("BtnAbortClick", &TFrmPrint::BtnAbortClick)
                                              .Build();
    return info;
}

TFrmPrint::TFrmPrint(forms::TComponent* AOwner) : forms::TForm(AOwner) { LoadStoredLayout(*this, "TFRMPRINT"); }

void TFrmPrint::BtnAbortClick(forms::TObject*) { PrintAborted = true; }
