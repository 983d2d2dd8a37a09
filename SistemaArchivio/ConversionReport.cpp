#include "ConversionReport.h"

#include <algorithm>

#include "ArchivePaths.h"
#include "base/Utf8.h"
#include "forms/core/Backend.h"

const char kWorkFolderUnreadable[] =
    "Non riesco a leggere la cartella in cui hai avviato il programma (forse \xC3\xA8 stata spostata o "
    "cancellata, o il suo disco \xC3\xA8 stato scollegato), perci\xC3\xB2 non ho toccato nessun file. Premere di "
    "nuovo il pulsante non serve, perch\xC3\xA9 leggo la cartella solo all'avvio: chiudi il programma e avvialo di "
    "nuovo dalla cartella che contiene Data.";

namespace {

// The button's name, here and below, as users know it, odd spelling included.
constexpr char kPressAgain[] =
    "Quando hai fatto, premi di nuovo \xC2\xAB"
    "Coverti Archivio\xC2\xBB: la conversione riprende da dove si "
    "\xC3\xA8 fermata.";
// Where nothing moved there is nothing to resume.
constexpr char kTryAgain[] =
    "Quando hai fatto, premi di nuovo \xC2\xAB"
    "Coverti Archivio\xC2\xBB.";
constexpr char kSongsWaiting[] =
    "I brani gi\xC3\xA0 spostati aspettano nella cartella tdata: non cancellarla e non rinominarla. Il programma "
    "di karaoke li trover\xC3\xA0 quando la conversione sar\xC3\xA0 completa.";
const std::string kNothingMoved = "Non ho spostato nessun file: ";
constexpr char kEllipsis[] = "\xE2\x80\xA6";
constexpr std::size_t kNamesShown = 3;
constexpr std::size_t kLongestNameShown = 45;  // in characters: one line in a box on a 1024x768 screen

// Where the folder's rights stop the conversion: under Programmi only an administrator may
// change files; elsewhere the owner of the computer gives the permission.
constexpr char kAskAdmin[] =
    "Se la cartella che contiene Data sta dentro Programmi, chiudi questo programma e avvialo di nuovo con un clic "
    "destro e \xC2\xAB"
    "Esegui come amministratore\xC2\xBB; altrimenti chiedi il permesso a chi amministra il computer.";

// One cause as the report tells it, as a block of its own: what happened, after a colon
// the names one per line (at most three, then how many more), then what to do. A row
// without `many` is one sentence and its remedy, without count or names.
struct Row {
    Cause cause;
    bool feminine;          // "Una …", "e altre N"
    bool pairs;             // the names are pairs of copies
    const char* one;        // what happened, after "Un"/"Una"
    const char* many;       // and after a count
    const char* others;     // what the names not shown are, after "e altri N"
    const char* remedyOne;  // what to do, as a sentence; none where pressing again is all
    const char* remedyMany;
    const char* reason;         // why tdata could not be made, where this cause can say it
    const char* stagingRemedy;  // and what to do then, where it differs from remedyOne
};

// In the order the report names them.
const Row kRows[] = {
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

const Row& RowOf(Cause cause) {
    for (const Row& row : kRows)
        if (row.cause == cause) return row;
    return RowOf(Cause::DiskError);
}

// A count as Italian writes it: thousands apart with a dot.
std::string Count(std::size_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ".");
    return digits;
}

bool IsSeparator(char32_t c) { return c == U'\\' || c == U'/'; }

// A name as the box shows it. A long path keeps its top folder (Data or tdata, so two
// copies of one name stay apart) and the song's own name, and loses the folders between;
// a song's name too long for the line loses its middle, keeping its start and its end.
std::string Cut(const std::string& path) {
    const std::u32string chars = base::DecodeUtf8(path);
    if (chars.size() <= kLongestNameShown) return path;
    const std::u32string_view all(chars);
    const auto first = std::find_if(all.begin(), all.end(), IsSeparator);
    const auto last = std::find_if(chars.rbegin(), chars.rend(), IsSeparator);
    const std::size_t nameAt = chars.size() - static_cast<std::size_t>(last - chars.rbegin());
    const std::size_t topEnd = first == all.end() ? 0 : static_cast<std::size_t>(first - all.begin()) + 1;
    const std::u32string_view top = topEnd <= nameAt && topEnd < kLongestNameShown / 3 ? all.substr(0, topEnd) : U"";
    const std::u32string_view name = all.substr(nameAt);
    const std::u32string_view skipped = all.substr(top.size(), nameAt - top.size());
    const std::size_t keep = kLongestNameShown - top.size() - (skipped.empty() ? 0 : 1);
    if (name.size() < keep) {
        // The folders nearest the name that fit, from a separator on.
        const std::u32string_view tail = all.substr(chars.size() - keep);
        const auto folder = std::find_if(tail.begin(), tail.end(), IsSeparator);
        return base::EncodeUtf8(top) + kEllipsis +
               base::EncodeUtf8(tail.substr(static_cast<std::size_t>(folder - tail.begin())));
    }
    const std::u32string_view separator = skipped.empty() ? U"" : skipped.substr(skipped.size() - 1);
    const std::size_t room = keep - separator.size() - 1;
    const std::size_t head = room / 2;
    return base::EncodeUtf8(top) + (skipped.empty() ? "" : kEllipsis) + base::EncodeUtf8(separator) +
           base::EncodeUtf8(name.substr(0, head)) + kEllipsis +
           base::EncodeUtf8(name.substr(name.size() - (room - head)));
}

// Below the WorkFolder a path is shown from there, as the user knows it.
std::string Shown(const std::string& path, const std::string& workFolder) {
    const std::string prefix = archivepaths::Join(workFolder, "");
    return !workFolder.empty() && path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

// The names one per line, sorted: the first three, then how many more and of what; pairs
// of copies a copy per line. A fourth name takes the line "e altri 1 file" would.
std::string NameLines(const Row& row, const std::vector<LeftBehind>& real, const std::string& workFolder) {
    std::vector<LeftBehind> left;
    for (const LeftBehind& l : real) left.push_back({Shown(l.path, workFolder), Shown(l.present, workFolder)});
    std::sort(left.begin(), left.end(), [](const LeftBehind& a, const LeftBehind& b) { return a.path < b.path; });
    const std::size_t shown = left.size() == kNamesShown + 1 ? left.size() : std::min(left.size(), kNamesShown);
    std::string lines;
    for (std::size_t i = 0; i < shown; ++i) {
        lines += "\n" + Cut(left[i].path);
        if (row.pairs) lines += "\n" + Cut(left[i].present);
    }
    if (left.size() > shown) {
        const std::size_t more = left.size() - shown;
        // Never one: a fourth name is shown instead.
        lines +=
            std::string("\n") + (row.feminine || row.pairs ? "e altre " : "e altri ") + Count(more) + " " + row.others;
    }
    return lines;
}

std::string Block(const Row& row, const std::vector<LeftBehind>& left, const std::string& workFolder) {
    if (!row.many) return std::string(row.one) + (row.remedyOne ? std::string("\n") + row.remedyOne : "");
    const bool one = left.size() == 1;
    std::string block =
        one ? std::string(row.feminine ? "Una " : "Un ") + row.one : Count(left.size()) + " " + row.many;
    block += ":" + NameLines(row, left, workFolder);
    if (const char* remedy = one ? row.remedyOne : row.remedyMany) block += std::string("\n") + remedy;
    return block;
}

std::string ObstacleText(const ConversionOutcome& o) {
    const std::string first =
        o.obstacleNames.empty() ? std::string() : Cut(Shown(o.obstacleNames.front(), o.workFolder));
    switch (o.obstacle) {
        case Obstacle::StagingNotAFolder:
            return kNothingMoved + first +
                   " non \xC3\xA8 una cartella ma un file o un collegamento, e la conversione ha bisogno di quel nome "
                   "per "
                   "la sua cartella di lavoro.\nSpostalo o rinominalo.";
        case Obstacle::StagingNotMade: {
            const Row& row = RowOf(o.obstacleCause);
            const Row& said = row.reason ? row : RowOf(Cause::DiskError);
            return kNothingMoved + "non ho potuto creare la cartella di lavoro " + first + " perch\xC3\xA9 " +
                   said.reason + ".\n" + (said.stagingRemedy ? said.stagingRemedy : said.remedyOne);
        }
        case Obstacle::OtherDevice:
            // tdata is made beside Data, on the disk of the folder that holds both.
            return kNothingMoved +
                   "la cartella Data si trova su un altro disco rispetto alla cartella che la contiene. Il programma "
                   "sposta i brani senza copiarli, e non pu\xC3\xB2 spostarli da un disco all'altro.\nSposta i brani "
                   "in una cartella Data che stia sullo stesso disco della cartella in cui hai avviato il programma.";
        case Obstacle::DataIsDrive:
            return kNothingMoved + "Data \xC3\xA8 un collegamento all'intero disco " + first +
                   ", ma la cartella di lavoro tdata va creata accanto a Data, sullo stesso disco.\nSposta i brani in "
                   "una cartella Data dentro " +
                   first + ", poi cambia il collegamento Data perch\xC3\xA9 porti a quella cartella.";
        case Obstacle::DataLinkBroken:
            return kNothingMoved + first +
                   " \xC3\xA8 un collegamento a una cartella che non esiste pi\xC3\xB9 o non \xC3\xA8 "
                   "raggiungibile.\nSe l'archivio si trova su un disco esterno, attaccalo al computer e accendilo; se "
                   "si trova in rete, controlla che la rete funzioni.";
        case Obstacle::DataUnreadable:
            return kNothingMoved + "non riesco a leggere la cartella " + first +
                   ": non hai il permesso di aprirla, oppure il disco o la rete non rispondono.\nControlla che il "
                   "disco e la rete funzionino; se non basta, chiedi il permesso di leggere la cartella a chi "
                   "amministra il computer.";
        case Obstacle::None:
            break;
    }
    return {};
}

}  // namespace

void ConversionOutcome::Add(Cause cause, std::string path, std::string present) {
    left[static_cast<std::size_t>(cause)].push_back({std::move(path), std::move(present)});
}

bool ConversionOutcome::Complete() const {
    return obstacle == Obstacle::None &&
           std::all_of(left.begin(), left.end(), [](const std::vector<LeftBehind>& l) { return l.empty(); });
}

std::string ConversionReportText(const ConversionOutcome& o) {
    if (o.obstacle != Obstacle::None) return ObstacleText(o) + "\n\n" + kTryAgain;
    std::string text = "La conversione non \xC3\xA8 completa.";
    for (const Row& row : kRows)
        if (!o.Left(row.cause).empty()) text += "\n\n" + Block(row, o.Left(row.cause), o.workFolder);
    // The swap's own block says where the songs are.
    if (o.songsWaiting && o.Left(Cause::SwapFailed).empty()) text += std::string("\n\n") + kSongsWaiting;
    return text + "\n\n" + kPressAgain;
}

ConversionMessage ClosingMessage(Ending ending, const ConversionOutcome& outcome) {
    switch (ending) {
        case Ending::Done:
            return {kConversionDone, kConversionCaption, forms::MB_OK};
        case Ending::Missing:
            return {kArchiveMissing, kConversionCaption, forms::MB_OK};
        case Ending::Incomplete:
            break;
    }
    return {ConversionReportText(outcome), kConversionCaption, forms::MB_ICONWARNING};
}
