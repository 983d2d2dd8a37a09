// What a screen reader finds in each dialog, shown, on the headless backend.
#include "DialogFixture.h"
#include "dialogs/UnitCredit.h"
#include "dialogs/UnitPinCode.h"
#include "dialogs/UnitPrint.h"
#include "dialogs/UnitProgress.h"
#include "tests/forms/core/AccessibleRows.h"

using namespace forms;
using Rows = std::vector<std::string>;

namespace {

struct DialogAccessible : DialogFixture {
    template <class F>
    Rows Shown(F*& dialog) {
        app.CreateForm(dialog);
        dialog->Show();
        return AccessibleRows(backend, dialog->Handle());
    }
};

TEST_F(DialogAccessible, PinCodeHidesThePinAndNamesItsFieldByItsCaption) {
    const Rows rows = Shown(FrmPinCode);
    backend.Type("1234");
    app.ProcessMessages();
    EXPECT_EQ(FrmPinCode->EdPinCode->Text(), "1234");
    EXPECT_EQ(AccessibleRows(backend, FrmPinCode->Handle()), rows) << "typing shows nothing of the PIN";
    EXPECT_EQ(rows,
              (Rows{"dialog 'Modifica Codice PIN'", "text 'Inserisci il nuovo Codice PIN' focusable focused protected",
                    "push button 'OK' focusable default", "push button 'Annulla' focusable cancel",
                    "static text 'Inserisci il nuovo Codice PIN' read-only"}));
}

TEST_F(DialogAccessible, EachDialogAsAScreenReaderFindsIt) {
    EXPECT_EQ(Shown(FrmProgress), (Rows{"dialog 'Creazione Lista Globale in corso....'",
                                        "progress bar '' = 100% 100 of 0..100 read-only"}));
    FrmProgress->PBar->SetProgress(40);
    EXPECT_EQ(AccessibleRows(backend, FrmProgress->Handle()).at(1), "progress bar '' = 40% 40 of 0..100 read-only");
    EXPECT_EQ(Shown(FrmCredit), (Rows{"dialog 'Informazioni'", "graphic ''", "static text 'l'Help' read-only",
                                      "static text 'versione 1.0.0.3b' read-only",
                                      "static text 'Realizzato dagli autori del programma' read-only",
                                      "static text 'Supporto al programma Vocarium' read-only",
                                      "static text 'leggere' read-only", "static text 'per informazioni' read-only"}));
    EXPECT_EQ(Shown(FrmPrint),
              (Rows{"dialog 'Stampa in corso di tutta la lista...'", "static text '1' read-only",
                    "progress bar '' = 100% 100 of 0..100 read-only", "push button 'Annulla Stampa' focusable focused",
                    "static text 'Preparazione in corso per la stampa della pagina' read-only"}));
}

}  // namespace
