#include "engine/timemachinekeys.h"

#include <string>

#include "engine/gameengine.h"
#include "states/timemachine.h"

namespace {

// F1 .. F4 are slots 0 .. 3; anything else is no slot.
int slotOf(SDL_Keycode key) {
    switch (key) {
        case SDLK_F1:
            return 0;
        case SDLK_F2:
            return 1;
        case SDLK_F3:
            return 2;
        case SDLK_F4:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

TimeMachineKeys::TimeMachineKeys(TimeMachine& machine, GameEngine& engine)
    : m_machine(machine), m_engine(engine) {}

bool TimeMachineKeys::keyDown(const SDL_Keysym& key, Controls& controls, bool paused) {
    const int slot = slotOf(key.sym);
    if (slot >= 0) {
        if ((key.mod & KMOD_SHIFT) != 0) {
            m_machine.restore(slot, controls);
        } else {
            m_machine.save(slot);
        }
        return true;
    }
    switch (key.sym) {
        case SDLK_BACKSPACE:
            // Paused, each press is one update back, the mirror of Tab; running, the
            // updates of the frames while the key is held step back instead.
            if (paused) {
                m_machine.stepBack(controls);
            } else {
                m_machine.startRewinding();
            }
            showTitle();
            return true;
        case SDLK_F5:
            m_machine.reload(controls);
            showTitle();
            return true;
        default:
            return false;
    }
}

bool TimeMachineKeys::keyUp(const SDL_Keysym& key, Controls& controls, bool /*paused*/) {
    if (key.sym == SDLK_BACKSPACE) {
        m_machine.stopRewinding(controls);
        showTitle();
        return true;
    }
    return slotOf(key.sym) >= 0 || key.sym == SDLK_F5;
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
