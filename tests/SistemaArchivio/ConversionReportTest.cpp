// The warning's exact texts: one block per cause, singular and plural, names on lines,
// sorted, cut after three, long names shortened, and how to go on said once.
#include "SistemaArchivio/ConversionReport.h"

#include <gtest/gtest.h>

namespace {

const std::string kHead = "La conversione non \u00e8 completa.\n\n";
const std::string kAgain =
    "\n\nQuando hai fatto, premi di nuovo \u00abCoverti Archivio\u00bb: la conversione riprende da dove si "
    "\u00e8 fermata.";
const std::string kWaiting =
    "\n\nI brani gi\u00e0 spostati aspettano nella cartella tdata: non cancellarla e non rinominarla. Il "
    "programma di karaoke li trover\u00e0 quando la conversione sar\u00e0 completa.";
const std::string kRetry = "\n\nQuando hai fatto, premi di nuovo \u00abCoverti Archivio\u00bb.";
const std::string kNothing = "Non ho spostato nessun file: ";
const std::string kNotMade = kNothing + "non ho potuto creare la cartella di lavoro tdata perch\u00e9 ";
const std::string kTaken = "gi\u00e0 presente nell'archivio; nessun file \u00e8 stato sovrascritto. I ";
const std::string kCompare =
    "Se sono lo stesso brano, tienine uno solo e sposta l'altro fuori dalle cartelle Data e tdata. Se sono due "
    "brani diversi, sposta uno dei due direttamente in Data con un nome nuovo, senza lo 0 davanti (lo aggiunge il "
    "programma).";
const std::string kAdmin =
    "Se la cartella che contiene Data sta dentro Programmi, chiudi questo programma e avvialo di nuovo con un clic "
    "destro e \u00abEsegui come amministratore\u00bb; altrimenti chiedi il permesso a chi amministra il computer.";

ConversionOutcome Refusal(Obstacle obstacle, std::vector<std::string> names, Cause cause = Cause::DiskError) {
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
    for (LeftBehind& pair : pairs) o.Add(Cause::Taken, std::move(pair.path), std::move(pair.present));
    return o;
}

}  // namespace

