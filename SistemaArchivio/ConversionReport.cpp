#include "SistemaArchivio/ConversionReport.h"

#include <algorithm>

namespace {

constexpr char kPressAgain[] = "premi di nuovo \"Coverti Archivio\".";
constexpr std::size_t kNamesShown = 3;
constexpr std::size_t kLongestNameShown = 60;

// A name as the box shows it: a very long one is cut, on a character boundary.
std::string Shown(const std::string& path) {
    if (path.size() <= kLongestNameShown) return path;
    std::size_t end = kLongestNameShown;
    while (end > 0 && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80) --end;
    return path.substr(0, end) + "\xE2\x80\xA6";
}

// "(a, b, c, …)": the first few names in order, then an ellipsis for the rest.
std::string NameList(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::string list = "(";
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) list += (i ? ", " : "") + Shown(names[i]);
    if (names.size() > kNamesShown) list += ", \xE2\x80\xA6";
    return list + ")";
}

std::string CopyList(std::vector<Duplicate> duplicates) {
    std::sort(duplicates.begin(), duplicates.end(),
              [](const Duplicate& a, const Duplicate& b) { return a.left < b.left; });
    std::string list;
    for (std::size_t i = 0; i < duplicates.size() && i < kNamesShown; ++i)
        list += (i ? "; " : "") + Shown(duplicates[i].left) + " e " + Shown(duplicates[i].present);
    if (duplicates.size() > kNamesShown) list += "; \xE2\x80\xA6";
    return list;
}

// Singular or plural, by count.
std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string ObstacleText(const ConversionOutcome& o) {
    const std::string nothing = "Non ho spostato nessun file: ";
    const std::string first = o.obstacleNames.empty() ? std::string() : Shown(o.obstacleNames.front());
    const std::size_t n = o.obstacleNames.size();
    switch (o.obstacle) {
    case Obstacle::kStagingNotAFolder:
        return nothing + first +
               " non \xC3\xA8 una cartella ma un file o un collegamento, e la conversione ha bisogno di quel nome per "
               "la sua cartella di lavoro. Spostalo o rinominalo, poi " + kPressAgain;
    case Obstacle::kStagingNotMade:
        return nothing + "non ho potuto creare la cartella di lavoro " + first +
               ": il disco \xC3\xA8 pieno, protetto dalla scrittura, oppure mancano i permessi. Libera spazio o "
               "controlla i permessi, poi " + kPressAgain;
    case Obstacle::kOtherDevice:
        return nothing + "la cartella Data si trova su un disco diverso da quello della cartella di lavoro " + first +
               ", e i brani si possono solo spostare, mai copiare.";
    case Obstacle::kLinksInData:
        return nothing + "la cartella Data contiene " +
               Count(n, "collegamento ", "collegamenti ") + NameList(o.obstacleNames) +
               (n == 1 ? ", che dopo lo spostamento non porterebbe pi\xC3\xB9 al suo file. Sostituiscilo con il file a "
                         "cui porta, poi "
                       : ", che dopo lo spostamento non porterebbero pi\xC3\xB9 ai loro file. Sostituiscili con i file "
                         "a cui portano, poi ") +
               kPressAgain;
    case Obstacle::kDataLinkBroken:
        return nothing + "la cartella Data \xC3\xA8 un collegamento che non porta a nessuna cartella " + NameList(o.obstacleNames) +
               ". Se l'archivio si trova su un disco esterno o di rete, collegalo e " + kPressAgain;
    case Obstacle::kNone: break;
    }
    return {};
}

}  // namespace

bool ConversionOutcome::Complete() const {
    return obstacle == Obstacle::kNone && inUse.empty() && duplicates.empty() && foreignFolders.empty() &&
           tooLong.empty() && otherDevice.empty() && failed.empty() && !swapFailed;
}

std::string ConversionReportText(const ConversionOutcome& o) {
    if (o.obstacle != Obstacle::kNone) return ObstacleText(o);
    std::string text = "La conversione non \xC3\xA8 completa.";
    auto paragraph = [&text](const std::string& line) { text += "\n\n" + line; };
    if (const std::size_t n = o.inUse.size())
        paragraph(Count(n, "file non \xC3\xA8 stato spostato perch\xC3\xA9 \xC3\xA8 in uso o protetto ",
                        "file non sono stati spostati perch\xC3\xA9 sono in uso o protetti ") +
                  NameList(o.inUse) + (n == 1 ? ": chiudi i programmi che lo usano e " : ": chiudi i programmi che li usano e ") +
                  kPressAgain);
    if (const std::size_t n = o.duplicates.size())
        paragraph(Count(n, "brano ha un nome gi\xC3\xA0 presente nell'archivio e non \xC3\xA8 stato spostato",
                        "brani hanno un nome gi\xC3\xA0 presente nell'archivio e non sono stati spostati") +
                  "; nessun file \xC3\xA8 stato sovrascritto. " + (n == 1 ? "Le due copie sono " : "Le copie sono: ") +
                  CopyList(o.duplicates) +
                  (n == 1 ? ". Confrontale, togli o rinomina quella da non tenere, poi "
                          : ". Confrontale, togli o rinomina quelle da non tenere, poi ") +
                  kPressAgain);
    if (const std::size_t n = o.foreignFolders.size())
        paragraph(Count(n, "sottocartella non fa parte dell'archivio ", "sottocartelle non fanno parte dell'archivio ") +
                  NameList(o.foreignFolders) + (n == 1 ? ": spostala altrove e " : ": spostale altrove e ") + kPressAgain);
    if (const std::size_t n = o.tooLong.size())
        paragraph(Count(n, "file ha un nome troppo lungo per il nuovo formato ",
                        "file hanno un nome troppo lungo per il nuovo formato ") +
                  NameList(o.tooLong) +
                  (n == 1 ? ": rinominalo con un nome pi\xC3\xB9 corto e " : ": rinominali con nomi pi\xC3\xB9 corti e ") +
                  kPressAgain);
    if (const std::size_t n = o.otherDevice.size())
        paragraph(Count(n, "file si trova su un disco diverso da quello della cartella tdata ",
                        "file si trovano su un disco diverso da quello della cartella tdata ") +
                  NameList(o.otherDevice) +
                  (n == 1 ? " e non pu\xC3\xB2 essere spostato, solo copiato: la conversione non copia."
                          : " e non possono essere spostati, solo copiati: la conversione non copia."));
    if (const std::size_t n = o.failed.size())
        paragraph(Count(n, "file non \xC3\xA8 stato spostato per un errore del disco ",
                        "file non sono stati spostati per un errore del disco ") +
                  NameList(o.failed) + ": controlla il disco e " + kPressAgain);
    if (o.swapFailed)
        paragraph("Tutti i brani sono gi\xC3\xA0 nella cartella tdata, ma non ho potuto metterla al posto della cartella "
                  "Data: chiudi i programmi e le finestre che usano Data e " + std::string(kPressAgain));
    return text;
}
