// Soak test: plays every shipped level with every shipped character for a long time on
// seeded random input, the way the main loop runs it (paused frames skip the update but
// still draw; Tab runs one update), and checks in every frame that the level's invariants
// hold, that no bitmap is loaded or created after the start, and that the frame allocates
// nothing, also while a recording of the play is being written. The same seed gives the
// same final hash in every build.
//
//   kestrelix_soak [--frames N] [--seed S] [--data DIR]
//   KESTRELIX_SOAK_FRAMES=216000 kestrelix_soak     (an hour of play per pair)
//
// The shipped data/ is copied into a scratch directory that becomes the working directory.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "allocationcounter.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "fuzzsupport.h"
#include "levelchecks.h"
#include "states/gamestatemanager.h"
#include "states/inputscript.h"
#include "states/level.h"
#include "states/recorder.h"

namespace {

namespace fs = std::filesystem;

struct Options {
    long long frames = 5000;
    std::uint64_t seed = 1;
    fs::path data = fs::path(KESTRELIX_SOURCE_DIR) / "data";
};

// A player's hands: a key combination held for a while, jumps and shots tapped, now and
// then a pause with a few single steps.
class Player {
  public:
    explicit Player(std::uint64_t seed) : m_random(seed) {}

    std::uint8_t nextKeys(bool paused) {
        using Bit = fuzz::InputReplay;
        if (m_holdFrames == 0) {
            static const std::uint8_t kDirections[] = {0,
                                                       Bit::kLeft,
                                                       Bit::kRight,
                                                       Bit::kUp,
                                                       Bit::kDown,
                                                       Bit::kRight | Bit::kUp,
                                                       Bit::kLeft | Bit::kDown,
                                                       Bit::kRight,
                                                       Bit::kLeft,
                                                       Bit::kLeft | Bit::kRight};
            m_held = kDirections[m_random.below(10)];
            m_holdFrames = 1 + m_random.below(90);
        }
        --m_holdFrames;
        std::uint8_t keys = m_held;
        if (m_random.below(12) == 0) {
            m_jumpFrames = 1 + m_random.below(40);
        }
        if (m_jumpFrames > 0) {
            --m_jumpFrames;
            keys |= Bit::kJump;
        }
        if (m_random.below(6) == 0) {
            keys |= Bit::kShoot;
        }
        // Short pauses now and then, with a few single steps in them.
        if (m_random.below(paused ? 40 : 1500) == 0) {
            keys |= Bit::kEnter;
        }
        if (paused && m_random.below(4) == 0) {
            keys |= Bit::kTab;
        }
        return keys;
    }

