#include "config/datafolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "scratchdir.h"

namespace fs = std::filesystem;

namespace {

// A scratch tree with the four places the search looks at, each able to hold the data:
//   cwd/                      the working directory
//   prefix/bin/kestrelix      an installed program, prefix/share/kestrelix its data
//   build/src/kestrelix       a program in its build tree, source/data the source's data
//   chosen/                   a folder named with --data
struct SearchTree {
    ScratchDir scratch;
    fs::path root = scratch.path();

    DataFolder::Places places(const std::string& option, const std::string& executable) const {
        DataFolder::Places result;
        result.option = option.empty() ? "" : (root / option).string();
        result.workingDir = (root / "cwd").string();
        result.executable = executable.empty() ? "" : (root / executable).string();
        result.buildDir = (root / "build").string();
        result.sourceDataDir = (root / "source/data").string();
        return result;
    }
    void giveData(const std::string& folder) const {
        scratch.write(folder + "/stageselect.ini", "[Levels]\n");
    }
};

struct SearchCase {
    const char* name;
    std::vector<const char*> withData;  // folders that hold the data
    const char* option;                 // --data, relative to the tree; "" when not given
    const char* executable;
    const char* expected;  // the folder found; nullptr when the search must fail
};

void PrintTo(const SearchCase& searchCase, std::ostream* out) {
    *out << searchCase.name;
}

class DataFolderSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(DataFolderSearch, FindsTheFirstPlaceThatHoldsTheData) {
    const SearchCase& c = GetParam();
    SearchTree tree;
    for (const char* folder : c.withData) {
        tree.giveData(folder);
    }
    tree.scratch.write("cwd/.keep", "");
    tree.scratch.write("prefix/bin/kestrelix", "");
    tree.scratch.write("build/src/kestrelix", "");
    const DataFolder::Places places = tree.places(c.option, c.executable);
    if (c.expected == nullptr) {
        EXPECT_THROW(DataFolder::find(places), LoadError);
        return;
    }
    EXPECT_EQ(fs::path(DataFolder::find(places)).lexically_normal(),
              (tree.root / c.expected).lexically_normal());
}

INSTANTIATE_TEST_SUITE_P(
    Places, DataFolderSearch,
    ::testing::Values(
        // --data wins over everything, and never falls back to another place.
        SearchCase{"OptionFirst", {"chosen", "cwd"}, "chosen", "prefix/bin/kestrelix", "chosen"},
        SearchCase{"OptionWithoutData", {"cwd"}, "chosen", "prefix/bin/kestrelix", nullptr},
        // Started in its data folder, the game stays there, whatever else is installed.
        SearchCase{"WorkingDirectory",
                   {"cwd", "prefix/share/kestrelix"},
                   "",
                   "prefix/bin/kestrelix",
                   "cwd"},
        SearchCase{"Installed",
                   {"prefix/share/kestrelix", "source/data"},
                   "",
                   "prefix/bin/kestrelix",
                   "prefix/share/kestrelix"},
        SearchCase{"BuildTree", {"source/data"}, "", "build/src/kestrelix", "source/data"},
        // A copy of the program outside its build tree must not find the sources.
        SearchCase{"NotInBuildTree", {"source/data"}, "", "prefix/bin/kestrelix", nullptr},
        SearchCase{"NowhereNoExecutable", {}, "", "", nullptr}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(DataFolderSearch, FailureSaysWhereItLookedAndWhatToDo) {
    SearchTree tree;
    tree.scratch.write("prefix/bin/kestrelix", "");
    try {
        DataFolder::find(tree.places("", "prefix/bin/kestrelix"));
        FAIL() << "found data where there is none";
    } catch (const LoadError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find((tree.root / "cwd").string()), std::string::npos) << message;
        EXPECT_NE(message.find((tree.root / "prefix/share/kestrelix").string()), std::string::npos)
            << message;
        EXPECT_NE(message.find("--data"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << "one line: " << message;
    }
}

TEST(DataFolderSearch, AFolderNamedLikeTheMarkerIsNoData) {
    SearchTree tree;
    tree.scratch.write("cwd/stageselect.ini/x", "");
    EXPECT_FALSE(DataFolder::holdsData((tree.root / "cwd").string()));
}

TEST(UserSettings, UserKeysWinAndTheRestComesFromTheDataFolder) {
    ScratchDir scratch;
    scratch.write("settings.ini", "[Video]\npixelMultiplier = 3\n[Audio]\nmusic = 40\n");
    scratch.write("user/settings.ini", "[Audio]\nmusic = 0\n");
    const std::string user = (scratch.path() / "user/settings.ini").string();
    const IniDictionary settings = IniDictionary::withOverride("settings.ini", user.c_str());
    EXPECT_EQ(settings.getIntValue("pixelMultiplier", "Video", 1), 3);
    EXPECT_EQ(settings.getIntValue("music", "Audio", 50), 0);
    EXPECT_EQ(settings.pathOf("music", "Audio"), user);
    EXPECT_EQ(settings.pathOf("pixelMultiplier", "Video"), "settings.ini");

    // Without a user file the data folder's settings are read as before.
    const IniDictionary plain = IniDictionary::withOverride("settings.ini", "user/none.ini");
    EXPECT_EQ(plain.getIntValue("music", "Audio", 50), 40);
}

TEST(UserSettings, PlacesFollowTheBaseDirectoryVariables) {
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(DataFolder::userSettingsPath(), "/cfg/kestrelix/settings.ini");
    EXPECT_EQ(DataFolder::userRecordingsDir(), "/home/player/.local/share/kestrelix/recordings");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DataFolder::userSettingsPath(), "/home/player/.config/kestrelix/settings.ini");
}

}  // namespace
