// Paths split and joined by the rules of each system, and the names that
// Windows would take for something else.
#include "files/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace kestrix;

namespace {

std::string WithSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

// The folder keeps the root, and a root is its own folder.
TEST(Paths, AFolderAndItsNameMakeThePathAgainAndWindowsRefusesDevicesStreamsAndNamesEndingInADotOrBlank) {
    std::mt19937 random(32);
    const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const std::vector<std::string> names = {"Handling.cfg", "a b", "\xC3\xA9t\xC3\xA9", ".x", "..", "data"};
    for (const PathStyle style : {PathStyle::Posix, PathStyle::Windows}) {
        const bool windows = style == PathStyle::Windows;
        const std::vector<std::string> roots =
            windows ? std::vector<std::string>{"",   "C:\\",       "c:/", "C:", "\\\\server\\share\\",
                                               "\\", "\\\\?\\C:\\"}
                    : std::vector<std::string>{"", "/"};
        for (int i = 0; i < 400; ++i) {
            const std::string root = pick(roots);
            std::string path = root + pick(names);
            for (int more = static_cast<int>(random() % 4); more > 0; --more)
                path += (windows ? pick({"\\", "/"}) : "/") + pick(names);
            const std::string folder = FolderOf(path, style);
            const std::string name = NameOf(path, style);
            EXPECT_EQ(RootLength(folder, style), root.size()) << path;
            EXPECT_EQ(name.find_first_of(windows ? "\\/" : "/"), std::string::npos) << path;
            if (folder == "." && root.empty()) {
                EXPECT_EQ(name, path);
                continue;
            }
            EXPECT_EQ(WithSlashes(InFolder(folder, name, style)), WithSlashes(path)) << path;
            if (folder.size() == root.size()) {
                EXPECT_EQ(FolderOf(folder, style), folder) << "a root is its own folder";
            }
        }
    }
    EXPECT_EQ(InFolder("C:/mods", "Handling.cfg", PathStyle::Windows), "C:/mods/Handling.cfg");
    EXPECT_EQ(InFolder("C:\\mods", "Handling.cfg", PathStyle::Windows), "C:\\mods\\Handling.cfg");
    EXPECT_EQ(FolderOf("C:\\mods\\Handling.cfg", PathStyle::Posix), ".")
        << "a backslash is a character there";

    // A refused name is refused in any folder, and a good one is good in any
    // good folder; the system's own namespaces are taken as written.
    const std::vector<std::string> refused = {
        "CON", "con.cfg", "NUL.txt", "Aux",    "COM1", "lpt9.cfg", "mod:b",       "x.",
        "y ",  "a?b",     "a|b",     "CONIN$", "PRN ", "a\x01",    "COM\xC2\xB9", "nul .cfg"};
    const std::vector<std::string> good = {"Handling.cfg",      "CONFIG.cfg", "COM10",
                                           "console",           ".hidden",    "..",
                                           "Z\xC3\xBCrich.cfg", "a b.cfg",    "LPT0"};
    const std::vector<std::string> folders = {
        "", "C:\\", "C:", "mods\\", "\\\\server\\share\\", "C:/my mods/", "..\\up\\"};
    for (const std::string& folder : folders) {
        for (const std::string& name : refused)
            EXPECT_TRUE(IsNameWindowsRefuses(folder + name)) << folder + name;
        for (const std::string& name : good)
            EXPECT_FALSE(IsNameWindowsRefuses(folder + name)) << folder + name;
        EXPECT_TRUE(IsNameWindowsRefuses(folder + "CON\\Handling.cfg")) << "a folder's name too";
    }
    EXPECT_FALSE(IsNameWindowsRefuses("\\\\.\\CON"));
    EXPECT_FALSE(IsNameWindowsRefuses("\\\\?\\C:\\x."));
}
