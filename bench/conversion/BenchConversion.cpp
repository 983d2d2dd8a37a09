// Times the conversion pass on an archive of N files against the least any conversion
// must do on the same file system: one mkdir per bucket and one no-replace rename per
// file. The pass's time includes its flush before the closing message; the mover
// flushes nothing. Usage: bench_conversion [N=100000] [parent folder=system temporary folder]
// [rounds=3]. Each round builds two fresh archives and times both; the best round of
// each counts.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "SistemaArchivio/ConversionPass.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace {

class SilentBox : public MessageBoxPort {
public:
    std::int32_t Show(const std::string& text, const std::string&, std::uint32_t) override {
        last = text;
        return 1;
    }
    std::string last;
};

// First characters spread over forty values or, `distinct`, each song's its own: a CJK
// ideograph from U+4E00 on, as in an archive of Japanese or Chinese titles.
std::vector<std::string> Names(long count, bool distinct) {
    static const char firsts[] = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) {
        std::string first(1, firsts[i % 40]);
        if (distinct) {
            const long c = 0x4E00 + i % 0x5200;
            first = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
        }
        names.push_back(first + std::to_string(i) + ".kar");
    }
    return names;
}

// The bytes of a name's first character in UTF-8.
std::string FirstCharacter(const std::string& name) {
    const auto lead = static_cast<unsigned char>(name[0]);
    return name.substr(0, lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1);
}

std::string Join(const std::string& folder, const std::string& name) { return folder + platform::kSeparator + name; }

// The archive lies on the disk before the clock starts, as an archive in use does: the
// pass's flush then writes only what the pass changed.
void BuildArchive(const std::string& workFolder, const std::vector<std::string>& names) {
    fs::create_directories(Join(workFolder, "Data"));
    for (const std::string& name : names) std::ofstream(Join(Join(workFolder, "Data"), name)) << name;
    platform::FlushFolders({workFolder});
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double TimePass(const std::string& workFolder) {
    SilentBox box;
    const auto start = std::chrono::steady_clock::now();
    ConvertArchive(workFolder, box);
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    if (box.last != kConversionDone) {
        std::fprintf(stderr, "the pass did not finish: %s\n", box.last.c_str());
        std::exit(1);
    }
    return seconds;
}

double TimeMinimalMover(const std::string& workFolder, const std::vector<std::string>& names) {
    const std::string data = Join(workFolder, "Data");
    const std::string staging = Join(workFolder, "tdata");
    const auto start = std::chrono::steady_clock::now();
    platform::MakeFolder(staging);
    std::set<std::string> buckets;
    platform::Renames renames = platform::Renames::Unknown;  // the drive asked once, as the pass does
    for (const std::string& name : names) {
        const std::string bucket = Join(staging, "0" + FirstCharacter(name));
        if (buckets.insert(bucket).second) platform::MakeFolder(bucket);
        if (!platform::Move(Join(data, name), Join(bucket, "0" + name), renames)) {
            std::fprintf(stderr, "minimal mover: cannot move %s\n", name.c_str());
            std::exit(1);
        }
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
    const fs::path parent = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const bool distinct = argc > 4 && std::string(argv[4]) == "distinct";
    if (count <= 0 || rounds <= 0 || (argc > 4 && !distinct)) {
        std::fprintf(stderr, "usage: %s [files] [parent folder] [rounds] [distinct]\n", argv[0]);
        return 2;
    }
    const fs::path root =
        parent / ("sa-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::vector<std::string> names = Names(count, distinct);

    double bestPass = 0, bestMover = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string passFolder = (root / ("pass" + std::to_string(round))).string();
        const std::string moverFolder = (root / ("mover" + std::to_string(round))).string();
        BuildArchive(passFolder, names);
        BuildArchive(moverFolder, names);
        // Alternate the order so that neither side always runs on a warmer cache.
        double pass, mover;
        if (round % 2 == 0) {
            pass = TimePass(passFolder);
            mover = TimeMinimalMover(moverFolder, names);
        } else {
            mover = TimeMinimalMover(moverFolder, names);
            pass = TimePass(passFolder);
        }
        std::printf("round %d: pass %.3f s, minimal mover %.3f s\n", round + 1, pass, mover);
        if (round == 0 || pass < bestPass) bestPass = pass;
        if (round == 0 || mover < bestMover) bestMover = mover;
        fs::remove_all(passFolder);
        fs::remove_all(moverFolder);
    }
    fs::remove_all(root);

    std::printf("files:          %ld (first characters %s), in %s\n", count,
                distinct ? "each its own" : "over 40 values", parent.string().c_str());
    std::printf("pass:           %10.0f files/s  (%.3f s)\n", count / bestPass, bestPass);
    std::printf("minimal mover:  %10.0f files/s  (%.3f s)\n", count / bestMover, bestMover);
    std::printf("pass / mover:   %10.3f x the time\n", bestPass / bestMover);
    return 0;
}
