#include "engine/timemachinekeys.h"

#include <string>

#include "engine/gameengine.h"
#include "states/timemachine.h"

namespace {

using Action = KeyBindings::Action;

// The keys of slots 0 .. 3 are bound as slot1 .. slot4 (F1 .. F4 unless rebound); any
// other key is no slot.
int slotOf(const KeyBindings& bindings, SDL_Keycode key) {
    constexpr Action kSlots[] = {Action::kSlot1, Action::kSlot2, Action::kSlot3, Action::kSlot4};
    for (int slot = 0; slot < 4; ++slot) {
        if (bindings.key(kSlots[slot]) == key) {
            return slot;
        }
    }
    return -1;
}

}  // namespace

TimeMachineKeys::TimeMachineKeys(TimeMachine& machine, GameEngine& engine)
    : m_machine(machine), m_engine(engine) {}

bool TimeMachineKeys::keyDown(const SDL_Keysym& key, Controls& controls, bool paused) {
    const KeyBindings& bindings = m_engine.getBindings();
    const int slot = slotOf(bindings, key.sym);
    if (slot >= 0) {
        if ((key.mod & KMOD_SHIFT) != 0) {
            m_machine.restore(slot, controls);
        } else {
            m_machine.save(slot);
        }
        return true;
    }
    if (key.sym == bindings.key(Action::kRewind)) {
        // Paused, each press is one update back, the mirror of Tab; running, the updates
        // of the frames while the key is held step back instead.
        if (paused) {
            m_machine.stepBack(controls);
        } else {
            m_machine.startRewinding();
        }
        showTitle();
        return true;
    }
    if (key.sym == bindings.key(Action::kReload)) {
        m_machine.reload(controls);
        showTitle();
        return true;
    }
    return false;
}

bool TimeMachineKeys::keyUp(const SDL_Keysym& key, Controls& controls, bool /*paused*/) {
    const KeyBindings& bindings = m_engine.getBindings();
    if (key.sym == bindings.key(Action::kRewind)) {
        m_machine.stopRewinding(controls);
        showTitle();
        return true;
    }
    return slotOf(bindings, key.sym) >= 0 || key.sym == bindings.key(Action::kReload);
}

void TimeMachineKeys::showTitle() {
    std::string suffix;
    if (m_machine.isRewinding()) {
        suffix += " - rewinding";
    }
    if (!m_machine.reloadError().empty()) {
        suffix += " - reload failed: " + m_machine.reloadError();
    }
    m_engine.setTitleSuffix(suffix);
}
