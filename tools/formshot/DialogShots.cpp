// The four auxiliary dialogs as start-up creates them (after the main window, which
// they centre over), each shown on its own and drawn into <folder>/<Name>.png. The
// PIN dialog shows with the focus in its field, as its showing event leaves it.
#include <cstdio>
#include <string>

#include "MainForm.h"
#include "PngWriter.h"
#include "dialogs/UnitCredit.h"
#include "dialogs/UnitPinCode.h"
#include "dialogs/UnitPrint.h"
#include "dialogs/UnitProgress.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"

namespace {

void Shot(forms::HeadlessBackend& backend, forms::TForm& dialog, const std::string& path) {
    dialog.Show();
    forms::Application->ProcessMessages();
    formshot::WritePng(*backend.Find(dialog.Handle())->Image, path);
    std::printf("%s\n", path.c_str());
    dialog.Hide();
}

}  // namespace

void RenderDialogs(const std::string& folder) {
    forms::HeadlessBackend backend;
    forms::TApplication app(backend);
    app.Initialize();
    app.CreateForm(MainForm);
    app.CreateForm(FrmProgress);
    app.CreateForm(FrmPinCode);
    app.CreateForm(FrmCredit);
    app.CreateForm(FrmPrint);
    MainForm->Show();
    Shot(backend, *FrmProgress, folder + "/FrmProgress.png");
    Shot(backend, *FrmPinCode, folder + "/FrmPinCode.png");
    Shot(backend, *FrmCredit, folder + "/FrmCredit.png");
    Shot(backend, *FrmPrint, folder + "/FrmPrint.png");
    MainForm = nullptr;
    FrmProgress = nullptr;
    FrmPinCode = nullptr;
    FrmCredit = nullptr;
    FrmPrint = nullptr;
}
