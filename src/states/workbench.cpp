#include "states/workbench.h"

#include <unistd.h>

#include <ctime>
#include <iostream>

#include "config/datafolder.h"
#include "config/loaderror.h"
#include "states/datachecksum.h"
#include "states/gamestatemanager.h"
#include "states/level.h"
#include "states/savestatefile.h"

namespace {

using Id = GameStateManager::InitMessageId;

// The record of the first keyboard update after a take-over: the keyboard's keys and
// direction, reached from the script's last record by ordinary key edges, so the
// recording can say it and the keyboard's next frames follow it.
Controls takeOverRecord(const Controls& last, const Controls& keyboard) {
    Controls next = keyboard;
    next.prevDirX = last.dirX;
    next.prevDirY = last.dirY;
    if (next.jumpHeld != last.jumpHeld && !next.jumpPressed && !next.jumpReleased) {
        (next.jumpHeld ? next.jumpPressed : next.jumpReleased) = true;
    }
    if (next.shootHeld != last.shootHeld && !next.shootPressed && !next.shootReleased) {
        (next.shootHeld ? next.shootPressed : next.shootReleased) = true;
    }
    return next;
}

// A file name part without folders: a character file may be given as a path.
std::string namePart(const std::string& text) {
    const std::string base = std::filesystem::path(text).filename().string();
    return base.empty() ? "level" : base;
}

}  // namespace

Workbench::Workbench(GameStateManager& manager, Options options)
    : m_manager(manager), m_options(std::move(options)) {
    m_armed = !m_options.recordPath.empty();
    if (m_options.playPath.empty()) {
        return;
    }
    const std::string path = m_options.playPath.string();
    m_script = std::make_unique<InputScript>(InputScript::parseFile(path));
    const std::string level =
        m_script->level().empty() ? InputScript::kDefaultLevel : m_script->level();
    const std::string character =
        m_script->character().empty() ? InputScript::kDefaultCharacter : m_script->character();
    const std::string checksum = datachecksum::compute(level, character);
    if (!m_script->checksum().empty() && m_script->checksum() != checksum) {
        std::cerr << "kestrelix: warning: " << path << ": recorded against data with checksum "
                  << m_script->checksum() << ", the data here gives " << checksum
                  << "; the run may differ\n";
    }
    if (m_options.fromSlot > 0) {
        // Refused unless it belongs here: the same data, level and character, and the way
        // this script goes up to the slot's update, so the script can go on from there.
        m_slotPath = savestatefile::pathFor(path, m_options.fromSlot);
        savestatefile::Header header;
        m_fromMoment = savestatefile::read(m_slotPath, header);
        if (header.checksum != checksum) {
            throw LoadError(m_slotPath, "saved on data with checksum " + header.checksum +
                                            ", the data here gives " + checksum);
        }
        if (header.level != level || header.character != character) {
            throw LoadError(m_slotPath, "saved in " + header.level + " with " + header.character +
                                            ", the script plays " + level + " with " + character);
        }
        if (header.update > m_script->frameCount()) {
            throw LoadError(m_slotPath, "update " + std::to_string(header.update) +
                                            " is past the end of " + path + " (" +
                                            std::to_string(m_script->frameCount()) + " updates)");
        }
        if (header.input != savestatefile::hex(m_script->digestOf(header.update))) {
            throw LoadError(m_slotPath, "input " + header.input + " is not " + path +
                                            "'s up to update " + std::to_string(header.update) +
                                            " (the recording went another way since)");
        }
        m_fromPending = true;
    }
    m_manager.setInitMessage(Id::kLevel, level.c_str());
    m_manager.setInitMessage(Id::kVoltbot, character.c_str());
    m_manager.setNextState();
}

Workbench::~Workbench() {
    stopRecording();
}

bool Workbench::isRewinding() const {
    return m_machine != nullptr && m_machine->isRewinding();
}

void Workbench::stopRecording() {
    if (m_recorder.isRecording() && isRewinding()) {
        m_recorder.truncate(m_machine->history().newest().update);
    }
    m_recorder.stop();
}

void Workbench::onToolKey(ToolKey key, bool down) {
    switch (key) {
        case ToolKey::kFastForward:
            m_fastForward = down;
            break;
        case ToolKey::kSlowMotion:
            if (down) {
                m_slowMotion = !m_slowMotion;
            }
            break;
        case ToolKey::kRecord:
            if (!down) {
                break;
            }
            if (m_watching) {
                takeOver();
            } else if (m_recorder.isRecording()) {
                stopRecording();
                m_armed = false;
            } else {
                // A recording starts at a level's first frame, so that it replays from the
                // level's start: the level being played starts again.
                m_armed = true;
                if (m_inLevel) {
                    m_manager.setNextState();
                }
            }
            break;
    }
}

int Workbench::updatesThisFrame(bool stepping) {
    return m_fastForward && !stepping ? kFastForwardUpdates : 1;
}

