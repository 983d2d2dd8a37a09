#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

// Real folder trees for tests, built and read back straight through the system's own
// API, so that the code under test is checked against an independent view of the disk.
// Paths are UTF-8 with the system's separator; on Windows absolute ones are used in
// their `\\?\` form, so long paths work here too.
namespace testtree {

// A tree's content: relative path with '/' separators -> file content; folders are
// listed too, with a trailing '/' and an empty value; a symbolic link (Linux) has
// kLinkPrefix followed by its target (Windows: kReparsePoint).
using Tree = std::map<std::string, std::string>;
inline constexpr char kLinkPrefix[] = "symlink -> ";
inline constexpr char kReparsePoint[] = "(reparse point)";

// `files` plus every folder that holds one of them; folders of their own (ending in
// '/') may be listed too.
Tree WithFolders(const Tree& files);

// A name, or every path of a tree, under the case folding of the scripts the tests'
// names are drawn from (Latin-1, Greek, Cyrillic), as exFAT, NTFS and Samba compare
// them; a tree's paths that fold alike become one.
std::string FoldCase(std::string_view name);
Tree FoldCase(const Tree& tree);

std::filesystem::path Native(const std::string& path);
std::string Join(const std::string& folder, const std::string& relative);  // relative uses '/'

void WriteFile(const std::string& path, const std::string& content);
void MakeFolders(const std::string& path);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Windows: sets or clears the read-only attribute. Linux: sets the permission bits.
void SetReadOnly(const std::string& path, bool readOnly);
// Gives a folder an attribute bit besides the directory bit: Linux read-only (17);
// Windows hidden (18), as wine keeps no read-only or archive bit on folders.
void AddFolderAttribute(const std::string& path);
#ifndef _WIN32
void SetMode(const std::string& path, unsigned mode);
unsigned Mode(const std::string& path);
#endif

// A fresh, empty folder in the system's temporary folder (or in `root`), removed with
// everything in it at the end of the test.
// The tree below `folder`, read as TempFolder::Read reads its own.
Tree ReadTree(const std::string& folder);

class TempFolder {
public:
    TempFolder();
    explicit TempFolder(std::string root);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return Join(path_, relative); }

    // Writes every file of `tree` and makes every folder (entries ending in '/').
    void Build(const Tree& tree) const;
    Tree Read() const;

private:
    std::string path_;
};

}  // namespace testtree
