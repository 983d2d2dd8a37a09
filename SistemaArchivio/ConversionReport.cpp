#include "SistemaArchivio/ConversionReport.h"

#include <algorithm>

namespace {

using platform::Failure;

constexpr char kPressAgain[] = "poi premi di nuovo \xC2\xAB" "Coverti Archivio\xC2\xBB.";
constexpr char kSongsWaiting[] =
    "I brani gi\xC3\xA0 spostati aspettano nella cartella tdata: il programma di karaoke li trover\xC3\xA0 "
    "quando la conversione sar\xC3\xA0 completa.";
constexpr std::size_t kNamesShown = 3;
constexpr std::size_t kLongestNameShown = 60;

// One cause as the report tells it: "<n> <one or many> (<names>). <Remedy>, poi premi di
// nuovo «Coverti Archivio»." A row without a count is one sentence and its remedy.
struct Row {
    Cause cause;
    Failure failure;          // the failure of the system reported as this cause
    bool pairs;               // the names are pairs of copies, not a list in brackets
    const char* one;          // what happened, for one entry
    const char* many;         // and for several; none: one sentence, without count or names
    const char* remedyOne;    // what to do, as a sentence
    const char* remedyMany;
    bool again;               // pressing again helps once the remedy is done
    const char* reason;       // why tdata could not be made, where this cause can say it
};

// In the order the report names them.
const Row kRows[] = {
    {Cause::kNoAnswer, Failure::kNoAnswer, false,
     "Il disco o la rete hanno smesso di rispondere e ho interrotto la conversione: quello che ho gi\xC3\xA0 "
     "spostato resta dov'\xC3\xA8.",
     nullptr, "Controlla il collegamento con il disco o con il NAS", nullptr, true,
     "il disco o la rete non rispondono"},
    {Cause::kNotReached, Failure::kNone, false, "file non \xC3\xA8 ancora stato spostato",
     "file non sono ancora stati spostati",
     "Lo sposter\xC3\xB2 quando premerai di nuovo \xC2\xAB" "Coverti Archivio\xC2\xBB",
     "Li sposter\xC3\xB2 quando premerai di nuovo \xC2\xAB" "Coverti Archivio\xC2\xBB", false, nullptr},
    {Cause::kInUse, Failure::kInUse, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 \xC3\xA8 in uso da un altro programma",
     "file non sono stati spostati perch\xC3\xA9 sono in uso da un altro programma",
     "Chiudi il programma che lo usa", "Chiudi i programmi che li usano", true,
     "la cartella \xC3\xA8 in uso da un altro programma"},
    {Cause::kNoPermission, Failure::kNoPermission, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 non hai il permesso di spostarlo",
     "file non sono stati spostati perch\xC3\xA9 non hai il permesso di spostarli",
     "Chiedi il permesso a chi amministra il computer", "Chiedi il permesso a chi amministra il computer", true,
     "non hai il permesso di scrivere in questa cartella"},
    {Cause::kInUseOrNoPermission, Failure::kInUseOrNoPermission, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 \xC3\xA8 in uso da un altro programma oppure non hai il "
     "permesso di spostarlo",
     "file non sono stati spostati perch\xC3\xA9 sono in uso da un altro programma oppure non hai il permesso di "
     "spostarli",
     "Chiudi il programma che lo usa; se non basta, chiedi il permesso a chi amministra il computer",
     "Chiudi i programmi che li usano; se non basta, chiedi il permesso a chi amministra il computer", true,
     "non hai il permesso di scrivere in questa cartella, oppure \xC3\xA8 in uso da un altro programma"},
    {Cause::kReadOnlyDrive, Failure::kReadOnlyDrive, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 il disco \xC3\xA8 protetto da scrittura",
     "file non sono stati spostati perch\xC3\xA9 il disco \xC3\xA8 protetto da scrittura",
     "Togli la protezione da scrittura (su una chiavetta o una scheda di memoria, con la levetta di blocco)",
     "Togli la protezione da scrittura (su una chiavetta o una scheda di memoria, con la levetta di blocco)", true,
     "il disco \xC3\xA8 protetto da scrittura"},
    {Cause::kDiskFull, Failure::kDiskFull, false,
     "file non \xC3\xA8 stato spostato perch\xC3\xA9 il disco \xC3\xA8 pieno",
     "file non sono stati spostati perch\xC3\xA9 il disco \xC3\xA8 pieno", "Libera spazio sul disco",
     "Libera spazio sul disco", true, "il disco \xC3\xA8 pieno"},
    {Cause::kTaken, Failure::kTaken, true,
     "brano ha un nome gi\xC3\xA0 presente nell'archivio e non \xC3\xA8 stato spostato; nessun file \xC3\xA8 stato "
     "sovrascritto. Le due copie sono",
     "brani hanno un nome gi\xC3\xA0 presente nell'archivio e non sono stati spostati; nessun file \xC3\xA8 stato "
     "sovrascritto. Le copie sono:",
     "Confrontale, elimina o sposta altrove quella da non tenere",
     "Confronta le copie di ogni coppia, elimina o sposta altrove quella da non tenere", true, nullptr},
    {Cause::kForeignFolder, Failure::kNone, false, "sottocartella non fa parte dell'archivio",
     "sottocartelle non fanno parte dell'archivio", "Spostala altrove", "Spostale altrove", true, nullptr},
    {Cause::kBadName, Failure::kBadName, false, "file ha un nome che questo disco non accetta",
     "file hanno un nome che questo disco non accetta",
     "Rinominalo senza caratteri come ? * : \" < > |", "Rinominali senza caratteri come ? * : \" < > |", true,
     nullptr},
    {Cause::kMadeUpName, Failure::kNone, false,
     "file compare con un nome inventato dal disco di rete, che non sa mostrare il suo vero nome, e non \xC3\xA8 "
     "stato spostato",
     "file compaiono con un nome inventato dal disco di rete, che non sa mostrare il loro vero nome, e non sono "
     "stati spostati",
     "Rinominalo direttamente sul NAS, senza caratteri come ? * : \" < > | e senza nomi riservati come aux o con",
     "Rinominali direttamente sul NAS, senza caratteri come ? * : \" < > | e senza nomi riservati come aux o con",
     true, nullptr},
    {Cause::kTooLong, Failure::kNameTooLong, false, "file ha un nome troppo lungo per il nuovo formato",
     "file hanno un nome troppo lungo per il nuovo formato", "Rinominalo con un nome pi\xC3\xB9 corto",
     "Rinominali con nomi pi\xC3\xB9 corti", true, nullptr},
    {Cause::kOtherDevice, Failure::kOtherDevice, false,
     "file si trova su un disco diverso da quello della cartella tdata",
     "file si trovano su un disco diverso da quello della cartella tdata",
     "La conversione sposta i brani e non li copia: portalo sul disco di tdata",
     "La conversione sposta i brani e non li copia: portali sul disco di tdata", true, nullptr},
    {Cause::kDiskError, Failure::kOther, false, "file non \xC3\xA8 stato spostato per un errore del disco",
     "file non sono stati spostati per un errore del disco", "Controlla il disco", "Controlla il disco", true,
     "c'\xC3\xA8 stato un errore del disco"},
    {Cause::kSwapFailed, Failure::kNone, false,
     "Tutti i brani sono gi\xC3\xA0 nella cartella tdata, ma non ho potuto metterla al posto della cartella Data.",
     nullptr, "Chiudi i programmi e le finestre che usano Data", nullptr, true, nullptr},
};

const Row& RowOf(Cause cause) {
    for (const Row& row : kRows)
        if (row.cause == cause) return row;
    return RowOf(Cause::kDiskError);
}

// A name as the box shows it: a very long one is cut, on a character boundary.
std::string Shown(const std::string& path) {
    if (path.size() <= kLongestNameShown) return path;
    std::size_t end = kLongestNameShown;
    while (end > 0 && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80) --end;
    return path.substr(0, end) + "\xE2\x80\xA6";
}

// "(a, b, c, …)": the first few names in order, then an ellipsis for the rest; pairs of
// copies as "a e b; c e d".
std::string NameList(std::vector<LeftBehind> left, bool pairs) {
    std::sort(left.begin(), left.end(), [](const LeftBehind& a, const LeftBehind& b) { return a.path < b.path; });
    const char* separator = pairs ? "; " : ", ";
    std::string list = pairs ? "" : "(";
    for (std::size_t i = 0; i < left.size() && i < kNamesShown; ++i) {
        if (i) list += separator;
        list += Shown(left[i].path);
        if (pairs) list += " e " + Shown(left[i].present);
    }
    if (left.size() > kNamesShown) list += std::string(separator) + "\xE2\x80\xA6";
    return pairs ? list : list + ")";
}

std::string Remedy(const char* remedy, bool again) {
    return std::string(remedy) + (again ? std::string(", ") + kPressAgain : std::string("."));
}

std::string Paragraph(const Row& row, const std::vector<LeftBehind>& left) {
    if (!row.many) return std::string(row.one) + " " + Remedy(row.remedyOne, row.again);
    const bool one = left.size() == 1;
    return std::to_string(left.size()) + " " + (one ? row.one : row.many) + " " + NameList(left, row.pairs) + ". " +
           Remedy(one ? row.remedyOne : row.remedyMany, row.again);
}

std::string ObstacleText(const ConversionOutcome& o) {
    const std::string nothing = "Non ho spostato nessun file: ";
    const std::string first = o.obstacleNames.empty() ? std::string() : Shown(o.obstacleNames.front());
    switch (o.obstacle) {
    case Obstacle::kStagingNotAFolder:
        return nothing + first +
               " non \xC3\xA8 una cartella ma un file o un collegamento, e la conversione ha bisogno di quel nome per "
               "la sua cartella di lavoro. Spostalo o rinominalo, " + kPressAgain;
    case Obstacle::kStagingNotMade: {
        const Row& row = RowOf(o.obstacleCause);
        const Row& said = row.reason ? row : RowOf(Cause::kDiskError);
        return nothing + "non ho potuto creare la cartella di lavoro " + first + " perch\xC3\xA9 " + said.reason +
               ". " + Remedy(said.remedyOne, said.again);
    }
    case Obstacle::kOtherDevice:
        return nothing + "la cartella Data si trova su un disco diverso da quello della cartella di lavoro " + first +
               ", e i brani si possono solo spostare, mai copiare. Porta Data e " + first + " sullo stesso disco, " +
               kPressAgain;
    case Obstacle::kDataLinkBroken:
        return nothing + first +
               " \xC3\xA8 un collegamento a una cartella che non esiste pi\xC3\xB9 o non \xC3\xA8 raggiungibile. Se "
               "l'archivio si trova su un disco esterno o di rete, collegalo, " + kPressAgain;
    case Obstacle::kNone: break;
    }
    return {};
}

}  // namespace

Cause CauseOf(Failure failure) {
    for (const Row& row : kRows)
        if (row.failure == failure && failure != Failure::kNone) return row.cause;
    return Cause::kDiskError;
}

void ConversionOutcome::Add(Cause cause, std::string path, std::string present) {
    left[static_cast<std::size_t>(cause)].push_back({std::move(path), std::move(present)});
}

bool ConversionOutcome::Complete() const {
    return obstacle == Obstacle::kNone &&
           std::all_of(left.begin(), left.end(), [](const std::vector<LeftBehind>& l) { return l.empty(); });
}

std::string ConversionReportText(const ConversionOutcome& o) {
    if (o.obstacle != Obstacle::kNone) return ObstacleText(o);
    std::string text = "La conversione non \xC3\xA8 completa.";
    for (const Row& row : kRows)
        if (!o.Left(row.cause).empty()) text += "\n\n" + Paragraph(row, o.Left(row.cause));
    if (o.songsWaiting) text += std::string("\n\n") + kSongsWaiting;
    return text;
}
