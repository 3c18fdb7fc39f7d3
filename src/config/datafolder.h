#pragma once

#include <string>
#include <vector>

class IniDictionary;

// Finds the folder that holds the game's files and the per-user places beside it. The
// game's loaders read plain relative names ("levels.ini"), so once the folder is found
// the process works inside it; paths the user typed are made absolute against the folder
// the program was started in before that happens.
//
// The folder is the first of these that holds "stageselect.ini" as a regular file:
//   1. the one named by --data (if given, it must hold the data: no fallback);
//   2. the working directory (starting the game in its data folder, as always);
//   3. the installed data, ../share/kestrelix beside the executable's folder;
//   4. the source tree's data/, when the executable lies in the build tree it was built in.
class DataFolder {
  public:
    struct Places {
        std::string option;         // the --data value, empty when not given
        std::string workingDir;     // absolute
        std::string executable;     // absolute path of the running program, may be empty
        std::string buildDir;       // the build tree the program was built in
        std::string sourceDataDir;  // the source tree's data folder
    };

    // The places of this program: the working directory, /proc/self/exe and the folders
    // fixed when it was built.
    static Places placesOf(const std::string& dataOption);
    // The first place that holds the data (absolute); throws LoadError naming every place
    // looked at and what to do when none does.
    static std::string find(const Places& places);
    // Finds the folder and makes it the working directory.
    static std::string enter(const std::string& dataOption);

    // Whether the folder holds the game's data.
    static bool holdsData(const std::string& folder);

    // `path` made absolute against the folder the program was started in (the working
    // directory until enter() changes it). Empty stays empty.
    static std::string fromStartFolder(const std::string& path);

    // The user's own settings file, read over the data folder's one when it exists:
    // $XDG_CONFIG_HOME/kestrelix/settings.ini, by default ~/.config/kestrelix/settings.ini.
    // Empty when neither variable gives a place.
    static std::string userSettingsPath();
    // settings.ini of the data folder with the user's file read over it: a key the user's
    // file sets wins, every other key comes from the data folder's file. Nothing is written.
    static IniDictionary readSettings();
    // Where recordings go when the start folder cannot be written:
    // $XDG_DATA_HOME/kestrelix/recordings, by default ~/.local/share/kestrelix/recordings.
    static std::string userRecordingsDir();
    // The folder the program was started in (absolute).
    static const std::string& startFolder();
};
