#include "states/timemachine.h"

#include <iostream>
#include <memory>

#include "config/loaderror.h"
#include "states/gamestatemanager.h"
#include "states/ghost.h"
#include "states/level.h"

TimeMachine::TimeMachine(GameStateManager& manager, int historyCapacity)
    : m_manager(manager), m_historyCapacity(historyCapacity) {}

void TimeMachine::update(Controls controls) {
    if (isRewinding()) {
        if (m_history.stepBack()) {
            m_level->restore(m_history.newest().level);
            putGhostBack(m_history.newestGhost());
        }
        return;
    }
    if (m_landedSinceDraw) {
        m_level->endReadyPhaseIfDue();
        if (Ghost* ghost = m_manager.getGhost()) {
            ghost->level().endReadyPhaseIfDue();
        }
        m_landedSinceDraw = false;
    }
    m_manager.update(controls);
    follow();
    if (m_level != nullptr) {
        capture(controls);
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
    const auto index = static_cast<std::size_t>(slot);
    m_slots[index] = m_history.newest();
    m_slotUsed[index] = true;
    const Ghost::Snapshot* ghost = m_history.newestGhost();
    m_ghostSlotUsed[index] = ghost != nullptr && m_manager.getGhost() != nullptr;
    if (m_ghostSlotUsed[index]) {
        m_ghostSlots[index] = *ghost;
    }
    if (m_observer != nullptr) {
        m_observer->onSlotSaved(slot, m_slots[index]);
    }
    return true;
}

bool TimeMachine::putSlot(int slot, const Savestate& moment) {
    if (m_level == nullptr || slot < 0 || slot >= kSlotCount || moment.update < 0 ||
        !m_level->accepts(moment.level) || moment.dirX < Direction::kNone ||
        moment.dirX > Direction::kRight || moment.dirY < Direction::kNone ||
        moment.dirY > Direction::kRight || moment.held < 0 || moment.held > 3) {
        return false;
    }
    m_slots[static_cast<std::size_t>(slot)] = moment;
    m_slotUsed[static_cast<std::size_t>(slot)] = true;
    m_ghostSlotUsed[static_cast<std::size_t>(slot)] = false;
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
    const auto index = static_cast<std::size_t>(slot);
    const Savestate moment = m_slots[index];
    const Ghost::Snapshot* ghost = m_ghostSlotUsed[index] ? &m_ghostSlots[index] : nullptr;
    if (m_observer != nullptr) {
        m_observer->onSlotRestoring(slot);
    }
    m_history.clear();
    m_history.push(moment);
    land(moment, ghost, live);
    // The history's first moment holds the ghost as it now stands.
    if (Ghost::Snapshot* kept = m_history.newestGhost(); kept && m_manager.getGhost()) {
        *kept = m_manager.getGhost()->snapshot();
    }
    return true;
}

bool TimeMachine::stepBack(Controls& live) {
    if (m_level == nullptr || !m_history.stepBack()) {
        return false;
    }
    land(m_history.newest(), m_history.newestGhost(), live);
    return true;
}

void TimeMachine::startRewinding() {
    m_rewinding = true;
}

void TimeMachine::stopRewinding(Controls& live) {
    const bool wasRewinding = isRewinding();
    m_rewinding = false;
    if (wasRewinding) {
        land(m_history.newest(), m_history.newestGhost(), live);
    }
}

bool TimeMachine::reload(const Controls& live) {
    if (m_level == nullptr) {
        return false;
    }
    std::string ghostError;
    try {
        ghostError = m_manager.reloadLevel();
    } catch (const LoadError& error) {
        m_reloadError = error.what();
        std::cerr << "kestrelix: " << m_reloadError << '\n';
        return false;
    }
    // The level runs on its new data; a ghost that did not load again runs on its old
    // data, which is worth the same warning as a level that did not.
    m_reloadError = ghostError.empty() ? ghostError : "ghost: " + ghostError;
    if (!ghostError.empty()) {
        std::cerr << "kestrelix: " << ghostError << " (the ghost keeps its old data)\n";
    }
    follow();
    // The new level stands where a level stands when it is switched to; its first update
    // comes with this frame and sees the directions of the last one as previous.
    Controls before = live;
    before.dirX = live.prevDirX;
    before.dirY = live.prevDirY;
    capture(before);
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
    const bool ghost = m_manager.getGhost() != nullptr;
    if (m_level != nullptr &&
        (m_history.capacity() < m_historyCapacity || (ghost && !m_history.hasGhost()))) {
        m_history = RewindHistory(m_historyCapacity, ghost || m_history.hasGhost());
    }
    m_history.clear();
    m_slotUsed.fill(false);
    m_ghostSlotUsed.fill(false);
    m_nextUpdate = 0;
    m_rewinding = false;
    m_landedSinceDraw = false;
}

void TimeMachine::capture(const Controls& record) {
    Savestate& moment = m_history.append();
    moment.level = m_level->snapshot();
    moment.dirX = record.dirX;
    moment.dirY = record.dirY;
    moment.held = (record.jumpHeld ? 1 : 0) | (record.shootHeld ? 2 : 0);
    moment.update = m_nextUpdate++;
    Ghost::Snapshot* ghostMoment = m_history.newestGhost();
    if (const Ghost* ghost = m_manager.getGhost(); ghost != nullptr && ghostMoment != nullptr) {
        *ghostMoment = ghost->snapshot();
    }
}

void TimeMachine::putGhostBack(const Ghost::Snapshot* moment) {
    Ghost* ghost = m_manager.getGhost();
    if (ghost == nullptr) {
        return;
    }
    if (moment != nullptr) {
        ghost->restore(*moment);
    } else {
        ghost->restart();
    }
}

void TimeMachine::land(const Savestate& moment, const Ghost::Snapshot* ghost, Controls& live) {
    m_level->restore(moment.level);
    putGhostBack(ghost);
    m_landedSinceDraw = true;
    m_nextUpdate = moment.update + 1;
    live.prevDirX = static_cast<Direction::type>(moment.dirX);
    live.prevDirY = static_cast<Direction::type>(moment.dirY);
    // Keys held now act from the next update as if pressed at that moment, and keys held
    // then and let go since as if released: the next update follows the moment's own
    // record by the key rules, which a recording cut back to it can say.
    live.jumpPressed = live.jumpHeld;
    live.jumpReleased = (moment.held & 1) != 0 && !live.jumpHeld;
    live.shootPressed = live.shootHeld;
    live.shootReleased = (moment.held & 2) != 0 && !live.shootHeld;
    if (m_observer != nullptr) {
        m_observer->onTimelineCut(moment.update);
    }
}
