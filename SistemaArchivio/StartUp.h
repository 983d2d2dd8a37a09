#pragma once

// Creates the tool's windows through the application object, each from its stored
// layout: the main window first (it becomes the application's main window), then the
// family's dialogs, hidden, in the order FrmProgress, FrmPinCode, FrmCredit, FrmPrint.
void CreateWindows();
