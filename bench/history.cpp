// What keeping the rewind history costs, for callgrind and for the memory figure. Plays a
// shipped level through the state manager alone ("manager") or through the time machine
// that snapshots the level after every update ("machine"): the difference of the two
// instruction counts over N updates is the history's cost per update. "memory" fills the
// history of a level and prints the heap the time machine holds.
//   kestrelix-bench-history manager|machine N [level]
//   kestrelix-bench-history memory [level]
#include <malloc.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "benchlevel.h"
#include "engine/nullvideo.h"
#include "states/gamestatemanager.h"
#include "states/timemachine.h"

namespace {

std::unique_ptr<GameStateManager> levelManager(const std::string& level) {
    auto manager = std::make_unique<GameStateManager>();
    manager->setInitMessage(GameStateManager::InitMessageId::kLevel, level.c_str());
    manager->setInitMessage(GameStateManager::InitMessageId::kVoltbot, "voltbot1");
    manager->setNextState();
    return manager;
}

template <class Runner>
void play(Runner& runner, int frames) {
    const std::vector<Controls> input = benchlevel::busyInput();
    for (int i = 0; i < benchlevel::kSettleFrames; ++i) {
        runner.update(Controls{});
    }
    for (int i = 0; i < frames; ++i) {
        runner.update(input[static_cast<std::size_t>(i) % input.size()]);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::cerr << "usage: kestrelix-bench-history manager|machine N [level] | memory [level]\n";
        return 2;
    }
    const std::string mode = argv[1];
    NullVideo video;
    const ScopedVideo installed(&video);
    if (mode == "memory") {
        const std::string level = argc > 2 ? argv[2] : "Sablex";
        // The level is loaded by the first update, through the manager alone, and then
        // handed to a time machine, whose heap is what it adds.
        auto manager = levelManager(level);
        manager->update(Controls{});
        const auto heap = [] {
            const struct mallinfo2 info = mallinfo2();
            return info.uordblks + info.hblkhd;  // small blocks and mapped ones
        };
        const std::size_t before = heap();
        auto machine = std::make_unique<TimeMachine>(*manager);
        machine->update(Controls{});
        const std::size_t atLoad = heap() - before;
        play(*machine, RewindHistory::kCapacity);
        const std::size_t full = heap() - before;
        std::cout << "sizeof(Savestate) " << sizeof(Savestate) << " bytes; history of "
                  << machine->history().capacity() << " moments (" << RewindHistory::kSeconds
                  << " s)\nheap added by the time machine: " << atLoad << " bytes at load, " << full
                  << " bytes with the history full (" << machine->history().size() << " moments)\n";
    } else if (argc >= 3) {
        const int frames = std::atoi(argv[2]);
        const std::string level = argc > 3 ? argv[3] : "Sablex";
        auto manager = levelManager(level);
        if (mode == "manager") {
            play(*manager, frames);
        } else {
            TimeMachine machine(*manager);
            play(machine, frames);
        }
    }
    return 0;
}
