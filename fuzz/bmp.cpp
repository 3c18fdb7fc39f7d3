// The engine's BMP loading on arbitrary files: the header checks, SDL's reader, the
// palette conversion and the enlarging step. The first byte picks the pixel multiplier
// (1 to 4), the rest is the file. A picture that loads must be exactly its header's size
// times the multiplier, in the record and in the texture. Runs on SDL's dummy video
// driver with the software renderer only.

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/loaderror.h"
#include "engine/gameengine.h"
#include "fuzzsupport.h"

namespace {

constexpr int kMultipliers = 4;

GameEngine& engineFor(int multiplier) {
    // One engine per multiplier, made once and never destroyed: each destruction would
    // shut SDL down under the others.
    static GameEngine* engines[kMultipliers] = {};
    GameEngine*& engine = engines[multiplier - 1];
    if (engine == nullptr) {
        fuzz::writeFile("settings.ini",
                        "[Video]\npixelMultiplier = " + std::to_string(multiplier) + "\n");
        engine = new GameEngine();  // intentionally lives until the process ends
    }
    return *engine;
}

long long readLe(const std::uint8_t* bytes, int count) {
    long long value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value * 256 + bytes[i];
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::workDir();
    if (size == 0) {
        return 0;
    }
    const int multiplier = data[0] % kMultipliers + 1;
    const std::uint8_t* file = data + 1;
    const std::size_t fileSize = size - 1;
    GameEngine& engine = engineFor(multiplier);
    fuzz::writeFile("fuzz.bmp", file, fileSize);

    Bitmap bitmap;
    try {
        engine.loadBitmap(bitmap, "fuzz.bmp");
    } catch (const LoadError& error) {
        fuzz::checkRefusal(error);
        if (bitmap.texture != nullptr) {
            fuzz::trap("a refused picture left a texture in the record");
        }
        return 0;
    }

    // Loaded: the header must have been whole, and the sizes follow from it.
    if (fileSize < 26) {
        fuzz::trap("a file of " + std::to_string(fileSize) + " bytes was accepted");
    }
    const long long infoSize = readLe(file + 14, 4);
    long long width = 0;
    long long height = 0;
    if (infoSize == 12) {
        width = readLe(file + 18, 2);
        height = readLe(file + 20, 2);
    } else {
        width = static_cast<std::int32_t>(readLe(file + 18, 4));
        height = static_cast<std::int32_t>(readLe(file + 22, 4));
    }
    height = height < 0 ? -height : height;
    if (bitmap.width != width * multiplier || bitmap.height != height * multiplier) {
        fuzz::trap("a " + std::to_string(width) + " x " + std::to_string(height) +
                   " picture at multiplier " + std::to_string(multiplier) + " became " +
                   std::to_string(bitmap.width) + " x " + std::to_string(bitmap.height));
    }
    int textureWidth = 0;
    int textureHeight = 0;
    if (SDL_QueryTexture(bitmap.texture, nullptr, nullptr, &textureWidth, &textureHeight) != 0 ||
        textureWidth != bitmap.width || textureHeight != bitmap.height) {
        fuzz::trap("the texture's size differs from the record's");
    }
    // Drawing it whole and in part must work like any other picture.
    Rect part{0, 0, 8, 8};
    engine.clearScreen();
    engine.copyToScreen(bitmap, 3, 5, nullptr);
    engine.copyToScreen(bitmap, -4, 7, &part);
    engine.unloadBitmap(bitmap);
    return 0;
}
