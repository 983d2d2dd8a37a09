#include "CauseTexts.h"

#include "base/Check.h"

namespace {

// Where the folder's rights stop the conversion: under Programmi only an administrator may
// change files; elsewhere the owner of the computer gives the permission.
constexpr char kAskAdmin[] =
    "Se la cartella che contiene Data sta dentro Programmi, chiudi questo programma e avvialo di nuovo con un clic "
    "destro e \xC2\xAB"
    "Esegui come amministratore\xC2\xBB; altrimenti chiedi il permesso a chi amministra il computer.";

// In the order of the causes.
const CauseText kTexts[] = {
    {Cause::NoAnswer, false, false,
     "Il disco o la rete hanno smesso di rispondere e ho interrotto la conversione: quello che ho gi\xC3\xA0 "
     "spostato resta dov'\xC3\xA8.",
     nullptr, nullptr,
     "Controlla che il disco sia acceso e attaccato bene al computer, e che la rete funzioni se l'archivio \xC3\xA8 "
     "in rete.",
     nullptr, "il disco o la rete non rispondono", nullptr},
    {Cause::NotReached, false, false, "file non \xC3\xA8 ancora stato spostato", "file non sono ancora stati spostati",
     "file", nullptr, nullptr, nullptr, nullptr},
    {Cause::InUse, false, false, "file non \xC3\xA8 stato spostato perch\xC3\xA9 \xC3\xA8 aperto in un altro programma",
     "file non sono stati spostati perch\xC3\xA9 sono aperti in un altro programma", "file",
     "Chiudi il programma che l'ha aperto.", "Chiudi i programmi che li hanno aperti.",
     "la cartella in cui va creata \xC3\xA8 aperta in un altro programma", "Chiudi il programma che l'ha aperta."},
    {Cause::NoPermission, false, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 non hai il permesso di spostarlo",
     "file non sono stati spostati perch\xC3\xA9 non hai il permesso di spostarli", "file", kAskAdmin, kAskAdmin,
     "non hai il permesso di scrivere nella cartella in cui va creata", nullptr},
    {Cause::InUseOrNoPermission, false, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 \xC3\xA8 aperto in un altro programma oppure non hai il "
     "permesso di spostarlo",
     "file non sono stati spostati perch\xC3\xA9 sono aperti in un altro programma oppure non hai il permesso di "
     "spostarli",
     "file",
     "Chiudi il programma che l'ha aperto e riprova."
     " Se non basta e la cartella che contiene Data sta dentro Programmi, chiudi questo programma e avvialo di "
     "nuovo con un clic destro e \xC2\xAB"
     "Esegui come amministratore\xC2\xBB; altrimenti chiedi il permesso a chi amministra il computer.",
     "Chiudi i programmi che li hanno aperti e riprova."
     " Se non basta e la cartella che contiene Data sta dentro Programmi, chiudi questo programma e avvialo di "
     "nuovo con un clic destro e \xC2\xAB"
     "Esegui come amministratore\xC2\xBB; altrimenti chiedi il permesso a chi amministra il computer.",
     "la cartella in cui va creata \xC3\xA8 aperta in un altro programma oppure non hai il permesso di scriverci",
     "Chiudi il programma che l'ha aperta e riprova."
     " Se non basta e la cartella che contiene Data sta dentro Programmi, chiudi questo programma e avvialo di "
     "nuovo con un clic destro e \xC2\xAB"
     "Esegui come amministratore\xC2\xBB; altrimenti chiedi il permesso a chi amministra il computer."},
    {Cause::ReadOnlyDrive, false, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 il disco \xC3\xA8 protetto da scrittura",
     "file non sono stati spostati perch\xC3\xA9 il disco \xC3\xA8 protetto da scrittura", "file",
     "Togli la protezione da scrittura (su una chiavetta o una scheda di memoria, con la levetta di blocco).",
     "Togli la protezione da scrittura (su una chiavetta o una scheda di memoria, con la levetta di blocco).",
     "il disco \xC3\xA8 protetto da scrittura", nullptr},
    {Cause::DiskFull, false, false, "file non \xC3\xA8 stato spostato perch\xC3\xA9 il disco \xC3\xA8 pieno",
     "file non sono stati spostati perch\xC3\xA9 il disco \xC3\xA8 pieno", "file", "Libera spazio sul disco.",
     "Libera spazio sul disco.", "il disco \xC3\xA8 pieno", nullptr},
    {Cause::Taken, false, true,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 il suo nome \xC3\xA8 gi\xC3\xA0 presente nell'archivio; "
     "nessun file \xC3\xA8 stato sovrascritto. I due file con quel nome, due copie dello stesso brano oppure due "
     "brani diversi, sono",
     "file non sono stati spostati perch\xC3\xA9 il loro nome \xC3\xA8 gi\xC3\xA0 presente nell'archivio; "
     "nessun file \xC3\xA8 stato sovrascritto. I file con lo stesso nome, due copie dello stesso brano oppure due "
     "brani diversi, sono a due a due",
     "coppie",
     "Aprili e confrontali. Se sono lo stesso brano, tienine uno solo e sposta l'altro fuori dalle cartelle Data e "
     "tdata. Se sono due brani diversi, sposta uno dei due direttamente in Data con un nome nuovo, senza lo 0 "
     "davanti (lo aggiunge il programma).",
     "Apri e confronta i due file di ogni coppia. Se sono lo stesso brano, tienine uno solo e sposta l'altro fuori "
     "dalle cartelle Data e tdata. Se sono due brani diversi, sposta uno dei due direttamente in Data con un nome "
     "nuovo, senza lo 0 davanti (lo aggiunge il programma).",
     nullptr, nullptr},
    {Cause::ForeignFolder, true, false,
     "sottocartella non fa parte dell'archivio e impedisce di completare la conversione",
     "sottocartelle non fanno parte dell'archivio e impediscono di completare la conversione", "sottocartelle",
     "Spostala fuori dalla cartella Data.", "Spostale fuori dalla cartella Data.", nullptr, nullptr},
    {Cause::InStaging, false, false, "elemento nella cartella tdata non fa parte dell'archivio",
     "elementi nella cartella tdata non fanno parte dell'archivio", "elementi", "Spostalo fuori da tdata.",
     "Spostali fuori da tdata.", nullptr, nullptr},
    {Cause::BadName, false, false, "file ha un nome che nel nuovo formato questo disco non accetta",
     "file hanno un nome che nel nuovo formato questo disco non accetta", "file",
     "Rinominalo togliendo i caratteri speciali (come ? * : \" < > |).",
     "Rinominali togliendo i caratteri speciali (come ? * : \" < > |).", nullptr, nullptr},
    {Cause::MadeUpName, false, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 il disco di rete lo mostra con un nome inventato: il suo vero "
     "nome ha caratteri che questo computer non sa mostrare. Qui sotto c'\xC3\xA8 il nome inventato",
     "file non sono stati spostati perch\xC3\xA9 il disco di rete li mostra con un nome inventato: il loro vero "
     "nome ha caratteri che questo computer non sa mostrare. Qui sotto ci sono i nomi inventati",
     "file",
     "Il vero nome si vede solo sul disco di rete stesso, per esempio nella sua pagina di gestione: rinominalo "
     "l\xC3\xAC, togliendo i caratteri speciali (come ? * : \" < > |) e senza nomi riservati come aux o con.",
     "I veri nomi si vedono solo sul disco di rete stesso, per esempio nella sua pagina di gestione: rinominali "
     "l\xC3\xAC, togliendo i caratteri speciali (come ? * : \" < > |) e senza nomi riservati come aux o con.",
     nullptr, nullptr},
    {Cause::TooLong, false, false, "file ha un nome troppo lungo per il nuovo formato",
     "file hanno un nome troppo lungo per il nuovo formato", "file", "Rinominalo con un nome pi\xC3\xB9 corto.",
     "Rinominali con nomi pi\xC3\xB9 corti.", nullptr, nullptr},
    {Cause::OtherDevice, false, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 si trova su un disco diverso da quello della cartella tdata, "
     "e il programma sposta i file senza copiarli",
     "file non sono stati spostati perch\xC3\xA9 si trovano su un disco diverso da quello della cartella tdata, "
     "e il programma sposta i file senza copiarli",
     "file", "Spostalo tu nella cartella Data, sullo stesso disco della cartella tdata.",
     "Spostali tu nella cartella Data, sullo stesso disco della cartella tdata.", nullptr, nullptr},
    {Cause::DiskError, false, false, "file non \xC3\xA8 stato spostato per un errore del disco",
     "file non sono stati spostati per un errore del disco", "file",
     "Controlla che il disco e la rete funzionino e che il file ci sia ancora.",
     "Controlla che il disco e la rete funzionino e che i file ci siano ancora.",
     "c'\xC3\xA8 stato un errore del disco", "Controlla che il disco e la rete funzionino."},
    {Cause::SwapFailed, false, false,
     "Tutti i brani sono gi\xC3\xA0 nella cartella tdata, ma non ho potuto metterla al posto della cartella Data: "
     "non cancellare e non rinominare tdata.",
     nullptr, nullptr,
     "Chiudi i programmi che hanno aperto file della cartella Data, e le finestre che mostrano la cartella Data o "
     "una sua sottocartella.",
     nullptr, nullptr, nullptr},
};

}  // namespace

const CauseText& TextOf(Cause cause) {
    const CauseText& text = kTexts[static_cast<std::size_t>(cause)];
    SA_CHECK(text.cause == cause, "the texts in the order of the causes");
    return text;
}
