#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/controls.h"

class InputScript;

// Writes what is played into an input script that kestrelix-replay reads and that the game
// watches: a header (level, character, data checksum, keys held at the level's start) and
// one span line per run of identical input records. It observes the input record once per
// update and never changes it. The spans of the recording stay in a buffer reserved when
// the first recording starts (kMaxSpans, 32 bytes each: 2 MB), so a recording can be cut
// back to any update; the file is appended to only when a span ends, through a stdio
// buffer made at the same time. Nothing is allocated per update. Files are never
// overwritten: a name already taken gets the next number ("run.txt", "run-2.txt", ...).
class Recorder {
  public:
    // Slots whose way back is kept: the time machine's four.
    static constexpr int kPastSlots = 4;

    // A recording that changes its input more often than this stops there (the file
    // keeps what was recorded): at one change per update that is 18 minutes.
    static constexpr int kMaxSpans = 65536;

    Recorder() = default;
    ~Recorder();

    // Starts a recording of a level in its switch frame (no update yet). The file is the
    // first free one of `base`, `base` numbered 2, 3, ...; the previous file's number
    // goes on when the base is the same. `atStart` is the input record of the switch
    // frame. Returns false (with one line on stderr) when no file can be created.
    bool start(const std::string& base, const std::string& level, const std::string& character,
               const std::string& checksum, const Controls& atStart);
    // Observes the record one update was given.
    void record(const Controls& controls);
    // Writes the last span and closes the file; reports the count on stderr.
    void stop();
    // Keeps the first `updates` updates and forgets the rest, so the file replays the run
    // as it stands after a restore or rewind to that update.
    void truncate(int updates);
    // Keeps a copy of the first `updates` updates, the way to a savestate saved in `slot`
    // (none, when more than the recorded updates), so that going back to that slot later
    // can put them back even after the recording was cut below it. Made on the save key,
    // never per update: each copy is at most kMaxSpans spans (2 MB), allocated then.
    void keepPast(int slot, int updates);
    // The same, for a way the recording did not make itself: the first `updates` records
    // of a watched script (a savestate taken while watching, before a take-over).
    void keepPast(int slot, const InputScript& script, int updates);
    // Makes the recording the kept way to `slot` again (the file is written again);
    // false, with nothing changed, when there is none.
    bool returnToPast(int slot);
    // The fingerprint (InputScript::digest) of the first `updates` records.
    std::uint64_t digestOf(int updates) const;

    // Ends this file and goes on in the next numbered one, for a level that restarts on
    // new data (a reload): a new header with the new checksum and start record.
    bool continueInNextFile(const std::string& checksum, const Controls& atStart);

    bool isRecording() const { return m_file != nullptr; }
    // The file being written (or last written), as opened.
    const std::string& path() const { return m_path; }
    // Updates recorded so far in the current file.
    int updates() const { return m_updates; }
    // Updates whose record no span could say; 0 unless the input broke the key rules.
    int unwritable() const { return m_unwritable; }

    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

  private:
    struct Span {
        int frames = 0;
        Controls first;
    };

    // A span of the record `controls` after `spans` (grown by one frame when it repeats);
    // false when `spans` holds kMaxSpans already.
    static bool append(std::vector<Span>& spans, const Controls& controls);
    // Writes the file again from the buffer, after the buffer was cut or replaced.
    void rewrite();
    bool openNextFile();
    void writeHeader();
    // Writes span i of the buffer (it follows span i - 1, or the start record).
    void writeSpan(std::size_t index);
    void closeFile();

    std::FILE* m_file = nullptr;
    std::string m_base;
    std::string m_path;
    int m_number = 0;
    std::string m_level;
    std::string m_character;
    std::string m_checksum;
    Controls m_atStart;
    std::vector<Span> m_spans;
    std::vector<char> m_fileBuffer;
    int m_updates = 0;
    int m_unwritable = 0;
    // The ways to the slots (keepPast); -1 updates: none.
    std::array<std::vector<Span>, kPastSlots> m_pasts;
    std::array<int, kPastSlots> m_pastUpdates{-1, -1, -1, -1};
};