TEST(ConversionReport, Texts) {
    ConversionOutcome mixed = With(Cause::InUse, {"Data/a"}, true);
    mixed.Add(Cause::ForeignFolder, "Data/Backup");
    mixed.Add(Cause::Taken, "Data/b", "tdata/0b/0b");
    mixed.Add(Cause::InStaging, "tdata/x.kar");
    ConversionOutcome stopped = With(Cause::NotReached, {"Data/b", "Data/a"});
    stopped.Add(Cause::NoAnswer, "");
    std::vector<std::string> thousands;
    for (int i = 0; i < 23456; ++i) thousands.push_back("Data/" + std::to_string(10000 + i));
    const std::string longFolder = "E:/" + std::string(50, 'f') + "/Data/";
    const std::string longSong = std::string(40, 's') + " - " + std::string(30, 't') + "\u00e8.kar";
    struct Case {
        const char* label;
        ConversionOutcome outcome;
        std::string text;
    };
    const Case cases[] = {
        {"one in use", With(Cause::InUse, {"Data/a.kar"}),
         kHead +
             "Un file non \u00e8 stato spostato perch\u00e9 \u00e8 aperto in un altro programma:\nData/a.kar\n"
             "Chiudi il programma che l'ha aperto." +
             kAgain},
        {"four in use, names on lines, a fourth name in place of one more",
         With(Cause::InUse, {"d", "b", "c", "a"}, true),
         kHead +
             "4 file non sono stati spostati perch\u00e9 sono aperti in un altro programma:\na\nb\nc\nd\n"
             "Chiudi i programmi che li hanno aperti." +
             kWaiting + kAgain},
        {"counts in thousands", With(Cause::DiskError, thousands),
         kHead +
             "23.456 file non sono stati spostati per un errore del disco:\nData/10000\nData/10001\nData/10002\n"
             "e altri 23.453 file\nControlla che il disco e la rete funzionino e che i file ci siano ancora." +
             kAgain},
        {"no permission", With(Cause::NoPermission, {"Data/a", "Data/b"}),
         kHead + "2 file non sono stati spostati perch\u00e9 non hai il permesso di spostarli:\nData/a\nData/b\n" +
             kAdmin + kAgain},
        {"in use or no permission", With(Cause::InUseOrNoPermission, {"Data/a"}),
         kHead +
             "Un file non \u00e8 stato spostato perch\u00e9 \u00e8 aperto in un altro programma oppure non hai "
             "il permesso di spostarlo:\nData/a\nChiudi il programma che l'ha aperto e riprova. Se non basta e la "
             "cartella che contiene Data sta dentro Programmi, chiudi questo programma e avvialo di nuovo con un clic "
             "destro e \u00abEsegui come amministratore\u00bb; altrimenti chiedi il permesso a chi amministra il "
             "computer." +
             kAgain},
        {"write-protected", With(Cause::ReadOnlyDrive, {"Data/a"}),
         kHead +
             "Un file non \u00e8 stato spostato perch\u00e9 il disco \u00e8 protetto da scrittura:\nData/a\n"
             "Togli la protezione da scrittura (su una chiavetta o una scheda di memoria, con la levetta di "
             "blocco)." +
             kAgain},
        {"disk full", With(Cause::DiskFull, {"Data/a", "Data/b"}),
         kHead +
             "2 file non sono stati spostati perch\u00e9 il disco \u00e8 pieno:\nData/a\nData/b\nLibera spazio "
             "sul disco." +
             kAgain},
        {"one duplicate", Copies({{"Data/abc", "tdata/0a/0abc"}}),
         kHead + "Un file non \u00e8 stato spostato perch\u00e9 il suo nome \u00e8 " + kTaken +
             "due file con quel nome, due copie dello stesso brano oppure due brani diversi, sono:\nData/abc\n"
             "tdata/0a/0abc\nAprili e confrontali. " +
             kCompare + kAgain},
        {"five duplicates", Copies({{"e", "0e"}, {"d", "0d"}, {"c", "0c"}, {"b", "0b"}, {"a", "0a"}}),
         kHead + "5 file non sono stati spostati perch\u00e9 il loro nome \u00e8 " + kTaken +
             "file con lo stesso nome, due copie dello stesso brano oppure due brani diversi, sono a due a due:\na\n"
             "0a\nb\n0b\nc\n0c\ne altre 2 coppie\nApri e confronta i due file di ogni coppia. " +
             kCompare + kAgain},
        {"one foreign folder", With(Cause::ForeignFolder, {"Data/Backup"}),
         kHead +
             "Una sottocartella non fa parte dell'archivio e impedisce di completare la conversione:\nData/Backup\n"
             "Spostala fuori dalla cartella Data." +
             kAgain},
        {"five foreign folders", With(Cause::ForeignFolder, {"e", "d", "c", "b", "a"}),
         kHead +
             "5 sottocartelle non fanno parte dell'archivio e impediscono di completare la conversione:\na\nb\nc\n"
             "e altre 2 sottocartelle\n"
             "Spostale fuori dalla cartella Data." +
             kAgain},
        {"a name the drive cannot hold", With(Cause::BadName, {"Data/a?b"}),
         kHead +
             "Un file ha un nome che nel nuovo formato questo disco non accetta:\nData/a?b\nRinominalo togliendo "
             "i caratteri speciali (come ? * : \" < > |)." +
             kAgain},
        {"a long path loses its first folders", With(Cause::TooLong, {longFolder + "a.kar"}),
         kHead +
             "Un file ha un nome troppo lungo per il nuovo formato:\nE:/\u2026/Data/a.kar\nRinominalo con un nome "
             "pi\u00f9 corto." +
             kAgain},
        {"a long song's name loses its middle", With(Cause::TooLong, {longFolder + longSong, "Data/b"}),
         kHead + "2 file hanno un nome troppo lungo per il nuovo formato:\nData/b\nE:/\u2026/" + std::string(19, 's') +
             "\u2026" + std::string(15, 't') +
             "\u00e8.kar\nRinominali con nomi "
             "pi\u00f9 corti." +
             kAgain},
        {"one on another device", With(Cause::OtherDevice, {"Data/m"}),
         kHead +
             "Un file non \u00e8 stato spostato perch\u00e9 si trova su un disco diverso da quello della cartella "
             "tdata, e il programma sposta i file senza copiarli:\nData/m\nSpostalo tu nella cartella Data, sullo "
             "stesso disco della cartella tdata." +
             kAgain},
        {"swap failed, songs waiting said once", With(Cause::SwapFailed, {"Data"}, true),
         kHead +
             "Tutti i brani sono gi\u00e0 nella cartella tdata, ma non ho potuto metterla al posto della "
             "cartella Data: non cancellare e non rinominare tdata.\nChiudi i programmi che hanno aperto file della "
             "cartella Data, e le finestre che mostrano la cartella Data o una sua sottocartella." +
             kAgain},
        {"four causes, in a fixed order", mixed,
         kHead +
             "Un file non \u00e8 stato spostato perch\u00e9 \u00e8 aperto in un altro programma:\nData/a\n"
             "Chiudi il programma che l'ha aperto.\n\nUn file non \u00e8 stato spostato perch\u00e9 il suo nome "
             "\u00e8 " +
             kTaken +
             "due file con quel nome, due copie dello stesso brano oppure due brani diversi, sono:\nData/b\n"
             "tdata/0b/0b\nAprili e confrontali. " +
             kCompare +
             "\n\nUna sottocartella non fa parte dell'archivio e impedisce di completare la conversione:\n"
             "Data/Backup\nSpostala fuori dalla cartella Data.\n\nUn elemento nella cartella tdata non fa parte "
             "dell'archivio:\ntdata/x.kar\nSpostalo fuori da tdata." +
             kWaiting + kAgain},
        {"tdata is no folder", Refusal(Obstacle::StagingNotAFolder, {"tdata"}),
         kNothing +
             "tdata non \u00e8 una cartella ma un file o un collegamento, e la conversione ha bisogno di "
             "quel nome per la sua cartella di lavoro.\nSpostalo o rinominalo." +
             kRetry},
        {"tdata cannot be made: full", Refusal(Obstacle::StagingNotMade, {"tdata"}, Cause::DiskFull),
         kNotMade + "il disco \u00e8 pieno.\nLibera spazio sul disco." + kRetry},
        {"tdata cannot be made: in use", Refusal(Obstacle::StagingNotMade, {"tdata"}, Cause::InUse),
         kNotMade +
             "la cartella in cui va creata \u00e8 aperta in un altro programma.\nChiudi il programma che "
             "l'ha aperta." +
             kRetry},
        {"tdata cannot be made: write-protected", Refusal(Obstacle::StagingNotMade, {"tdata"}, Cause::ReadOnlyDrive),
         kNotMade +
             "il disco \u00e8 protetto da scrittura.\nTogli la protezione da scrittura (su una chiavetta o "
             "una scheda di memoria, con la levetta di blocco)." +
             kRetry},
        {"tdata cannot be made: no permission", Refusal(Obstacle::StagingNotMade, {"tdata"}, Cause::NoPermission),
         kNotMade + "non hai il permesso di scrivere nella cartella in cui va creata.\n" + kAdmin + kRetry},
        {"tdata cannot be made: a cause with no reason of its own",
         Refusal(Obstacle::StagingNotMade, {"tdata"}, Cause::BadName),
         kNotMade + "c'\u00e8 stato un errore del disco.\nControlla che il disco e la rete funzionino." + kRetry},
        {"another device", Refusal(Obstacle::OtherDevice, {"tdata"}),
         kNothing +
             "la cartella Data si trova su un altro disco rispetto alla cartella che la contiene. Il programma "
             "sposta i brani senza copiarli, e non pu\u00f2 spostarli da un disco all'altro.\nSposta i brani in "
             "una cartella Data che stia sullo stesso disco della cartella in cui hai avviato il programma." +
             kRetry},
        {"Data is a whole drive", Refusal(Obstacle::DataIsDrive, {"E:\\"}),
         kNothing +
             "Data \u00e8 un collegamento all'intero disco E:\\, ma la cartella di lavoro tdata va creata "
             "accanto a Data, sullo stesso disco.\nSposta i brani in una cartella Data dentro E:\\, poi cambia il "
             "collegamento Data perch\u00e9 porti a quella cartella." +
             kRetry},
        {"the drive stopped answering", stopped,
         kHead +
             "Il disco o la rete hanno smesso di rispondere e ho interrotto la conversione: quello che ho gi\u00e0 "
             "spostato resta dov'\u00e8.\nControlla che il disco sia acceso e attaccato bene al computer, e che la "
             "rete funzioni se l'archivio \u00e8 in rete.\n\n2 file non "
             "sono ancora stati spostati:\nData/a\nData/b" +
             kAgain},
        {"Data leads nowhere", Refusal(Obstacle::DataLinkBroken, {"Data"}),
         kNothing +
             "Data \u00e8 un collegamento a una cartella che non esiste pi\u00f9 o non \u00e8 raggiungibile.\n"
             "Se l'archivio si trova su un disco esterno, attaccalo al computer e accendilo; se si trova in rete, "
             "controlla che la rete funzioni." +
             kRetry},
        {"Data cannot be read", Refusal(Obstacle::DataUnreadable, {"Data"}),
         kNothing +
             "non riesco a leggere la cartella Data: non hai il permesso di aprirla, oppure il disco o la rete non "
             "rispondono.\nControlla che il disco e la rete funzionino; se non basta, chiedi il permesso di "
             "leggere la cartella a chi amministra il computer." +
             kRetry},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_FALSE(c.outcome.Complete());
        EXPECT_EQ(ConversionReportText(c.outcome), c.text);
    }
    EXPECT_TRUE(ConversionOutcome{}.Complete());
}