bool Workbench::mayUpdate() {
    if (m_watching && m_watchedUpdates >= m_script->frameCount() && !isRewinding()) {
        // The script has ended: the game stays on its last frame until taken over (or
        // rewound).
        m_pauseRequest = true;
        return false;
    }
    return true;
}

Controls Workbench::input(const Controls& keyboard, int index) {
    if (isRewinding()) {
        // The time machine steps back instead of updating: the record is not used, and the
        // script stays where it is.
        return keyboard;
    }
    if (m_watching) {
        m_last = m_cursor->next();
        // The menu key still leaves the level.
        m_last.menuPressed = keyboard.menuPressed;
    } else if (m_takeOverPending) {
        m_last = takeOverRecord(m_last, keyboard);
        m_takeOverPending = false;
    } else if (index > 0) {
        // A fast-forwarded update sees what a frame without key events would.
        m_last = InputScript::steady(m_last);
    } else {
        m_last = keyboard;
    }
    return m_last;
}

void Workbench::afterUpdate(const Controls& used) {
    if (m_manager.getStateSwitches() != m_switches) {
        m_switches = m_manager.getStateSwitches();
        onStateSwitched(used);
        return;
    }
    if (used.menuPressed || isRewinding()) {
        // Leaving the level: nothing of it moved in this update, and the recording ends
        // with the switch in the next one, so this update is not part of the run. A
        // rewound frame stepped back instead of updating: not part of it either.
        return;
    }
    if (m_watching) {
        ++m_watchedUpdates;
        if (m_watchedUpdates == m_script->frameCount()) {
            m_pauseRequest = true;
        }
    }
    m_recorder.record(used);
}

void Workbench::onTimelineCut(int update) {
    if (m_recorder.isRecording()) {
        m_recorder.truncate(update);
    }
    if (m_watching) {
        // The script goes on from the update the level now stands at.
        m_cursor->seek(update);
        m_last = m_cursor->current();
        m_watchedUpdates = update;
    }
}

void Workbench::onSlotSaved(int slot, const Savestate& moment) {
    const auto index = static_cast<std::size_t>(slot);
    m_slotUpdates[index] = moment.update;
    m_slotOnScript[index] = m_watching;
    if (!m_recorder.isRecording()) {
        return;
    }
    const std::string path = savestatefile::pathFor(m_recorder.path(), slot + 1);
    // During a held rewind the recording still holds the updates stepped back over, so
    // the way to the moment is its first updates.
    m_recorder.keepPast(slot, moment.update);
    if (moment.update > m_recorder.updates()) {
        // Only in the update that leaves the level, which the recording does not hold.
        std::cerr << "kestrelix: " << path << ": not written, the level is being left\n";
        return;
    }
    savestatefile::Header header;
    header.level = m_manager.getInitMessage(Id::kLevel);
    header.character = m_manager.getInitMessage(Id::kVoltbot);
    header.checksum = datachecksum::compute(header.level, header.character);
    header.update = moment.update;
    header.input = savestatefile::hex(m_recorder.digestOf(moment.update));
    try {
        // The first save to a slot of this recording makes its file; later ones replace it.
        savestatefile::write(path, header, moment, m_slotFiles[index] == m_recorder.path());
        m_slotFiles[index] = m_recorder.path();
        std::cerr << "kestrelix: slot " << slot + 1 << " saved to " << path << '\n';
    } catch (const LoadError& error) {
        std::cerr << "kestrelix: " << error.what() << '\n';
    }
}

void Workbench::onSlotRestoring(int slot) {
    if (!m_recorder.isRecording() || m_recorder.returnToPast(slot)) {
        return;
    }
    // Not a state this recording has passed through (a slot taken before it started): it
    // could not replay what follows.
    std::cerr << "kestrelix: " << m_recorder.path() << ": slot " << slot + 1
              << " is not on the recorded way; the recording stops here\n";
    stopRecording();
}

void Workbench::startFromSlot() {
    m_fromPending = false;
    const int slot = m_options.fromSlot - 1;
    if (m_machine == nullptr || !m_machine->putSlot(slot, m_fromMoment)) {
        throw LoadError(m_slotPath, "does not fit the level " +
                                        std::string(m_manager.getInitMessage(Id::kLevel)));
    }
    m_slotUpdates[static_cast<std::size_t>(slot)] = m_fromMoment.update;
    m_slotOnScript[static_cast<std::size_t>(slot)] = true;
    // The keyboard's record is not used while watching; the script's cursor follows the
    // cut to the slot's update.
    Controls unused;
    m_machine->restore(slot, unused);
}

void Workbench::onReloaded(const Controls& live) {
    // The slots are gone with the old data.
    m_slotOnScript.fill(false);
    if (m_recorder.isRecording()) {
        const std::string level = m_manager.getInitMessage(GameStateManager::InitMessageId::kLevel);
        const std::string character =
            m_manager.getInitMessage(GameStateManager::InitMessageId::kVoltbot);
        m_recorder.continueInNextFile(datachecksum::compute(level, character), live);
    }
}

