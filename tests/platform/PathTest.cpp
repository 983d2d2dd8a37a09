// Each system's path rules, on every system: one table of paths, read by both.
#include "platform/Path.h"

#include <gtest/gtest.h>

namespace path = platform::path;
using path::System;

namespace {

// What a system reads in a path.
struct Reading {
    std::size_t root;
    std::string parent, base, normal;
};

}  // namespace

TEST(Path, ReadByEachSystem) {
    // Where no Linux reading is given, the path holds no '/': to Linux it is one name.
    const struct {
        const char *label, *path;
        std::optional<Reading> posix;
        Reading windows;
    } cases[] = {
        {"a name alone", "a", {}, {0, ".", "a", "a"}},
        {"a backslash in a name", "D/a\\b", Reading{0, "D", "a\\b", "D/a\\b"}, {0, "D/a", "b", "D\\a\\b"}},
        {"dots, extra separators",
         "/..//s/./../D/",
         Reading{1, "/..//s/./..", "D", "/D"},
         {1, "/..//s/./..", "D", "/D"}},
        {"relative, up past the start", "a/../../y", Reading{0, "a/../..", "y", "../y"}, {0, "a/../..", "y", "..\\y"}},
        {"a drive's root", "C:\\", {}, {3, "C:\\", "", "C:\\"}},
        {"a drive's folder in slashes", "d:/S/D", Reading{0, "d:/S", "D", "d:/S/D"}, {3, "d:/S", "D", "d:/S\\D"}},
        {"a drive's folder, long form", "\\\\?\\C:\\P", {}, {7, "\\\\?\\C:\\", "P", "\\\\?\\C:\\P"}},
        {"the current drive's root", "\\D", {}, {1, "\\", "D", "\\D"}},
        {"a share's root", "\\\\s\\h\\", {}, {6, "\\\\s\\h\\", "", "\\\\s\\h\\"}},
        {"up from a share", "\\\\s\\h\\..\\D", {}, {6, "\\\\s\\h\\..", "D", "\\\\s\\h\\D"}},
        {"a share, long form", "\\\\?\\UNC\\s\\h\\S", {}, {12, "\\\\?\\UNC\\s\\h\\", "S", "\\\\?\\UNC\\s\\h\\S"}},
    };
    for (const auto& c : cases) {
        for (const System system : {System::Posix, System::Windows}) {
            SCOPED_TRACE(std::string(c.label) + (system == System::Windows ? ", Windows" : ", Linux"));
            const std::string name(c.path);
            const Reading r = system == System::Windows ? c.windows : c.posix.value_or(Reading{0, ".", name, name});
            EXPECT_EQ(path::RootLength(c.path, system), r.root);
            EXPECT_EQ(path::Parent(c.path, system), r.parent);
            EXPECT_EQ(path::BaseName(c.path, system), r.base);
            EXPECT_EQ(path::Normal(c.path, system), r.normal);
        }
    }
}

TEST(Path, BelowAFolder) {
    const struct {
        const char *label, *path, *folder;
        std::optional<std::string> posix, windows;
    } cases[] = {
        {"the folder itself", "/k/D", "/k/./D/", "", std::nullopt},
        {"a longer name beside it", "/k/Data", "/k/D", std::nullopt, std::nullopt},
        {"a backslash in a name", "/k/D/a\\b", "/k/D", "a\\b", std::nullopt},
        {"at a drive's root", "C:\\D\\a", "C:\\", std::nullopt, "D\\a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(path::Below(c.path, c.folder, System::Posix), c.posix);
        EXPECT_EQ(path::Below(c.path, c.folder, System::Windows), c.windows);
    }
}
