// kestrelix-sound: renders the text sound sources of assets/sound into the game's WAV files.
//
//   kestrelix-sound <source> <output.wav>       one effect (.sfx) or tune (.tune)
//   kestrelix-sound --all <assets/sound> <data>  every source into <data>/<name>.wav
//
// Both formats are described in assets/README.md. Problems are printed as
// "kestrelix-sound: <file>:<line>: <problem>" and the exit status is 1.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bmpfile.h"
#include "config/loaderror.h"
#include "convertfolder.h"
#include "soundeffect.h"
#include "tune.h"
#include "wavfile.h"

namespace fs = std::filesystem;

using namespace sound;

namespace {

bool isSource(const fs::path& file) {
    return file.extension() == ".sfx" || file.extension() == ".tune";
}

void convert(const fs::path& source, const fs::path& output) {
    std::string bytes;
    if (source.extension() == ".tune") {
        const RenderedTune tune = renderTune(loadTune(source));
        bytes = encodeWav(tune.samples, kSampleRate, tune.loopStart);
    } else if (source.extension() == ".sfx") {
        bytes = encodeWav(renderSoundEffect(loadSoundEffect(source)), kSampleRate);
    } else {
        throw LoadError(source.string(), "is neither an effect (.sfx) nor a tune (.tune)");
    }
    writeFileIfChanged(output, bytes);
}

void convertAll(const fs::path& sourceFolder, const fs::path& outputFolder) {
    convertFolder(sourceFolder, outputFolder, isSource, ".sfx or .tune", ".wav", convert);
}

int usage() {
    std::cerr << "usage: kestrelix-sound <source.sfx|source.tune> <output.wav>\n"
                 "       kestrelix-sound --all <source folder> <output folder>\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 3 && args[0] == "--all") {
            convertAll(args[1], args[2]);
        } else if (args.size() == 2 && args[0].rfind("--", 0) != 0) {
            convert(args[0], args[1]);
        } else {
            return usage();
        }
    } catch (const LoadError& error) {
        std::cerr << "kestrelix-sound: " << error.file() << ": " << error.problem() << "\n";
        return 1;
    }
    return 0;
}