void Workbench::onStateSwitched(const Controls& used) {
    stopRecording();
    m_slotOnScript.fill(false);
    m_watching = false;
    m_takeOverPending = false;
    m_inLevel = dynamic_cast<Level*>(m_manager.getCurrentState()) != nullptr;
    if (!m_inLevel) {
        return;
    }
    if (m_script != nullptr && !m_watchedOnce) {
        // Watching begins with the script's own start record, whatever the keyboard holds.
        m_watchedOnce = true;
        m_watching = true;
        m_watchedUpdates = 0;
        m_cursor = std::make_unique<InputScript::Cursor>(*m_script);
        m_pauseRequest = m_script->frameCount() == 0;
        if (m_fromPending) {
            startFromSlot();
        }
        return;
    }
    if (m_armed) {
        startRecording(used);
    }
}

void Workbench::startRecording(const Controls& atStart) {
    const std::string level = m_manager.getInitMessage(Id::kLevel);
    const std::string character = m_manager.getInitMessage(Id::kVoltbot);
    m_recorder.start(recordingBase().string(), level, character,
                     datachecksum::compute(level, character), atStart);
}

std::filesystem::path Workbench::recordingFolder(const std::filesystem::path& startFolder) {
    // An installed game is often started from a folder the player cannot write (the
    // desktop's menu starts it in /): the recordings then go to the user's data folder.
    if (access(startFolder.c_str(), W_OK) == 0) {
        return startFolder;
    }
    std::filesystem::path userDir = DataFolder::userRecordingsDir();
    std::error_code error;
    if (!userDir.empty() && (std::filesystem::create_directories(userDir, error) || !error)) {
        return userDir;
    }
    return startFolder;
}

std::filesystem::path Workbench::recordingBase() {
    if (!m_options.recordPath.empty()) {
        return m_options.recordPath;
    }
    // Named once per level and character in a run: the next recording of the same pair is
    // numbered beside the first instead of getting a name of its own.
    const std::string level = namePart(m_manager.getInitMessage(Id::kLevel));
    const std::string character = namePart(m_manager.getInitMessage(Id::kVoltbot));
    const std::string pair = level + "-" + character;
    if (pair != m_autoPair) {
        const std::time_t now = std::time(nullptr);
        char stamp[32] = "time";
        if (const std::tm* local = std::localtime(&now)) {
            std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
        }
        m_autoPair = pair;
        m_autoBase = recordingFolder(m_options.startFolder) / (pair + "-" + stamp + ".txt");
    }
    return m_autoBase;
}

void Workbench::takeOver() {
    // The recording holds the script's updates so far, then the keyboard's: the run can be
    // improved from any point of it.
    m_watching = false;
    m_takeOverPending = true;
    m_pauseRequest = false;
    InputScript::Cursor replayed(*m_script);
    Controls atStart;
    for (InputScript::Key key : m_script->heldAtStart()) {
        atStart.press(key);
    }
    startRecording(atStart);
    for (int update = 0; update < m_watchedUpdates; ++update) {
        m_recorder.record(replayed.next());
    }
    // The slots saved while watching lie on the script's way.
    for (int slot = 0; slot < TimeMachine::kSlotCount; ++slot) {
        if (m_slotOnScript[static_cast<std::size_t>(slot)]) {
            m_recorder.keepPast(slot, *m_script, m_slotUpdates[static_cast<std::size_t>(slot)]);
        }
    }
}

bool Workbench::takePauseRequest() {
    const bool request = m_pauseRequest;
    m_pauseRequest = false;
    return request;
}

const char* Workbench::titleChange(bool paused) {
    const int key = (paused ? 1 : 0) | (m_recorder.isRecording() ? 2 : 0) | (m_watching ? 4 : 0) |
                    (m_fastForward ? 8 : 0) | (m_slowMotion ? 16 : 0);
    // A new numbered file while recording changes the title too.
    if (key == m_titleKey && (!m_recorder.isRecording() || m_titledPath == m_recorder.path())) {
        return nullptr;
    }
    m_titleKey = key;
    m_titledPath = m_recorder.path();
    m_title = "Kestrelix";
    if (m_recorder.isRecording()) {
        m_title += " - recording " + std::filesystem::path(m_recorder.path()).filename().string();
    }
    if (m_watching) {
        m_title += " - watching " + m_options.playPath.filename().string();
        if (m_options.fromSlot > 0) {
            m_title += " from slot " + std::to_string(m_options.fromSlot);
        }
    }
    if (m_fastForward) {
        m_title += " - \u00d74";
    }
    if (m_slowMotion) {
        m_title += " - \u00d71/4";
    }
    if (paused) {
        m_title += " - paused";
    }
    return m_title.c_str();
}
