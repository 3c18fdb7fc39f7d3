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

}  // namespace

int main(int argc, char** argv) {
    ConverterTool tool;
    tool.name = "kestrelix-sound";
    tool.usage =
        "usage: kestrelix-sound <source.sfx|source.tune> <output.wav>\n"
        "       kestrelix-sound --all <source folder> <output folder>\n";
    tool.isSource = isSource;
    tool.sourcesName = ".sfx or .tune";
    tool.outputExtension = ".wav";
    tool.convert = convert;
    return runConverterTool(tool, argc, argv);
}
