// The warning's exact texts: one paragraph per cause, singular and plural, names
// sorted, cut after three, long names shortened.
#include "SistemaArchivio/ConversionReport.h"

#include <gtest/gtest.h>

namespace {

const std::string kHead = "La conversione non \u00e8 completa.\n\n";
const std::string kAgain = ", poi premi di nuovo \u00abCoverti Archivio\u00bb.";
const std::string kWaiting =
    "\n\nI brani gi\u00e0 spostati aspettano nella cartella tdata: il programma di karaoke li trover\u00e0 quando "
    "la conversione sar\u00e0 completa.";

ConversionOutcome Refusal(Obstacle obstacle, std::vector<std::string> names, Cause cause = Cause::kDiskError) {
    ConversionOutcome o;
    o.obstacle = obstacle;
    o.obstacleCause = cause;
    o.obstacleNames = std::move(names);
    return o;
}

ConversionOutcome With(Cause cause, std::vector<std::string> paths, bool waiting = false) {
    ConversionOutcome o;
    for (std::string& path : paths) o.Add(cause, std::move(path));
    o.songsWaiting = waiting;
    return o;
}

ConversionOutcome Copies(std::vector<LeftBehind> pairs) {
    ConversionOutcome o;
    for (LeftBehind& pair : pairs) o.Add(Cause::kTaken, std::move(pair.path), std::move(pair.present));
    return o;
}

}  // namespace

