// The warning's exact texts: one paragraph per cause, singular and plural, names
// sorted, cut after three, long names shortened.
#include "SistemaArchivio/ConversionReport.h"

#include <gtest/gtest.h>

namespace {

const std::string kHead = "La conversione non \u00e8 completa.\n\n";
const std::string kAgain = "premi di nuovo \"Coverti Archivio\".";

ConversionOutcome Refusal(Obstacle obstacle, std::vector<std::string> names) {
    ConversionOutcome o;
    o.obstacle = obstacle;
    o.obstacleNames = std::move(names);
    return o;
}

template <typename Field, typename Value>
ConversionOutcome With(Field ConversionOutcome::*field, Value value) {
    ConversionOutcome o;
    o.*field = std::move(value);
    return o;
}

}  // namespace

TEST(ConversionReport, Texts) {
    using Names = std::vector<std::string>;
    ConversionOutcome mixed;
    mixed.inUse = {"Data/a"};
    mixed.foreignFolders = {"Data/Backup"};
    struct Case {
        const char* label;
        ConversionOutcome outcome;
        std::string text;
    };
    const Case cases[] = {
        {"one in use", With(&ConversionOutcome::inUse, Names{"Data/a.kar"}),
         kHead + "1 file non \u00e8 stato spostato perch\u00e9 \u00e8 in uso o protetto (Data/a.kar): chiudi i programmi "
                 "che lo usano e " + kAgain},
        {"four in use, sorted and cut after three", With(&ConversionOutcome::inUse, Names{"d", "b", "c", "a"}),
         kHead + "4 file non sono stati spostati perch\u00e9 sono in uso o protetti (a, b, c, \u2026): chiudi i "
                 "programmi che li usano e " + kAgain},
        {"one duplicate", With(&ConversionOutcome::duplicates, std::vector<Duplicate>{{"Data/abc", "tdata/0a/0abc"}}),
         kHead + "1 brano ha un nome gi\u00e0 presente nell'archivio e non \u00e8 stato spostato; nessun file \u00e8 stato "
                 "sovrascritto. Le due copie sono Data/abc e tdata/0a/0abc. Confrontale, togli o rinomina quella da "
                 "non tenere, poi " + kAgain},
        {"two duplicates",
         With(&ConversionOutcome::duplicates, std::vector<Duplicate>{{"tdata/0b/0b", "Data/0b/0b"}, {"tdata/0a/0a", "Data/0a/0a"}}),
         kHead + "2 brani hanno un nome gi\u00e0 presente nell'archivio e non sono stati spostati; nessun file \u00e8 "
                 "stato sovrascritto. Le copie sono: tdata/0a/0a e Data/0a/0a; tdata/0b/0b e Data/0b/0b. "
                 "Confrontale, togli o rinomina quelle da non tenere, poi " + kAgain},
        {"one foreign folder", With(&ConversionOutcome::foreignFolders, Names{"Data/Backup"}),
         kHead + "1 sottocartella non fa parte dell'archivio (Data/Backup): spostala altrove e " + kAgain},
        {"two foreign folders", With(&ConversionOutcome::foreignFolders, Names{"Data/x", "Data/Backup"}),
         kHead + "2 sottocartelle non fanno parte dell'archivio (Data/Backup, Data/x): spostale altrove e " + kAgain},
        {"one name too long, cut on a character",
         With(&ConversionOutcome::tooLong, Names{std::string(59, 'n') + "\u00e8\u00e8"}),
         kHead + "1 file ha un nome troppo lungo per il nuovo formato (" + std::string(59, 'n') +
             "\u2026): rinominalo con un nome pi\u00f9 corto e " + kAgain},
        {"two names too long", With(&ConversionOutcome::tooLong, Names{"a", "b"}),
         kHead + "2 file hanno un nome troppo lungo per il nuovo formato (a, b): rinominali con nomi pi\u00f9 corti e " +
             kAgain},
        {"one on another device", With(&ConversionOutcome::otherDevice, Names{"Data/m"}),
         kHead + "1 file si trova su un disco diverso da quello della cartella tdata (Data/m) e non pu\u00f2 essere "
                 "spostato, solo copiato: la conversione non copia."},
        {"two on another device", With(&ConversionOutcome::otherDevice, Names{"m", "n"}),
         kHead + "2 file si trovano su un disco diverso da quello della cartella tdata (m, n) e non possono essere "
                 "spostati, solo copiati: la conversione non copia."},
        {"one disk error", With(&ConversionOutcome::failed, Names{"Data/x"}),
         kHead + "1 file non \u00e8 stato spostato per un errore del disco (Data/x): controlla il disco e " + kAgain},
        {"two disk errors", With(&ConversionOutcome::failed, Names{"x", "y"}),
         kHead + "2 file non sono stati spostati per un errore del disco (x, y): controlla il disco e " + kAgain},
        {"swap failed", With(&ConversionOutcome::swapFailed, true),
         kHead + "Tutti i brani sono gi\u00e0 nella cartella tdata, ma non ho potuto metterla al posto della cartella "
                 "Data: chiudi i programmi e le finestre che usano Data e " + kAgain},
        {"two causes, in a fixed order", mixed,
         kHead + "1 file non \u00e8 stato spostato perch\u00e9 \u00e8 in uso o protetto (Data/a): chiudi i programmi che "
                 "lo usano e " + kAgain + "\n\n1 sottocartella non fa parte dell'archivio (Data/Backup): spostala "
                 "altrove e " + kAgain},
        {"tdata is no folder", Refusal(Obstacle::kStagingNotAFolder, {"tdata"}),
         "Non ho spostato nessun file: tdata non \u00e8 una cartella ma un file o un collegamento, e la conversione ha "
         "bisogno di quel nome per la sua cartella di lavoro. Spostalo o rinominalo, poi " + kAgain},
        {"tdata cannot be made", Refusal(Obstacle::kStagingNotMade, {"tdata"}),
         "Non ho spostato nessun file: non ho potuto creare la cartella di lavoro tdata: il disco \u00e8 pieno, "
         "protetto dalla scrittura, oppure mancano i permessi. Libera spazio o controlla i permessi, poi " + kAgain},
        {"another device", Refusal(Obstacle::kOtherDevice, {"tdata"}),
         "Non ho spostato nessun file: la cartella Data si trova su un disco diverso da quello della cartella di "
         "lavoro tdata, e i brani si possono solo spostare, mai copiare."},
        {"one link in Data", Refusal(Obstacle::kLinksInData, {"Data/l"}),
         "Non ho spostato nessun file: la cartella Data contiene 1 collegamento (Data/l), che dopo lo spostamento non "
         "porterebbe pi\u00f9 al suo file. Sostituiscilo con il file a cui porta, poi " + kAgain},
        {"two links in Data", Refusal(Obstacle::kLinksInData, {"Data/l", "Data/k"}),
         "Non ho spostato nessun file: la cartella Data contiene 2 collegamenti (Data/k, Data/l), che dopo lo "
         "spostamento non porterebbero pi\u00f9 ai loro file. Sostituiscili con i file a cui portano, poi " + kAgain},
        {"Data leads nowhere", Refusal(Obstacle::kDataLinkBroken, {"Data"}),
         "Non ho spostato nessun file: la cartella Data \u00e8 un collegamento che non porta a nessuna cartella (Data). "
         "Se l'archivio si trova su un disco esterno o di rete, collegalo e " + kAgain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_FALSE(c.outcome.Complete());
        EXPECT_EQ(ConversionReportText(c.outcome), c.text);
    }
    EXPECT_TRUE(ConversionOutcome{}.Complete());
}
