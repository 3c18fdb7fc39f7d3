#include "config/datafolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "config/inidictionary.h"
#include "config/loaderror.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarkerFile = "stageselect.ini";

std::string currentDir() {
    std::error_code error;
    const fs::path path = fs::current_path(error);
    return error ? std::string() : path.string();
}

// Taken once, before anything can change the working directory.
const std::string& initialDir() {
    static const std::string dir = currentDir();
    return dir;
}

bool isInside(const fs::path& file, const fs::path& folder) {
    std::error_code error;
    const fs::path canonicalFolder = fs::weakly_canonical(folder, error);
    if (error || canonicalFolder.empty()) {
        return false;
    }
    const fs::path canonicalFile = fs::weakly_canonical(file, error);
    if (error) {
        return false;
    }
    const auto [folderEnd, fileAt] = std::mismatch(canonicalFolder.begin(), canonicalFolder.end(),
                                                   canonicalFile.begin(), canonicalFile.end());
    (void)fileAt;
    return folderEnd == canonicalFolder.end();
}

std::string envOrHome(const char* variable, const char* homeRelative) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/" + homeRelative;
    }
    return std::string();
}

}  // namespace

DataFolder::Places DataFolder::placesOf(const std::string& dataOption) {
    Places places;
    places.option = dataOption.empty() ? std::string() : fromStartFolder(dataOption);
    places.workingDir = currentDir();
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        places.executable = self.string();
    }
#ifdef KESTRELIX_BUILD_DIR
    places.buildDir = KESTRELIX_BUILD_DIR;
    places.sourceDataDir = KESTRELIX_SOURCE_DATA_DIR;
#endif
    return places;
}

bool DataFolder::holdsData(const std::string& folder) {
    std::error_code error;
    return !folder.empty() && fs::is_regular_file(fs::path(folder) / kMarkerFile, error);
}

std::string DataFolder::find(const Places& places) {
    if (!places.option.empty()) {
        if (holdsData(places.option)) {
            return places.option;
        }
        throw LoadError(places.option, std::string("holds no game data (no ") + kMarkerFile +
                                           "); --data must name the folder with the game's files");
    }
    std::string lookedAt;
    auto tryPlace = [&lookedAt](const std::string& folder) {
        if (folder.empty()) {
            return false;
        }
        lookedAt += (lookedAt.empty() ? "" : ", ") + folder;
        return holdsData(folder);
    };
    if (tryPlace(places.workingDir)) {
        return places.workingDir;
    }
    if (!places.executable.empty()) {
        const fs::path installed =
            fs::path(places.executable).parent_path().parent_path() / "share" / "kestrelix";
        if (tryPlace(installed.lexically_normal().string())) {
            return installed.lexically_normal().string();
        }
        if (!places.buildDir.empty() && isInside(places.executable, places.buildDir) &&
            tryPlace(places.sourceDataDir)) {
            return places.sourceDataDir;
        }
    }
    throw LoadError(kMarkerFile,
                    "no game data found (looked in " + lookedAt +
                        "); start the game in its data folder or name it with --data DIR");
}

std::string DataFolder::enter(const std::string& dataOption) {
    startFolder();  // remember it before leaving
    std::string folder = find(placesOf(dataOption));
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        throw LoadError(folder, "cannot be entered: " + error.message());
    }
    return folder;
}

const std::string& DataFolder::startFolder() {
    return initialDir();
}

std::string DataFolder::fromStartFolder(const std::string& path) {
    if (path.empty() || path[0] == '/') {
        return path;
    }
    return (fs::path(startFolder()) / path).lexically_normal().string();
}

std::string DataFolder::userSettingsPath() {
    const std::string base = envOrHome("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base + "/kestrelix/settings.ini";
}

IniDictionary DataFolder::readSettings() {
    const std::string user = userSettingsPath();
    return IniDictionary::withOverride("settings.ini", user.c_str());
}

std::string DataFolder::userRecordingsDir() {
    const std::string base = envOrHome("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base + "/kestrelix/recordings";
}
