#include "UnitProgress.h"

#include "StoredLayout.h"

TFrmProgress* FrmProgress = nullptr;

const forms::TClassInfo& TFrmProgress::StaticClass() {
    static const forms::TClassInfo info =
        forms::ClassBuilder<TFrmProgress>("TFrmProgress", &forms::TForm::StaticClass())
            .Field("PBar", &TFrmProgress::PBar)
            .Build();
    return info;
}

TFrmProgress::TFrmProgress(forms::TComponent* AOwner) : forms::TForm(AOwner) {
    LoadStoredLayout(*this, "TFRMPROGRESS");
}
