#pragma once

#include <array>
#include <string>

#include "engine/controls.h"
#include "states/rewindhistory.h"
#include "states/savestate.h"

class GameStateManager;
class Level;

// Savestates, rewind and hot reload for the level being played, kept beside the game: it
// stands between the main loop and the state manager, passes every update and draw on,
// and keeps a snapshot of the level after each update. On request it puts the level back
// to one of them; the level's own frame code knows nothing of it.
//
// Guarantees: a level put back to a moment continues exactly as it did from there with the
// same input, and draws the picture it drew then. The history is one buffer, allocated
// when the first level loads (RewindHistory::kCapacity moments, about 1.7 MB; the first
// level with a ghost makes it again with room for the ghost's moments, about 3.5 MB), and
// the four slots are members; an update allocates nothing. Savestates and history belong
// to the level's data: a new level or a reload drops them. A level's ghost goes back with
// it: each moment and slot keeps the ghost's state beside the level's. A slot filled from
// elsewhere (putSlot) has none; restoring it starts the ghost again from its beginning.
class TimeMachine {
  public:
    static constexpr int kSlotCount = 4;

    // Told when the level's timeline changes under it, so that a recording can follow:
    // cut back to the update the level now stands at, or go on in a new file after a
    // reload.
    class Observer {
      public:
        virtual ~Observer() = default;
        // The level stands at the end of update `update` (0: the level's first moment);
        // every later update is undone.
        virtual void onTimelineCut(int update) = 0;
        // The level was loaded again from its files and stands at its first moment.
        virtual void onReloaded(const Controls& live) = 0;
        // The save key put `moment` into `slot` (not a slot filled from a file).
        virtual void onSlotSaved(int /*slot*/, const Savestate& /*moment*/) {}
        // `slot` is about to be restored; onTimelineCut at its update follows.
        virtual void onSlotRestoring(int /*slot*/) {}
    };

    explicit TimeMachine(GameStateManager& manager, int historyCapacity = RewindHistory::kCapacity);
    TimeMachine(const TimeMachine&) = delete;
    TimeMachine& operator=(const TimeMachine&) = delete;

    // The main loop's calls. While rewinding, an update steps one moment back instead.
    void update(Controls controls);
    void draw();
    bool isQuitRequested() const;

    // The commands. Each is false, with nothing changed, when there is no level or nothing
    // to go back to. A command that puts the level back also sets the live input record:
    // its previous-frame directions become the moment's, the jump and shoot keys held
    // now count as pressed in the next update, and those held at the moment but not now
    // as released.
    bool save(int slot);
    // Fills a slot from elsewhere (a savestate file); false, with nothing changed, when the
    // moment does not fit the running level's data.
    bool putSlot(int slot, const Savestate& moment);
    bool restore(int slot, Controls& live);
    bool stepBack(Controls& live);
    void startRewinding();
    void stopRewinding(Controls& live);
    // Loads the level again from its files and starts it at its ready phase. A file that
    // no longer loads leaves the running level as it was; the error is kept (and written
    // to stderr) until the next reload succeeds.
    bool reload(const Controls& live);

    // Not owned; null (the default) tells no one.
    void setObserver(Observer* observer) { m_observer = observer; }

    bool isRewinding() const { return m_rewinding && m_level != nullptr; }
    bool hasSlot(int slot) const;
    const Savestate& slot(int slot) const { return m_slots[static_cast<std::size_t>(slot)]; }
    const std::string& reloadError() const { return m_reloadError; }
    Level* level() const { return m_level; }
    const RewindHistory& history() const { return m_history; }

  private:
    // Notices a new state from the manager; a new level starts a new history.
    void follow();
    // Takes the level's moment after an update given `record` (its directions and held
    // jump and shoot keys carry into the next update).
    void capture(const Controls& record);
    // Puts the level, its ghost and the live input record back to a moment; ghost is the
    // ghost's part of it (null: the ghost starts again).
    void land(const Savestate& moment, const Ghost::Snapshot* ghost, Controls& live);
    void putGhostBack(const Ghost::Snapshot* moment);

    GameStateManager& m_manager;
    Observer* m_observer = nullptr;
    // The manager's switch count when the current state was last looked at; -1 before.
    int m_switches = -1;
    Level* m_level = nullptr;
    int m_historyCapacity;
    RewindHistory m_history{0};
    std::array<Savestate, kSlotCount> m_slots{};
    std::array<bool, kSlotCount> m_slotUsed{};
    // The ghost's state at each slot's moment, where the slot was saved with one.
    std::array<Ghost::Snapshot, kSlotCount> m_ghostSlots{};
    std::array<bool, kSlotCount> m_ghostSlotUsed{};
    int m_nextUpdate = 0;
    bool m_rewinding = false;
    // Moments are taken before the draw, so a level put back to one has not yet had that
    // draw's say on the ready phase; the next update gives it first.
    bool m_landedSinceDraw = false;
    std::string m_reloadError;
};
