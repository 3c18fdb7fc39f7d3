#include "states/timemachine.h"

#include <iostream>
#include <memory>

#include "config/loaderror.h"
#include "states/gamestatemanager.h"
#include "states/level.h"

TimeMachine::TimeMachine(GameStateManager& manager, int historyCapacity)
    : m_manager(manager), m_historyCapacity(historyCapacity) {}

void TimeMachine::update(Controls controls) {
    if (isRewinding()) {
        if (m_history.stepBack()) {
            m_level->restore(m_history.newest().level);
        }
        return;
    }
    if (m_landedSinceDraw) {
        m_level->endReadyPhaseIfDue();
        m_landedSinceDraw = false;
    }
    m_manager.update(controls);
    follow();
    if (m_level != nullptr) {
        capture(controls.dirX, controls.dirY);
    }
}

void TimeMachine::draw() {
    m_manager.draw();
    m_landedSinceDraw = false;
}

bool TimeMachine::isQuitRequested() const {
    return m_manager.isQuitRequested();
}

bool TimeMachine::save(int slot) {
    if (m_level == nullptr || m_history.empty() || slot < 0 || slot >= kSlotCount) {
        return false;
    }
    // The newest moment is the level as the picture shows it: the snapshot after the last
    // update, before the draw that may have ended the ready phase.
    m_slots[static_cast<std::size_t>(slot)] = m_history.newest();
    m_slotUsed[static_cast<std::size_t>(slot)] = true;
    return true;
}

bool TimeMachine::putSlot(int slot, const Savestate& moment) {
    if (m_level == nullptr || slot < 0 || slot >= kSlotCount || moment.update < 0 ||
        !m_level->accepts(moment.level) || moment.dirX < Direction::kNone ||
        moment.dirX > Direction::kRight || moment.dirY < Direction::kNone ||
        moment.dirY > Direction::kRight) {
        return false;
    }
    m_slots[static_cast<std::size_t>(slot)] = moment;
    m_slotUsed[static_cast<std::size_t>(slot)] = true;
    return true;
}

bool TimeMachine::hasSlot(int slot) const {
    return slot >= 0 && slot < kSlotCount && m_slotUsed[static_cast<std::size_t>(slot)];
}

bool TimeMachine::restore(int slot, Controls& live) {
    if (m_level == nullptr || !hasSlot(slot)) {
        return false;
    }
    // The history from here on is the slot's past, which the history does not hold in
    // general (the slot may come from a run rewound since): it starts again at the slot.
    const Savestate moment = m_slots[static_cast<std::size_t>(slot)];
    m_history.clear();
    m_history.push(moment);
    land(moment, live);
    return true;
}

bool TimeMachine::stepBack(Controls& live) {
    if (m_level == nullptr || !m_history.stepBack()) {
        return false;
    }
    land(m_history.newest(), live);
    return true;
}

void TimeMachine::startRewinding() {
    m_rewinding = true;
}

void TimeMachine::stopRewinding(Controls& live) {
    const bool wasRewinding = isRewinding();
    m_rewinding = false;
    if (wasRewinding) {
        land(m_history.newest(), live);
    }
}

bool TimeMachine::reload(const Controls& live) {
    if (m_level == nullptr) {
        return false;
    }
    try {
        m_manager.reloadLevel();
    } catch (const LoadError& error) {
        m_reloadError = error.what();
        std::cerr << "kestrelix: " << m_reloadError << '\n';
        return false;
    }
    m_reloadError.clear();
    follow();
    // The new level stands where a level stands when it is switched to; its first update
    // comes with this frame and sees the directions of the last one as previous.
    capture(live.prevDirX, live.prevDirY);
    if (m_observer != nullptr) {
        m_observer->onReloaded(live);
    }
    return true;
}

void TimeMachine::follow() {
    if (m_manager.getStateSwitches() == m_switches) {
        return;
    }
    m_switches = m_manager.getStateSwitches();
    m_level = dynamic_cast<Level*>(m_manager.getCurrentState());
    if (m_level != nullptr && m_history.capacity() < m_historyCapacity) {
        m_history = RewindHistory(m_historyCapacity);
    }
    m_history.clear();
    m_slotUsed.fill(false);
    m_nextUpdate = 0;
    m_rewinding = false;
    m_landedSinceDraw = false;
}

void TimeMachine::capture(Direction::type dirX, Direction::type dirY) {
    Savestate& moment = m_history.append();
    moment.level = m_level->snapshot();
    moment.dirX = dirX;
    moment.dirY = dirY;
    moment.update = m_nextUpdate++;
}

void TimeMachine::land(const Savestate& moment, Controls& live) {
    m_level->restore(moment.level);
    m_landedSinceDraw = true;
    m_nextUpdate = moment.update + 1;
    live.prevDirX = static_cast<Direction::type>(moment.dirX);
    live.prevDirY = static_cast<Direction::type>(moment.dirY);
    // Keys held now act from the next update as if pressed at that moment.
    live.jumpPressed = live.jumpHeld;
    live.jumpReleased = false;
    live.shootPressed = live.shootHeld;
    live.shootReleased = false;
    if (m_observer != nullptr) {
        m_observer->onTimelineCut(moment.update);
    }
}
