#include "StartUp.h"

#include "MainForm.h"
#include "resources/Resources.h"
#include "dialogs/UnitCredit.h"
#include "dialogs/UnitPinCode.h"
#include "dialogs/UnitPrint.h"
#include "dialogs/UnitProgress.h"
#include "forms/core/Application.h"

void CreateWindows() {
    forms::Application->Icon = resources::Find("SistemaArchivio.ico");
    forms::Application->CreateForm(MainForm);
    forms::Application->CreateForm(FrmProgress);
    forms::Application->CreateForm(FrmPinCode);
    forms::Application->CreateForm(FrmCredit);
    forms::Application->CreateForm(FrmPrint);
}
