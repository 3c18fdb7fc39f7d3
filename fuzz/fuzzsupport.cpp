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

namespace {

constexpr int kMaxSide = 0xFFFF;  // a Bitmap keeps its sizes in 16 bits

SDL_Texture* fakeTexture(int handle) {
    return reinterpret_cast<SDL_Texture*>(static_cast<std::uintptr_t>(handle));
}

int handleOf(const Bitmap& bitmap) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(bitmap.texture));
}

}  // namespace

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

CheckingVideo::CheckingVideo() = default;

CheckingVideo::~CheckingVideo() = default;

void CheckingVideo::setImageSize(const std::string& path, int width, int height) {
    m_sizes[path] = {width, height};
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

int CheckingVideo::newHandle(int width, int height) {
    const int handle = m_nextHandle++;
    if (m_live.size() <= static_cast<std::size_t>(handle)) {
        m_live.resize(static_cast<std::size_t>(handle) + 1);
    }
    m_live[static_cast<std::size_t>(handle)] = Live{width, height, true};
    ++m_liveCount;
    return handle;
}

const CheckingVideo::Live& CheckingVideo::checkLive(const Bitmap& bitmap,
                                                    const char* operation) const {
    const int handle = handleOf(bitmap);
    if (handle <= 0 || static_cast<std::size_t>(handle) >= m_live.size() ||
        !m_live[static_cast<std::size_t>(handle)].live) {
        trap(std::string(operation) + " with a bitmap that is not loaded (handle " +
             std::to_string(handle) + ")");
    }
    const Live& live = m_live[static_cast<std::size_t>(handle)];
    if (live.width != bitmap.width || live.height != bitmap.height) {
        trap(std::string(operation) + " with a bitmap whose sizes were changed");
    }
    return live;
}

void CheckingVideo::checkRect(const Bitmap& bitmap, const Live& live, const Rect* sourceRect) {
    if (sourceRect == nullptr) {
        return;
    }
    const long long m = m_multiplier;
    const bool inside = sourceRect->x >= 0 && sourceRect->y >= 0 &&
                        (sourceRect->x + static_cast<long long>(sourceRect->w)) * m <= live.width &&
                        (sourceRect->y + static_cast<long long>(sourceRect->h)) * m <= live.height;
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
    const Live& live = checkLive(source, "copyToBitmap (source)");
    checkLive(target, "copyToBitmap (target)");
    checkRect(source, live, sourceRect);
    ++m_copies;
    mix(static_cast<std::uint64_t>(handleOf(source)) << 32 | static_cast<std::uint32_t>(x));
    mix(static_cast<std::uint32_t>(y));
}

void CheckingVideo::copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) {
    const Live& live = checkLive(source, "copyToScreen");
    checkRect(source, live, sourceRect);
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

void CheckingVideo::createBitmap(Bitmap& bitmap, int width, int height) {
    const long long w = static_cast<long long>(width) * m_multiplier;
    const long long h = static_cast<long long>(height) * m_multiplier;
    // The engine refuses these; the fake must not hand out an image the engine would not.
    if (width < 1 || height < 1 || w > kMaxSide || h > kMaxSide) {
        throw LoadError("createBitmap", "an image of " + std::to_string(width) + " x " +
                                            std::to_string(height) + " pixels cannot be made");
    }
    bitmap.texture = fakeTexture(newHandle(static_cast<int>(w), static_cast<int>(h)));
    bitmap.width = static_cast<std::uint16_t>(w);
    bitmap.height = static_cast<std::uint16_t>(h);
}

void CheckingVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    if (path == nullptr) {
        trap("loadBitmap with a null path");
    }
    ++m_loads;
    int width = 256;
    int height = 256;
    const auto size = m_sizes.find(path);
    if (size != m_sizes.end()) {
        width = size->second.first;
        height = size->second.second;
    }
    if (width < 1) {
        throw LoadError(path, "cannot be opened");  // how a test makes a path unreadable
    }
    const int w = width * m_multiplier;
    const int h = height * m_multiplier;
    bitmap.texture = fakeTexture(newHandle(w, h));
    bitmap.width = static_cast<std::uint16_t>(w);
    bitmap.height = static_cast<std::uint16_t>(h);
}

void CheckingVideo::unloadBitmap(Bitmap& bitmap) {
    if (bitmap.texture == nullptr) {
        return;  // SDL accepts destroying nothing; so does the fake
    }
    checkLive(bitmap, "unloadBitmap");
    m_live[static_cast<std::size_t>(handleOf(bitmap))].live = false;
    --m_liveCount;
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
