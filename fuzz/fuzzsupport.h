#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/nullvideo.h"

class LoadError;

// Shared by the fuzz targets and the soak test: a trap that stops the run with a reason,
// a checking video service, and a private working directory for the files a target writes.
namespace fuzz {

// Prints the reason and aborts, so both libFuzzer and the standalone driver record the
// input as a crash.
[[noreturn]] void trap(const std::string& what);

// A refusal must say what is wrong: an empty problem (or file) is a fault of its own.
void checkRefusal(const LoadError& error);

// Makes a fresh scratch directory the working directory the first time it is called and
// returns its path; later calls only return to it. One per process: the targets run
// millions of times and must not create a directory per input.
const std::string& workDir();
void writeFile(const std::string& name, const std::uint8_t* data, std::size_t size);
void writeFile(const std::string& name, const std::string& text);
// The files every input of a target shares: written at the first call only, since the
// targets run millions of times.
void writeFilesOnce(const std::vector<std::pair<std::string, std::string>>& files);

// The null video service, checking every call: only live bitmaps may be drawn, drawn into
// or unloaded, and their sizes may not be changed behind its back. With strict rectangles
// on, a source rectangle must lie inside its bitmap. Any breach traps. It keeps counters
// and a hash instead of a log, so a long run does not grow.
class CheckingVideo : public NullVideo {
  public:
    // Fuzz inputs name pictures that are never written: those not given a size are
    // 256 x 256 unless readPictureFiles is called.
    CheckingVideo() { setFallbackSize(256, 256); }

    void clearScreen() override;
    void copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) override;
    void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) override;
    void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                               std::uint8_t alpha) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap& bitmap) override;

    void setStrictRects(bool strict) { m_strictRects = strict; }

    long long copies() const { return m_copies; }
    long long loads() const { return m_loads; }
    long long clears() const { return m_clears; }
    // Copies whose source rectangle reached outside its bitmap (counted when not strict).
    long long outsideCopies() const { return m_outsideCopies; }
    // A running hash of every copy's arguments, so two runs can be compared.
    std::uint64_t drawHash() const { return m_drawHash; }
    void resetCounters();

  private:
    const Image& checkLive(const Bitmap& bitmap, const char* operation) const;
    void checkRect(const Bitmap& bitmap, const Image& image, const Rect* sourceRect);
    void mix(std::uint64_t value);

    bool m_strictRects = false;
    long long m_copies = 0;
    long long m_loads = 0;
    long long m_clears = 0;
    long long m_outsideCopies = 0;
    std::uint64_t m_drawHash = 1469598103934665603ULL;
};

// A small deterministic generator (xorshift64*), the same in every build and library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : m_state(seed != 0 ? seed : 0x9E3779B97F4A7C15ULL) {}
    std::uint64_t next();
    // 0 .. bound - 1
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }

  private:
    std::uint64_t m_state;
};

}  // namespace fuzz

#include "engine/controls.h"

namespace fuzz {

// The engine's event handling replayed from key states: each frame gets a byte whose bits
// say which keys are down (left, right, up, down, shoot, jump) and which are pressed this
// frame (Enter toggles the pause, Tab single-steps while paused). Key changes become the
// same key-down and key-up effects the engine applies, in a fixed order, so the Controls,
// the pause and the single step behave exactly as in the game.
class InputReplay {
  public:
    enum Bit : std::uint8_t {
        kLeft = 1,
        kRight = 2,
        kUp = 4,
        kDown = 8,
        kShoot = 16,
        kJump = 32,
        kEnter = 64,
        kTab = 128,
    };

    // Handles one frame's events; afterwards the main loop updates only when !paused().
    void frame(std::uint8_t keys);
    const Controls& controls() const { return m_controls; }
    bool paused() const { return m_paused; }

  private:
    Controls m_controls;
    std::uint8_t m_held = 0;
    bool m_paused = false;
    bool m_stepPending = false;
};

}  // namespace fuzz