  private:
    fuzz::Random m_random;
    std::uint8_t m_held = 0;
    int m_holdFrames = 0;
    int m_jumpFrames = 0;
};

std::vector<std::string> listOf(const IniDictionary& menu, const char* section,
                                const char* prefix) {
    std::vector<std::string> entries;
    const int amount = menu.getIntValue("amount", section, 0);
    for (int i = 0; i < amount; ++i) {
        const std::string key = prefix + std::to_string(i);
        entries.emplace_back(menu.getCStringValue(key.c_str(), section, "empty"));
    }
    return entries;
}

// Plays one level with one character; returns its final state hash, or exits on a fault.
std::uint64_t soak(const std::string& levelName, const std::string& character,
                   const Options& options, std::uint64_t seed, const fs::path& data) {
    fuzz::CheckingVideo video;
    video.readPictureFiles();  // the shipped pictures, from the working directory
    const ScopedVideo provided(&video);
    std::uint64_t hash = 0;
    {
        GameStateManager manager;
        manager.setInitMessage(GameStateManager::InitMessageId::kLevel, levelName.c_str());
        manager.setInitMessage(GameStateManager::InitMessageId::kVoltbot, character.c_str());
        Level level(&manager);
        const int bitmaps = video.liveBitmaps();
        const long long loads = video.loads();

        fuzz::InputReplay replay;
        fuzz::LevelChecker checker(true);
        Player player(seed);
        long long updates = 0;
        long long resets = 0;
        long long scrolls = 0;
        Level::Phase previous = level.getPhase();
        // The recording's buffers are made when it starts; its span lines are written as
        // the input changes, inside the frames checked below.
        Recorder recorder;
        if (!recorder.start((data / "soak-recording.txt").string(), levelName, character,
                            "0000000000000000", Controls{})) {
            fuzz::trap("the recording could not be started");
        }
        const long long allocationsBefore = allocationCount();
        for (long long frame = 0; frame < options.frames; ++frame) {
            replay.frame(player.nextKeys(replay.paused()));
            const bool updated = !replay.paused();
            if (updated) {
                level.update(replay.controls());
                recorder.record(replay.controls());
                ++updates;
            }
            level.draw();
            checker.afterFrame(level, updated);
            const Level::Phase phase = level.getPhase();
            if (phase != previous) {
                resets += phase == Level::kReady ? 1 : 0;
                scrolls += phase == Level::kScrolling ? 1 : 0;
                previous = phase;
            }
            if (video.liveBitmaps() != bitmaps || video.loads() != loads) {
                fuzz::trap("bitmaps loaded or created during play in frame " +
                           std::to_string(frame));
            }
            if (allocationCount() != allocationsBefore) {
                fuzz::trap("frame " + std::to_string(frame) + " allocated memory (" +
                           std::to_string(allocationCount() - allocationsBefore) + " allocations)");
            }
        }
        hash = fuzz::stateHash(level) ^ (video.drawHash() * 31);
        recorder.stop();
        if (recorder.unwritable() != 0 ||
            (recorder.updates() == updates &&
             InputScript::parseFile(recorder.path()).frameCount() != updates)) {
            fuzz::trap("the recording does not hold the " + std::to_string(updates) + " updates");
        }
        fs::remove(recorder.path());
        std::printf(
            "soak: %-10s %-10s frames %lld, updates %lld, restarts %lld, scrolls %lld, "
            "state hash %016llx\n",
            levelName.c_str(), character.c_str(), options.frames, updates, resets, scrolls,
            static_cast<unsigned long long>(hash));
    }
    if (video.liveBitmaps() != 0) {
        fuzz::trap(std::to_string(video.liveBitmaps()) + " bitmaps left after the level");
    }
    return hash;
}

Options parse(int argc, char** argv) {
    Options options;
    if (const char* frames = std::getenv("KESTRELIX_SOAK_FRAMES")) {
        options.frames = std::atoll(frames);
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--frames") == 0) {
            options.frames = std::atoll(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            options.seed = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (std::strcmp(argv[i], "--data") == 0) {
            options.data = fs::absolute(argv[i + 1]);
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--seed S] [--data DIR]\n", argv[0]);
            std::exit(2);
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    const fs::path work = fuzz::workDir();
    for (const auto& entry : fs::directory_iterator(options.data)) {
        fs::copy(entry.path(), work / entry.path().filename(),
                 fs::copy_options::overwrite_existing | fs::copy_options::recursive);
    }
    try {
        const IniDictionary menu("stageselect.ini");
        const std::vector<std::string> levels = listOf(menu, "Levels", "level");
        const std::vector<std::string> characters = listOf(menu, "Voltbots", "voltbot");
        if (levels.empty() || characters.empty()) {
            std::fprintf(stderr, "soak: stageselect.ini lists no level or no character\n");
            return 1;
        }
        std::uint64_t total = options.seed;
        int pair = 0;
        for (const std::string& level : levels) {
            for (const std::string& character : characters) {
                // Every pair gets its own input stream, derived from the one seed.
                const std::uint64_t hash =
                    soak(level, character, options, options.seed * 1000003 + pair++, work);
                total = total * 1099511628211ULL ^ hash;
            }
        }
        std::printf("soak: seed %llu, %lld frames per pair, final hash %016llx\n",
                    static_cast<unsigned long long>(options.seed), options.frames,
                    static_cast<unsigned long long>(total));
    } catch (const LoadError& error) {
        std::fprintf(stderr, "kestrelix: %s: %s\n", error.file().c_str(), error.problem().c_str());
        return 1;
    }
    return 0;
}
