#include "MainForm.h"

#include "ConversionPass.h"
#include "ConversionReport.h"
#include "WorkFolder.h"
#include "dialogs/StoredLayout.h"
#include "forms/core/Application.h"

TMainForm* MainForm = nullptr;

namespace {

// The pass reports through the application's modal message box.
class ApplicationMessageBox : public MessageBoxPort {
public:
    std::int32_t Show(const std::string& text, const std::string& caption, std::uint32_t flags) override {
        return forms::Application->MessageBox(text, caption, flags);
    }
};

}  // namespace

const forms::TClassInfo& TMainForm::StaticClass() {
    static const forms::TClassInfo info = forms::ClassBuilder<TMainForm>("TMainForm", &forms::TForm::StaticClass())
                                              .Field("Button1", &TMainForm::Button1)
                                              .Method("FormShow", &TMainForm::FormShow)
                                              .Method("Button1Click", &TMainForm::Button1Click)
                                              .Build();
    return info;
}

TMainForm::TMainForm(forms::TComponent* AOwner) : forms::TForm(AOwner) {
    SetIcon(true);
    LoadStoredLayout(*this, "TMAINFORM");
}

void TMainForm::FormShow(forms::TObject*) { CaptureWorkFolder(); }

void TMainForm::Button1Click(forms::TObject*) {
    // Without a current folder every path would start at a root, in some other archive:
    // the pass is not started, and the user learns that nothing was touched.
    if (WorkFolder.empty()) throw forms::Exception(kWorkFolderUnreadable);
    ApplicationMessageBox box;
    ConvertArchive(WorkFolder, box);
}
