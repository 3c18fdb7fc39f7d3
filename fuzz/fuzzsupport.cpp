#include "fuzzsupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <unistd.h>

#include "config/loaderror.h"
#include "engine/servicelocator.h"

namespace fuzz {

void trap(const std::string& what) {
    std::fprintf(stderr, "kestrelix fuzz: invariant broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

void checkRefusal(const LoadError& error) {
    if (error.problem().empty()) {
        trap("LoadError without a problem (file \"" + error.file() + "\")");
    }
    if (error.file().empty()) {
        trap("LoadError without a file (problem \"" + error.problem() + "\")");
    }
    // For reviewing a corpus: which inputs are refused, and with what message.
    static const bool verbose = std::getenv("KESTRELIX_FUZZ_VERBOSE") != nullptr;
    if (verbose) {
        std::fprintf(stderr, "refused: %s: %s\n", error.file().c_str(), error.problem().c_str());
    }
}

const std::string& workDir() {
    static const std::string path = [] {
        namespace fs = std::filesystem;
        char name[64];
        std::snprintf(name, sizeof name, "kestrelix-fuzz-%d", static_cast<int>(::getpid()));
        const fs::path dir = fs::temp_directory_path() / name;
        fs::create_directories(dir);
        // Leave no files behind when the process ends normally.
        static struct Cleanup {
            fs::path dir;
            ~Cleanup() {
                std::error_code ignored;
                fs::remove_all(dir, ignored);
            }
        } cleanup{dir};
        return dir.string();
    }();
    std::error_code ignored;
    std::filesystem::current_path(path, ignored);
    return path;
}

void writeFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) {
        trap("cannot write the scratch file " + name);
    }
}

void writeFile(const std::string& name, const std::string& text) {
    writeFile(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void writeFilesOnce(const std::vector<std::pair<std::string, std::string>>& files) {
    static bool written = false;
    if (written) {
        return;
    }
    for (const auto& [name, text] : files) {
        writeFile(name, text);
    }
    written = true;
}

void CheckingVideo::resetCounters() {
    m_copies = 0;
    m_loads = 0;
    m_clears = 0;
    m_outsideCopies = 0;
}

void CheckingVideo::mix(std::uint64_t value) {
    // FNV-1a over the value's bytes.
    for (int i = 0; i < 8; ++i) {
        m_drawHash ^= (value >> (8 * i)) & 0xFF;
        m_drawHash *= 1099511628211ULL;
    }
}

const NullVideo::Image& CheckingVideo::checkLive(const Bitmap& bitmap,
                                                 const char* operation) const {
    const int handle = handleOf(bitmap);
    const Image* image = imageOf(handle);
    if (image == nullptr || !image->live) {
        trap(std::string(operation) + " with a bitmap that is not loaded (handle " +
             std::to_string(handle) + ")");
    }
    if (image->width != bitmap.width || image->height != bitmap.height) {
        trap(std::string(operation) + " with a bitmap whose sizes were changed");
    }
    return *image;
}

void CheckingVideo::checkRect(const Bitmap& bitmap, const Image& image, const Rect* sourceRect) {
    if (sourceRect == nullptr) {
        return;
    }
    const long long m = getPixelMultiplier();
    const bool inside =
        sourceRect->x >= 0 && sourceRect->y >= 0 &&
        (sourceRect->x + static_cast<long long>(sourceRect->w)) * m <= image.width &&
        (sourceRect->y + static_cast<long long>(sourceRect->h)) * m <= image.height;
    if (inside) {
        return;
    }
    ++m_outsideCopies;
    if (m_strictRects) {
        trap("copy of (" + std::to_string(sourceRect->x) + ", " + std::to_string(sourceRect->y) +
             ", " + std::to_string(sourceRect->w) + ", " + std::to_string(sourceRect->h) +
             ") from a bitmap of " + std::to_string(bitmap.width) + " x " +
             std::to_string(bitmap.height) + " output pixels");
    }
}

void CheckingVideo::clearScreen() {
    ++m_clears;
    mix(0xC1EA);
}

void CheckingVideo::copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) {
    const Image& image = checkLive(source, "copyToBitmap (source)");
    checkLive(target, "copyToBitmap (target)");
    checkRect(source, image, sourceRect);
    ++m_copies;
    mix(static_cast<std::uint64_t>(handleOf(source)) << 32 | static_cast<std::uint32_t>(x));
    mix(static_cast<std::uint32_t>(y));
}

void CheckingVideo::copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) {
    const Image& image = checkLive(source, "copyToScreen");
    checkRect(source, image, sourceRect);
    ++m_copies;
    mix(static_cast<std::uint64_t>(handleOf(source)) << 32 | static_cast<std::uint32_t>(x));
    mix(static_cast<std::uint32_t>(y));
    if (sourceRect != nullptr) {
        mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(sourceRect->x)) << 32 |
            static_cast<std::uint32_t>(sourceRect->y));
    }
}

void CheckingVideo::copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                                          std::uint8_t alpha) {
    // Checked like any screen copy; the opacity goes into the hash so it cannot drift.
    copyToScreen(source, x, y, sourceRect);
    mix(alpha);
}

void CheckingVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    if (path == nullptr) {
        trap("loadBitmap with a null path");
    }
    ++m_loads;
    NullVideo::loadBitmap(bitmap, path);
}

void CheckingVideo::unloadBitmap(Bitmap& bitmap) {
    if (bitmap.texture == nullptr) {
        return;  // SDL accepts destroying nothing; so does the fake
    }
    checkLive(bitmap, "unloadBitmap");
    NullVideo::unloadBitmap(bitmap);
}

std::uint64_t Random::next() {
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return m_state * 2685821657736338717ULL;
}

}  // namespace fuzz

namespace fuzz {

void InputReplay::frame(std::uint8_t keys) {
    if (!m_paused) {
        m_controls.beginFrame();
    }
    if (m_stepPending) {
        m_paused = true;
        m_stepPending = false;
    }
    const std::uint8_t held = keys & (kLeft | kRight | kUp | kDown | kShoot | kJump);
    const std::uint8_t downs = held & ~m_held;
    const std::uint8_t ups = m_held & ~held;
    m_held = held;
    static constexpr struct {
        std::uint8_t bit;
        Controls::Key key;
    } kKeys[] = {{kLeft, Controls::Key::kLeft},   {kRight, Controls::Key::kRight},
                 {kUp, Controls::Key::kUp},       {kDown, Controls::Key::kDown},
                 {kShoot, Controls::Key::kShoot}, {kJump, Controls::Key::kJump}};
    // Releases first, then presses: one frame's events in the order a player makes them
    // when switching from one arrow to the other.
    for (const auto& k : kKeys) {
        if (ups & k.bit) {
            m_controls.release(k.key);
        }
    }
    for (const auto& k : kKeys) {
        if (downs & k.bit) {
            m_controls.press(k.key);
        }
    }
    if (keys & kEnter) {
        m_paused = !m_paused;
    }
    if ((keys & kTab) && m_paused) {
        m_paused = false;
        m_stepPending = true;
    }
}

}  // namespace fuzz
