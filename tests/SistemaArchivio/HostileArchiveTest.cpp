// Archives as they really lie about: behind links, with odd attributes, with names
// taken, with things that are no folders where folders belong, grown after their
// conversion, on drives that are full, write-protected or hold short names. One table,
// run on the native file system and on FAT, exFAT and NTFS images mounted through
// FUSE, and on Samba and SFTP shares. Every case is pressed twice: the second
// press must agree with the first and change nothing, or complete the first.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "SistemaArchivio/ConversionPass.h"
#include "tests/SistemaArchivio/RecordingBox.h"
#include "tests/platform/TempTree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "tests/platform/FuseDriveTest.h"
#endif

using testtree::TempFolder;
using testtree::Tree;
using testtree::WithFolders;

namespace {

enum class Ends { Done, Warning };

// The drive a case's folder lies on: as it is, write-protected once the case is built,
// with no room left for a new folder; only a Samba share; or a share whose server
// stops after the pass's second write (tdata and a bucket made), back for the next.
enum class Drive { AsIs, ReadOnly, Full, Samba, ServerStops };

struct Case {
    const char* concern;
    const char* label;
    Tree before;
    // What the tree cannot say (links, attributes); false where this file system
    // cannot hold the case.
    bool (*prepare)(const std::string& root);
    Tree after;  // "$ROOT" in a link stands for the case's folder
    Ends ends;
    const char* says;  // a phrase the warning holds
    Drive drive = Drive::AsIs;
    Tree again = {};       // where not empty: the second press ends "Ho Finito!" with this
    bool anyCase = false;  // names compared as a drive that ignores case compares them
};

// The share a table runs on; there a case's outcome is read on the server.
struct Share {
    bool samba;
    std::string root, onServer;               // the share's folder as clients and as the server see it
    std::function<bool(const char*)> script;  // share.sh's "stop-server", "start-server"
    std::string OnServer(const std::string& path) const { return onServer + path.substr(root.size()); }
};
const Share* g_share = nullptr;

// Writes a file on the share's server, under a name its clients cannot make.
bool OnServer(const std::string& root, const char* name, const char* content) {
    if (g_share) testtree::WriteFile(g_share->OnServer(testtree::Join(root, name)), content);
    return g_share != nullptr;
}

int g_writes = 0;
void StopServerAtSecondWrite() {
    if (++g_writes == 2) g_share->script("stop-server");
}

// Nine songs `prefix`1 to `prefix`9, each holding its number, beside `others`.
Tree Nine(const std::string& prefix, Tree others = {}) {
    for (char i = '1'; i <= '9'; ++i) others.emplace(prefix + i, std::string(1, i));
    return others;
}

std::string At(const std::string& root, const std::string& relative) { return testtree::Join(root, relative); }

// Titles whose first letters differ only in case, `staged` of them already in tdata as a
// pass ended midway left them; false where the drive cannot hold them.
const char* const kTwins[] = {"\u00C8 la pioggia.kar", "\u00E8 festa.kar", "\u00E9t\u00E9.kar", "\u00C9cole.kar",
                              "\u00FCber.kar",         "\u00DCbung.kar",   "\u03C9.kar",        "\u03A9mega.kar",
                              "\u00DFe.kar",           "\u1E9E2.kar"};
bool Twins(const std::string& root, std::size_t staged) {
    try {
        for (const char* title : kTwins) {
            const std::string bucket = BucketName(title), place = staged-- > 0 ? "tdata/" + bucket + "/0" : "Data/";
            testtree::MakeFolders(At(root, place.substr(0, place.rfind('/'))));
            testtree::WriteFile(At(root, place + title), title);
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
Tree Converted(const char* const (&titles)[10], std::size_t count) {
    Tree tree;
    for (std::size_t i = 0; i < count; ++i)
        tree.emplace("Data/" + BucketName(titles[i]) + "/" + NewFileName(titles[i]), titles[i]);
    return tree;
}

bool Link(const std::string& root, const char* target, const char* name) {
#ifdef _WIN32
    (void)root, (void)target, (void)name;
    return false;  // symbolic links need a privilege ordinary users lack
#else
    char text[4096];  // sshfs cannot read back a link with ".." on some servers
    return symlink(target, At(root, name).c_str()) == 0 && readlink(At(root, name).c_str(), text, sizeof text) > 0;
#endif
}

#ifdef _WIN32
// Under wine, a Unix link made by a Unix process, which wine shows as a reparse point
// with tag 0; not possible elsewhere.
bool UnixLink(const std::string& root, const char* target, const char* name) {
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    const std::wstring link = testtree::Native(At(root, name)).wstring();
    char* unixLink = unixFileName ? unixFileName(link.c_str()) : nullptr;
    if (!unixLink) return false;
    const auto wide = [](const std::string& text) { return std::wstring(text.begin(), text.end()); };  // ASCII
    std::wstring command = L"/bin/ln -s " + wide(target) + L" " + wide(unixLink);
    HeapFree(GetProcessHeap(), 0, unixLink);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"/bin/ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // wine does not wait for a Unix process; the link is there when it has run.
    for (int i = 0; i < 100 && GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}
#endif

bool HardLink(const std::string& root, const char* from, const char* to) {
#ifdef _WIN32
    const std::wstring a = testtree::Native(At(root, from)).wstring(), b = testtree::Native(At(root, to)).wstring();
    return CreateHardLinkW(b.c_str(), a.c_str(), nullptr) != 0;
#else
    return link(At(root, from).c_str(), At(root, to).c_str()) == 0 &&
           platform::SameFile(At(root, from), At(root, to));  // SFTP has no inode numbers
#endif
}

bool ReadOnly(const std::string& root, const char* name) {
    try {
        testtree::SetReadOnly(At(root, name), true);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// A file whose name the tree cannot spell on every system; false where the drive cannot hold it.
bool Song(const std::string& root, const char* name, const char* content) {
    try {
        testtree::WriteFile(At(root, name), content);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string LinkTo(const char* target) { return std::string(testtree::kLinkPrefix) + target; }

Tree Rooted(Tree tree, const std::string& root) {
    for (auto& [path, content] : tree)
        if (const std::size_t at = content.find("$ROOT"); at != std::string::npos) content.replace(at, 5, root);
    return tree;
}

// Mounts over a case's folder for the case's life, and unmounts by that mount point.
// Linux, as root; elsewhere the case is not possible.
class DriveMount {
public:
    // A full drive is a small tmpfs, filled before the case is built.
    DriveMount(const std::string& folder, Drive drive) : folder_(folder) {
#ifndef _WIN32
        if (drive == Drive::Full) mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") == 0;
#else
        (void)drive;
#endif
    }
    // Called once the case is built: the drive takes no new entry, or no write at all.
    bool Seal(Drive drive) {
#ifndef _WIN32
        if (drive == Drive::ReadOnly) {
            mounted_ = mount(folder_.c_str(), folder_.c_str(), nullptr, MS_BIND, nullptr) == 0;
            return mounted_ && mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
        }
        struct statvfs fs;
        if (drive != Drive::Full || !mounted_ || statvfs(folder_.c_str(), &fs) != 0) return drive != Drive::Full;
        const std::string inodes = "nr_inodes=" + std::to_string(fs.f_files - fs.f_ffree);
        return mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT, inodes.c_str()) == 0;
#else
        return drive == Drive::AsIs;
#endif
    }
    ~DriveMount() {
#ifndef _WIN32
        if (mounted_) umount2(folder_.c_str(), 0);
#endif
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

const std::string kLongName = std::string(251, 'b') + ".kar";  // the longest a drive holds

const Case kCases[] = {
    // --- links ---
    {"links",
     "Data leads to a folder elsewhere: converted there, the link kept",
     {{"store/songs/1.kar", "one"}, {"store/songs/abc", "abc"}},
     [](const std::string& r) { return Link(r, "store/songs", "Data"); },
     {{"Data", LinkTo("store/songs")}, {"store/songs/01/01.kar", "one"}, {"store/songs/0a/0abc", "abc"}},
     Ends::Done,
     nullptr},
#ifdef _WIN32
    {"links",
     "a Unix link as Data, under wine: converted there, the link kept",
     {{"store/songs/1.kar", "one"}},
     [](const std::string& r) { return UnixLink(r, "store/songs", "Data"); },
     {{"Data", LinkTo(testtree::kReparsePoint)}, {"store/songs/01/01.kar", "one"}},
     Ends::Done,
     nullptr},
#endif
    {"links",
     "a pass through the link that was cut short completes",
     {{"store/songs/01/01.kar", "one"}, {"store/songs/abc", "abc"}, {"store/tdata/0b/0b.kar", "b"}},
     [](const std::string& r) { return Link(r, "store/songs", "Data"); },
     {{"Data", LinkTo("store/songs")},
      {"store/songs/01/01.kar", "one"},
      {"store/songs/0a/0abc", "abc"},
      {"store/songs/0b/0b.kar", "b"}},
     Ends::Done,
     nullptr},
    {"links",
     "Data leads nowhere",
     {},
     [](const std::string& r) { return Link(r, "gone", "Data"); },
     {{"Data", LinkTo("gone")}},
     Ends::Warning,
     "una cartella che non esiste pi\u00f9"},
    {"links",
     "links to songs move and lead to the same files",
     {{"Data/song.kar", "s"}, {"outside.kar", "o"}},
     [](const std::string& r) {
         return Link(r, "song.kar", "Data/alias.kar") && Link(r, "../outside.kar", "Data/other.kar") &&
                Link(r, "alias.kar", "Data/chain.kar") && Link(r, (At(r, "outside.kar")).c_str(), "Data/abs.kar") &&
                Link(r, (At(r, "Data/song.kar")).c_str(), "Data/into.kar");
     },
     {{"Data/0s/0song.kar", "s"},
      {"Data/0a/0alias.kar", LinkTo("../0s/0song.kar")},
      {"Data/0o/0other.kar", LinkTo("../../outside.kar")},
      {"Data/0c/0chain.kar", LinkTo("../0a/0alias.kar")},
      {"Data/0a/0abs.kar", LinkTo("$ROOT/outside.kar")},
      {"Data/0i/0into.kar", LinkTo("$ROOT/Data/0s/0song.kar")},
      {"outside.kar", "o"}},
     Ends::Done,
     nullptr},
    {"links",
     "a link to a song with a backslash in its name, on Linux no separator, leads to it",
     {{"Data/", ""}},
     [](const std::string& r) { return Link(r, "a\\b.kar", "Data/link.kar") && Song(r, "Data/a\\b.kar", "ab"); },
     {{"Data/0a/0a\\b.kar", "ab"}, {"Data/0l/0link.kar", LinkTo("../0a/0a\\b.kar")}},
     Ends::Done,
     nullptr},
    {"links",
     "a link into a subfolder leads there from tdata",
     {{"Data/Backup/x.kar", "x"}},
     [](const std::string& r) { return Link(r, "Backup/x.kar", "Data/bx.kar"); },
     {{"Data/Backup/x.kar", "x"}, {"tdata/0b/0bx.kar", LinkTo("../../Data/Backup/x.kar")}},
     Ends::Warning,
     "Spostala fuori dalla cartella Data"},
    {"links",
     "a link to a folder is a folder",
     {{"Data/a.kar", "a"}, {"store/x", "x"}},
     [](const std::string& r) { return Link(r, "../store", "Data/shelf"); },
     {{"Data/shelf", LinkTo("../store")}, {"store/x", "x"}, {"tdata/0a/0a.kar", "a"}},
     Ends::Warning,
     "Spostala fuori dalla cartella Data"},
    {"links",
     "a link that leads nowhere moves like a file",
     {{"Data/", ""}},
     [](const std::string& r) { return Link(r, "nowhere", "Data/dangling"); },
     {{"Data/0d/0dangling", LinkTo("nowhere")}},
     Ends::Done,
     nullptr},

    // --- attributes ---
    {"attributes",
     "a read-only song moves",
     {{"Data/ro.kar", "ro"}},
     [](const std::string& r) { return ReadOnly(r, "Data/ro.kar"); },
     {{"Data/0r/0ro.kar", "ro"}},
     Ends::Done,
     nullptr},
    {"attributes",
     "a read-only Data folder is replaced",
     {{"Data/a.kar", "a"}},
     [](const std::string& r) {
#ifndef _WIN32
         if (geteuid() != 0) return false;  // only root moves out of a folder without write permission
#endif
         return ReadOnly(r, "Data");
     },
     {{"Data/0a/0a.kar", "a"}},
     Ends::Done,
     nullptr},
    {"attributes",
     "hidden and system songs move like any other",
     {{"Data/desktop.ini", "ini"}, {"Data/x.kar", "x"}},
     [](const std::string& r) {
#ifdef _WIN32
         return SetFileAttributesW(testtree::Native(At(r, "Data/desktop.ini")).wstring().c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) != 0;
#else
         (void)r;
         return true;
#endif
     },
     {{"Data/0d/0desktop.ini", "ini"}, {"Data/0x/0x.kar", "x"}},
     Ends::Done,
     nullptr},

    // --- taken names ---
    {"taken names",
     "a name already in its bucket keeps both files",
     {{"Data/abc", "new"}, {"tdata/0a/0abc", "old"}},
     nullptr,
     {{"Data/abc", "new"}, {"tdata/0a/0abc", "old"}},
     Ends::Warning,
     "gi\u00e0 presente nell'archivio"},
    {"taken names",
     "one song under two names, as a move cut short leaves it",
     {{"Data/abc", "abc"}, {"tdata/0a/", ""}},
     [](const std::string& r) { return HardLink(r, "Data/abc", "tdata/0a/0abc"); },
     {{"Data/0a/0abc", "abc"}},
     Ends::Done,
     nullptr},

    // --- no folder where a folder belongs ---
    {"not folders",
     "a file named tdata",
     {{"Data/a.kar", "a"}, {"tdata", "mine"}},
     nullptr,
     {{"Data/a.kar", "a"}, {"tdata", "mine"}},
     Ends::Warning,
     "non \u00e8 una cartella"},
    {"not folders",
     "a file named tdata beside an empty Data",
     {{"Data/", ""}, {"tdata", "mine"}},
     nullptr,
     {{"Data/", ""}, {"tdata", "mine"}},
     Ends::Warning,
     "non \u00e8 una cartella"},
    {"not folders",
     "a stray file in tdata stays there, also where tdata would take Data's place",
     {{"Data/a.kar", "a"}, {"tdata/LEGGIMI.txt", "mine"}},
     [](const std::string& r) { return platform::TrustsFolderRenames(r); },  // elsewhere tdata merges
     {{"Data/", ""}, {"tdata/0a/0a.kar", "a"}, {"tdata/LEGGIMI.txt", "mine"}},
     Ends::Warning,
     "Spostalo fuori da tdata"},
    {"not folders",
     "a link named tdata",
     {{"Data/a.kar", "a"}, {"other/x", "x"}},
     [](const std::string& r) { return Link(r, "other", "tdata"); },
     {{"Data/a.kar", "a"}, {"other/x", "x"}, {"tdata", LinkTo("other")}},
     Ends::Warning,
     "non \u00e8 una cartella"},

    // --- drives that cannot take everything ---
    {"drives", "a name too long with its 0 stays, the rest moves", Nine("Data/c", {{"Data/" + kLongName, "l"}}),
     nullptr, Nine("tdata/0c/0c", {{"Data/" + kLongName, "l"}}), Ends::Warning, "completa.\n\nUn file ha un nome"},
    {"drives",
     "a write-protected drive holding an earlier tdata",
     {{"Data/a.kar", "a"}, {"tdata/0b/0b.kar", "b"}},
     nullptr,
     {{"Data/a.kar", "a"}, {"tdata/0b/0b.kar", "b"}},
     Ends::Warning,
     "perch\u00e9 il disco \u00e8 protetto da scrittura:",
     Drive::ReadOnly},
    {"drives",
     "a write-protected drive",
     {{"Data/a.kar", "a"}},
     nullptr,
     {{"Data/a.kar", "a"}},
     Ends::Warning,
     "tdata perch\u00e9 il disco \u00e8 protetto da scrittura",
     Drive::ReadOnly},
    {"drives",
     "a full drive",
     {{"Data/a.kar", "a"}, {"tdata/", ""}},
     nullptr,
     {{"Data/a.kar", "a"}, {"tdata/", ""}},
     Ends::Warning,
     "perch\u00e9 il disco \u00e8 pieno:",
     Drive::Full},

    // --- songs added after the conversion ---
    {"merge",
     "new songs join the buckets",
     {{"Data/01/01.kar", "one"}, {"Data/0a/0abc", "abc"}, {"Data/axe", "axe"}, {"Data/2.kar", "two"}},
     nullptr,
     {{"Data/01/01.kar", "one"}, {"Data/0a/0abc", "abc"}, {"Data/0a/0axe", "axe"}, {"Data/02/02.kar", "two"}},
     Ends::Done,
     nullptr},
    {"merge",
     "a new song whose name is taken waits in tdata",
     {{"Data/0a/0abc", "old"}, {"Data/abc", "new"}, {"Data/b", "b"}},
     nullptr,
     {{"Data/0a/0abc", "old"}, {"Data/0b/0b", "b"}, {"tdata/0a/0abc", "new"}},
     Ends::Warning,
     "gi\u00e0 presente nell'archivio"},
    {"merge",
     "a folder that is no bucket still blocks",
     {{"Data/0a/0abc", "abc"}, {"Data/Backup/x", "x"}, {"Data/b", "b"}},
     nullptr,
     {{"Data/0a/0abc", "abc"}, {"Data/Backup/x", "x"}, {"tdata/0b/0b", "b"}},
     Ends::Warning,
     "Spostala fuori dalla cartella Data"},
    {"merge",
     "songs staged by an earlier pass join",
     {{"Data/01/01.kar", "one"}, {"tdata/0a/0abc", "abc"}, {"tdata/01/01b.kar", "b"}},
     nullptr,
     {{"Data/01/01.kar", "one"}, {"Data/01/01b.kar", "b"}, {"Data/0a/0abc", "abc"}},
     Ends::Done,
     nullptr},

    // --- network shares ---
    {"shares",
     "a name the share made up is never the song's: it stays",
     {{"Data/a.kar", "a"}},
     [](const std::string& r) { return OnServer(r, "Data/Perch\u00e9?.kar", "p") && OnServer(r, "Data/aux.kar", "x"); },
     {{"Data/Perch\u00e9?.kar", "p"}, {"Data/aux.kar", "x"}, {"tdata/0a/0a.kar", "a"}},
     Ends::Warning,
     "2 file non sono stati spostati perch\u00e9 il disco di rete li mostra con un nome inventato",
     Drive::Samba},
    {"shares",
     "a leading dot goes to the bucket Windows reads, where the share cannot hold 0.",
     {{"Data/.intro.kar", "i"}, {"Data/b.kar", "b"}},
     nullptr,
     {{"Data/0/0.intro.kar", "i"}, {"Data/0b/0b.kar", "b"}},
     Ends::Done,
     nullptr,
     Drive::Samba},
    {"shares",
     "a song an earlier pass left in 0. reaches Data",
     {{"Data/b.kar", "b"}, {"tdata/0./0.intro.kar", "i"}},
     nullptr,
     {{"Data/0/0.intro.kar", "i"}, {"Data/0b/0b.kar", "b"}},
     Ends::Done,
     nullptr,
     Drive::Samba},
    // --- letter case ---
    {"case",
     "titles whose first letters differ only in case",
     {{"Data/", ""}},
     [](const std::string& r) { return Twins(r, 0); },
     Converted(kTwins, 10),
     Ends::Done,
     nullptr,
     Drive::AsIs,
     {},
     true},
    {"case",
     "titles whose first letters differ only in case, after a pass ended midway",
     {{"Data/", ""}},
     [](const std::string& r) { return Twins(r, 3); },
     Converted(kTwins, 10),
     Ends::Done,
     nullptr,
     Drive::AsIs,
     {},
     true},
    {"case", "titles whose first letters differ only in case, the server stopping midway",
     Nine("Data/\u00C8 a", Nine("Data/\u00E8 b")), nullptr,
     Nine("Data/\u00C8 a", Nine("Data/\u00E8 b", {{"tdata/0\u00E8/", ""}})), Ends::Warning,
     "completa.\n\nIl disco o la rete hanno smesso di rispondere", Drive::ServerStops,
     Nine("Data/0\u00C8/0\u00C8 a", Nine("Data/0\u00E8/0\u00E8 b")), true},

    {"shares", "the server stops in the middle: the pass stops, the next press completes", Nine("Data/a"), nullptr,
     Nine("Data/a", {{"tdata/0a/", ""}}), Ends::Warning, "completa.\n\nIl disco o la rete hanno smesso di rispondere",
     Drive::ServerStops, Nine("Data/0a/0a")},
};

// Runs every case in folders below `root`, on `onShare` where given; returns how many
// this file system could not hold.
int RunCases(const std::string& root, const Share* onShare = nullptr) {
    g_share = onShare;
    int impossible = 0;
    for (const Case& c : kCases) {
        if ((c.drive == Drive::Samba && !(g_share && g_share->samba)) || (c.drive == Drive::ServerStops && !g_share))
            continue;
        SCOPED_TRACE(std::string(c.concern) + ": " + c.label);
        TempFolder temp(root);
        DriveMount drive(temp.Path(), c.drive);
        temp.Build(c.before);
        if ((c.prepare && !c.prepare(temp.Path())) || !drive.Seal(c.drive)) {
            std::printf("not possible here: %s: %s\n", c.concern, c.label);
            ++impossible;
            continue;
        }
        // A drive mounted over the case's folder is read where it is.
        const bool onServer = g_share && c.drive != Drive::ReadOnly && c.drive != Drive::Full;
        const auto read = [&] { return onServer ? testtree::ReadTree(g_share->OnServer(temp.Path())) : temp.Read(); };
        RecordingBox first, second;
        g_writes = 0;
        if (c.drive == Drive::ServerStops) platform::SetWriteObserver(StopServerAtSecondWrite);
        ConvertArchive(temp.Path(), first);
        platform::SetWriteObserver(nullptr);
        EXPECT_TRUE(c.drive != Drive::ServerStops || g_share->script("start-server"));
        const Tree after = read();
        const auto folded = [&c](const Tree& tree) { return c.anyCase ? testtree::FoldCase(tree) : tree; };
        EXPECT_EQ(folded(after), folded(WithFolders(Rooted(c.after, temp.Path()))));
        if (first.shown.size() != 1) {
            ADD_FAILURE() << first.shown.size() << " messages";
            continue;
        }
        const RecordingBox::Message& said = first.shown[0];
        EXPECT_EQ(said.caption, "Lyrimat to Vocarium");
        if (c.ends == Ends::Done) {
            EXPECT_EQ(said.text, "Ho Finito!");
            EXPECT_EQ(said.flags, 0u);
        } else {
            EXPECT_NE(said.text.find(c.says), std::string::npos) << said.text;
            EXPECT_EQ(said.flags, 0x30u);
        }
        ConvertArchive(temp.Path(), second);
        if (!c.again.empty()) {
            EXPECT_EQ(second.shown, (std::vector<RecordingBox::Message>{{"Ho Finito!", "Lyrimat to Vocarium", 0}}));
            EXPECT_EQ(folded(read()), folded(WithFolders(c.again)));
            continue;
        }
        EXPECT_EQ(second.shown, first.shown);
        EXPECT_EQ(read(), after);
    }
    return impossible;
}

}  // namespace

TEST(HostileArchive, NativeFileSystem) {
    testtree::TempFolder base;
    const int impossible = RunCases(base.Path());
#ifndef _WIN32
    EXPECT_EQ(impossible, 0);
#else
    (void)impossible;
#endif
}

#ifndef _WIN32
class HostileArchiveOnFuse : public testtree::OnFuseDrive {};

TEST_P(HostileArchiveOnFuse, EveryCase) {
    testtree::FuseMount& m = Mount();
    const Share onShare{m.IsSmbShare(), m.Path(), m.OnServer(), [&](const char* c) { return m.Share(c); }};
    const bool kernel = testtree::ReadFile("/proc/filesystems").find("cifs") != std::string::npos;
    if (m.IsShare())
        std::printf("not covered: the kernel's CIFS and NFS clients (%s)\n", kernel ? "unused" : "not on this machine");
    RunCases(Drive(), m.IsShare() ? &onShare : nullptr);
}

INSTANTIATE_TEST_SUITE_P(Drives, HostileArchiveOnFuse, testtree::FuseDrives(), testtree::FuseDriveName);
#endif
