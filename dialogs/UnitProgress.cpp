#include "UnitProgress.h"
#include "Resources.h"
#include "forms/controls/StandardClasses.h"

TFrmProgress* FrmProgress = nullptr;

const forms::TClassInfo& TFrmProgress::StaticClass() {
    static const forms::TClassInfo info = forms::TClassBuilder<TFrmProgress>("TFrmProgress", &forms::TForm::StaticClass())
                                              .Field("PBar", &TFrmProgress::PBar)
                                              .Build();
    return info;
}

TFrmProgress::TFrmProgress(forms::TComponent* AOwner) : forms::TForm(AOwner) {
    forms::RegisterStandardClasses();
    LoadLayout("TFRMPROGRESS", resources::Layout("TFRMPROGRESS"));
}