TEST(ConversionReport, Texts) {
    ConversionOutcome mixed = With(Cause::kInUse, {"Data/a"}, true);
    mixed.Add(Cause::kForeignFolder, "Data/Backup");
    ConversionOutcome stopped = With(Cause::kNotReached, {"Data/b", "Data/a"});
    stopped.Add(Cause::kNoAnswer, "");
    struct Case {
        const char* label;
        ConversionOutcome outcome;
        std::string text;
    };
    const Case cases[] = {
        {"one in use", With(Cause::kInUse, {"Data/a.kar"}),
         kHead + "1 file non \u00e8 stato spostato perch\u00e9 \u00e8 in uso da un altro programma (Data/a.kar). "
                 "Chiudi il programma che lo usa" + kAgain},
        {"four in use, sorted and cut after three, songs waiting", With(Cause::kInUse, {"d", "b", "c", "a"}, true),
         kHead + "4 file non sono stati spostati perch\u00e9 sono in uso da un altro programma (a, b, c, \u2026). "
                 "Chiudi i programmi che li usano" + kAgain + kWaiting},
        {"no permission", With(Cause::kNoPermission, {"Data/a", "Data/b"}),
         kHead + "2 file non sono stati spostati perch\u00e9 non hai il permesso di spostarli (Data/a, Data/b). "
                 "Chiedi il permesso a chi amministra il computer" + kAgain},
        {"in use or no permission", With(Cause::kInUseOrNoPermission, {"Data/a"}),
         kHead + "1 file non \u00e8 stato spostato perch\u00e9 \u00e8 in uso da un altro programma oppure non hai "
                 "il permesso di spostarlo (Data/a). Chiudi il programma che lo usa; se non basta, chiedi il "
                 "permesso a chi amministra il computer" + kAgain},
        {"write-protected", With(Cause::kReadOnlyDrive, {"Data/a"}),
         kHead + "1 file non \u00e8 stato spostato perch\u00e9 il disco \u00e8 protetto da scrittura (Data/a). "
                 "Togli la protezione da scrittura (su una chiavetta o una scheda di memoria, con la levetta di "
                 "blocco)" + kAgain},
        {"disk full", With(Cause::kDiskFull, {"Data/a", "Data/b"}),
         kHead + "2 file non sono stati spostati perch\u00e9 il disco \u00e8 pieno (Data/a, Data/b). Libera spazio "
                 "sul disco" + kAgain},
        {"one duplicate", Copies({{"Data/abc", "tdata/0a/0abc"}}),
         kHead + "1 brano ha un nome gi\u00e0 presente nell'archivio e non \u00e8 stato spostato; nessun file "
                 "\u00e8 stato sovrascritto. Le due copie sono Data/abc e tdata/0a/0abc. Confrontale, elimina o "
                 "sposta altrove quella da non tenere" + kAgain},
        {"two duplicates", Copies({{"tdata/0b/0b", "Data/0b/0b"}, {"tdata/0a/0a", "Data/0a/0a"}}),
         kHead + "2 brani hanno un nome gi\u00e0 presente nell'archivio e non sono stati spostati; nessun file "
                 "\u00e8 stato sovrascritto. Le copie sono: tdata/0a/0a e Data/0a/0a; tdata/0b/0b e Data/0b/0b. "
                 "Confronta le copie di ogni coppia, elimina o sposta altrove quella da non tenere" + kAgain},
        {"one foreign folder", With(Cause::kForeignFolder, {"Data/Backup"}),
         kHead + "1 sottocartella non fa parte dell'archivio (Data/Backup). Spostala altrove" + kAgain},
        {"two foreign folders", With(Cause::kForeignFolder, {"Data/x", "Data/Backup"}),
         kHead + "2 sottocartelle non fanno parte dell'archivio (Data/Backup, Data/x). Spostale altrove" + kAgain},
        {"a name the drive cannot hold", With(Cause::kBadName, {"Data/a?b"}),
         kHead + "1 file ha un nome che questo disco non accetta (Data/a?b). Rinominalo senza caratteri come "
                 "? * : \" < > |" + kAgain},
        {"one name too long, cut on a character", With(Cause::kTooLong, {std::string(59, 'n') + "\u00e8\u00e8"}),
         kHead + "1 file ha un nome troppo lungo per il nuovo formato (" + std::string(59, 'n') +
             "\u2026). Rinominalo con un nome pi\u00f9 corto" + kAgain},
        {"two names too long", With(Cause::kTooLong, {"a", "b"}),
         kHead + "2 file hanno un nome troppo lungo per il nuovo formato (a, b). Rinominali con nomi pi\u00f9 "
                 "corti" + kAgain},
        {"one on another device", With(Cause::kOtherDevice, {"Data/m"}),
         kHead + "1 file si trova su un disco diverso da quello della cartella tdata (Data/m). La conversione "
                 "sposta i brani e non li copia: portalo sul disco di tdata" + kAgain},
        {"two disk errors", With(Cause::kDiskError, {"x", "y"}),
         kHead + "2 file non sono stati spostati per un errore del disco (x, y). Controlla il disco" + kAgain},
        {"swap failed", With(Cause::kSwapFailed, {"Data"}, true),
         kHead + "Tutti i brani sono gi\u00e0 nella cartella tdata, ma non ho potuto metterla al posto della "
                 "cartella Data. Chiudi i programmi e le finestre che usano Data" + kAgain + kWaiting},
        {"two causes, in a fixed order", mixed,
         kHead + "1 file non \u00e8 stato spostato perch\u00e9 \u00e8 in uso da un altro programma (Data/a). "
                 "Chiudi il programma che lo usa" + kAgain + "\n\n1 sottocartella non fa parte dell'archivio "
                 "(Data/Backup). Spostala altrove" + kAgain + kWaiting},
        {"tdata is no folder", Refusal(Obstacle::kStagingNotAFolder, {"tdata"}),
         "Non ho spostato nessun file: tdata non \u00e8 una cartella ma un file o un collegamento, e la "
         "conversione ha bisogno di quel nome per la sua cartella di lavoro. Spostalo o rinominalo" + kAgain},
        {"tdata cannot be made: full", Refusal(Obstacle::kStagingNotMade, {"tdata"}, Cause::kDiskFull),
         "Non ho spostato nessun file: non ho potuto creare la cartella di lavoro tdata perch\u00e9 il disco "
         "\u00e8 pieno. Libera spazio sul disco" + kAgain},
        {"tdata cannot be made: write-protected",
         Refusal(Obstacle::kStagingNotMade, {"tdata"}, Cause::kReadOnlyDrive),
         "Non ho spostato nessun file: non ho potuto creare la cartella di lavoro tdata perch\u00e9 il disco "
         "\u00e8 protetto da scrittura. Togli la protezione da scrittura (su una chiavetta o una scheda di "
         "memoria, con la levetta di blocco)" + kAgain},
        {"tdata cannot be made: no permission", Refusal(Obstacle::kStagingNotMade, {"tdata"}, Cause::kNoPermission),
         "Non ho spostato nessun file: non ho potuto creare la cartella di lavoro tdata perch\u00e9 non hai il "
         "permesso di scrivere in questa cartella. Chiedi il permesso a chi amministra il computer" + kAgain},
        {"tdata cannot be made: a cause with no reason of its own",
         Refusal(Obstacle::kStagingNotMade, {"tdata"}, Cause::kBadName),
         "Non ho spostato nessun file: non ho potuto creare la cartella di lavoro tdata perch\u00e9 c'\u00e8 stato "
         "un errore del disco. Controlla il disco" + kAgain},
        {"another device", Refusal(Obstacle::kOtherDevice, {"tdata"}),
         "Non ho spostato nessun file: la cartella Data si trova su un disco diverso da quello della cartella di "
         "lavoro tdata, e i brani si possono solo spostare, mai copiare. Porta Data e tdata sullo stesso disco" +
             kAgain},
        {"the drive stopped answering", stopped,
         kHead + "Il disco o la rete hanno smesso di rispondere e ho interrotto la conversione: quello che ho gi\u00e0 "
                 "spostato resta dov'\u00e8. Controlla il collegamento con il disco o con il NAS" + kAgain + "\n\n2 "
                 "file non sono ancora stati spostati (Data/a, Data/b). Li sposter\u00f2 quando premerai di nuovo "
                 "\u00abCoverti Archivio\u00bb."},
        {"Data leads nowhere", Refusal(Obstacle::kDataLinkBroken, {"Data"}),
         "Non ho spostato nessun file: Data \u00e8 un collegamento a una cartella che non esiste pi\u00f9 o non "
         "\u00e8 raggiungibile. Se l'archivio si trova su un disco esterno o di rete, collegalo" + kAgain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_FALSE(c.outcome.Complete());
        EXPECT_EQ(ConversionReportText(c.outcome), c.text);
    }
    EXPECT_TRUE(ConversionOutcome{}.Complete());
}
