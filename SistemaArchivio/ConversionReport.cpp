#include "ConversionReport.h"

#include <algorithm>

#include "CauseTexts.h"
#include "base/Utf8.h"
#include "forms/core/Backend.h"
#include "platform/Path.h"

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

// A count as Italian writes it: thousands apart with a dot.
std::string Count(std::size_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ".");
    return digits;
}

// Separators are ASCII on every system.
bool IsSeparator(char32_t c) { return c < 0x80 && platform::path::IsSeparator(static_cast<char>(c)); }

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
    const std::string prefix = platform::path::Join(workFolder, "");
    return !workFolder.empty() && path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

// The names one per line, sorted: the first three, then how many more and of what; pairs
// of copies a copy per line. A fourth name takes the line "e altri 1 file" would.
std::string NameLines(const CauseText& row, const std::vector<LeftBehind>& real, const std::string& workFolder) {
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

std::string Block(const CauseText& row, const std::vector<LeftBehind>& left, const std::string& workFolder) {
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
            const CauseText& row = TextOf(o.obstacleCause);
            const CauseText& said = row.reason ? row : TextOf(Cause::DiskError);
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
    for (std::size_t cause = 0; cause < kCauses; ++cause)
        if (!o.left[cause].empty())
            text += "\n\n" + Block(TextOf(static_cast<Cause>(cause)), o.left[cause], o.workFolder);
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
