#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/controls.h"
#include "engine/toolkeys.h"
#include "states/inputscript.h"
#include "states/recorder.h"
#include "states/timemachine.h"

class GameStateManager;

// The tuner's tools beside the game: recording what is played, watching a recorded script,
// taking over from it, fast-forward and slow motion. It sits between the keyboard's input
// record and the state manager, in the main loop, and observes the manager's state
// switches; the game's own code does not know it exists. Whatever it does, every update
// gets an input record the engine's key rules could have made, and the recording holds
// exactly the records the updates were given, so replaying it repeats the run. Nothing is
// allocated per frame (the title is built when the mode changes).
class Workbench : public ToolKeyListener, public TimeMachine::Observer {
  public:
    static constexpr int kFastForwardUpdates = 4;
    static constexpr int kSlowMotionFactor = 4;

    struct Options {
        // --record: every level played goes to this file (numbered from the second on).
        std::filesystem::path recordPath;
        // --play: the script to watch; the game starts in its level.
        std::filesystem::path playPath;
        // Where recordings without --record are written: the folder the game started in.
        std::filesystem::path startFolder;
        // --from-slot: with --play, start from this slot's file (1 to 4) of the script.
        int fromSlot = 0;
    };

    // Reads the script to watch (a LoadError if it is broken; a warning on stderr if the
    // data's checksum differs) and has the manager switch to its level at the first update.
    // With fromSlot, also reads that slot's file: a LoadError unless it was saved on this
    // data, in this level, on the way this script goes (savestatefile::Header).
    Workbench(GameStateManager& manager, Options options);
    // Ends a recording in progress where the level stands.
    ~Workbench() override;

    // The time machine the workbench observes (not owned, outlives the workbench; null:
    // none). It must be given
    // for --from-slot, and so that the updates a held rewind steps back are neither
    // recorded nor taken from a watched script.
    void setTimeMachine(TimeMachine* machine) { m_machine = machine; }

    void onToolKey(ToolKey key, bool down) override;
    // A restore or rewind cuts the recording back, so it always replays the run as it
    // stands; a reload goes on in the next numbered file, with the new data's checksum.
    void onTimelineCut(int update) override;
    void onReloaded(const Controls& live) override;
    // While recording, a save also writes the slot beside the recording
    // (savestatefile::pathFor) and keeps the way to it, which a restore puts back.
    void onSlotSaved(int slot, const Savestate& moment) override;
    void onSlotRestoring(int slot) override;

    // The main loop's questions, in the order it asks them each frame.
    int updatesThisFrame(bool stepping);
    bool mayUpdate();
    Controls input(const Controls& keyboard, int index);
    void afterUpdate(const Controls& used);
    bool takePauseRequest();
    // The window title when it changed since the last call, otherwise nullptr.
    const char* titleChange(bool paused);
    int slowdown() const { return m_slowMotion ? kSlowMotionFactor : 1; }
    static constexpr bool kSteersEngine = true;

    // Writes the last span and closes the recording; a recording stopped during a held
    // rewind first goes back to where the rewind stands.
    void stopRecording();

    bool isWatching() const { return m_watching; }
    bool isFastForwarding() const { return m_fastForward; }
    Recorder& recorder() { return m_recorder; }
    // Where recordings started by the key go: the start folder when it can be written,
    // else $XDG_DATA_HOME/kestrelix/recordings (made when missing).
    static std::filesystem::path recordingFolder(const std::filesystem::path& startFolder);

    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

  private:
    void onStateSwitched(const Controls& used);
    void startRecording(const Controls& atStart);
    void takeOver();
    std::filesystem::path recordingBase();
    bool isRewinding() const;
    // Puts the level to the --from-slot state at the start of watching.
    void startFromSlot();

    GameStateManager& m_manager;
    TimeMachine* m_machine = nullptr;
    Options m_options;
    std::unique_ptr<InputScript> m_script;
    std::unique_ptr<InputScript::Cursor> m_cursor;
    Recorder m_recorder;
    int m_switches = 0;
    bool m_inLevel = false;
    bool m_armed = false;
    bool m_watching = false;
    bool m_watchedOnce = false;
    int m_watchedUpdates = 0;
    bool m_takeOverPending = false;
    bool m_pauseRequest = false;
    bool m_fastForward = false;
    bool m_slowMotion = false;
    Controls m_last;
    // The --from-slot state and its file, until watching starts from it.
    std::string m_slotPath;
    Savestate m_fromMoment{};
    bool m_fromPending = false;
    // Per slot: the update saved at, and whether the way to it is the watched script's.
    std::array<int, TimeMachine::kSlotCount> m_slotUpdates{};
    std::array<bool, TimeMachine::kSlotCount> m_slotOnScript{};
    // The recording each slot's file was last written for: a later save replaces it.
    std::array<std::string, TimeMachine::kSlotCount> m_slotFiles;
    std::string m_autoPair;
    std::filesystem::path m_autoBase;
    // What the title shows; rebuilt only when one of these changes.
    int m_titleKey = -1;
    std::string m_titledPath;
    std::string m_title;
};
