#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "engine/controls.h"

// A replay's input: held-key spans, one per line ("30 right", "1 right jump", "40 -"),
// optionally preceded by header lines naming the level, the character file, the checksum
// of the data the script was recorded against and the keys already held when the level
// starts. The spans are turned into one Controls record per update frame with exactly the
// engine's key rules, so a replay sees the same press, release and direction edges a
// player holding those keys would produce. Two marks on a span's first frame say what
// held keys alone cannot: "+jump" (pressed again although held before) and "^jump"
// (pressed and released within that frame). Any record sequence the engine can produce
// has a script; formatSpan writes it without allocating.
class InputScript {
  public:
    // The six keys a script can hold, named as in the script.
    using Key = Controls::Key;

    struct Span {
        int frames = 0;
        // Keys held during the span, in the order written: when two new keys of one axis
        // go down at the same span boundary, the one written last counts as pressed last.
        std::vector<Key> keys;
        // Keys of `keys` written "+key": pressed in the span's first frame even if held.
        std::vector<Key> pressedAgain;
        // Keys written "^key": pressed and released inside the span's first frame.
        std::vector<Key> tapped;
        int line = 0;
    };

    // The longest line formatSpan writes: a count, six keys with marks, a comment.
    static constexpr int kMaxLineLength = 80;

    // A span longer than this is surely a typo; it would also be an hour of play.
    static constexpr int kMaxSpanFrames = 216000;
    // All spans together: at most ten hours at 60 frames per second.
    static constexpr long long kMaxTotalFrames = 2160000;

    // What a script without a "level" or "character" line was recorded on: the game's
    // first level and character.
    static constexpr const char* kDefaultLevel = "Sablex";
    static constexpr const char* kDefaultCharacter = "voltbot1";

    // Reads a script; a malformed line throws LoadError("<name>:<line>", problem).
    static InputScript parse(std::istream& in, const std::string& name);
    static InputScript parseFile(const std::string& path);

    const std::string& level() const { return m_level; }
    const std::string& character() const { return m_character; }
    const std::string& checksum() const { return m_checksum; }
    // Keys held when the level starts, in the order they went down ("held" header line).
    const std::vector<Key>& heldAtStart() const { return m_heldAtStart; }
    const std::vector<Span>& spans() const { return m_spans; }
    // Update frames the spans cover.
    int frameCount() const { return m_frameCount; }

    // Walks the spans one update frame at a time, so a long replay needs no memory per
    // frame. Past the last span nothing is held (the keys still held are released in the
    // first frame after it). The script must outlive the cursor.
    class Cursor {
      public:
        // Where a cursor stands, to be taken back to later (savestates of a run fed by
        // a script): a plain value, so keeping one allocates nothing.
        struct Position {
            std::int32_t span;
            std::int32_t leftInSpan;
            Controls last;
        };

        explicit Cursor(const InputScript& script);
        // The record of the next update frame (the first call gives frame 1).
        Controls next();
        // Goes back to the start, then on past `updates` update frames, so that next()
        // gives frame updates + 1: where a run put back to that update continues. Whole
        // spans are skipped in one step; nothing is allocated.
        void seek(int updates);
        // The record of the frame last given (the start record before the first).
        const Controls& current() const { return m_controls; }
        Position position() const;
        // Back (or on) to a position a cursor of the same script stood at.
        void seek(const Position& position);

      private:
        const InputScript& m_script;
        std::vector<Span>::const_iterator m_span;
        int m_leftInSpan = 0;
        Controls m_controls;
    };

    // One record per update frame: element 0 is frame 1.
    std::vector<Controls> toControls(int frames) const;

    // A fingerprint of a sequence of input records (FNV-1a over each record's fields),
    // so a savestate can say which input led to it: start with kDigestSeed and fold in
    // the records in order.
    static constexpr std::uint64_t kDigestSeed = 14695981039346656037ULL;
    static std::uint64_t digest(std::uint64_t hash, const Controls& record);
    // The fingerprint of this script's first `frames` records.
    std::uint64_t digestOf(int frames) const;

    static const char* keyName(Key key);

    // Writes the "held" header line for the record the level starts with, or nothing
    // when no key is held; returns the length written (with its line break).
    static int formatHeld(char* out, const Controls& atStart);
    // Writes the span line of `frames` updates whose first record is `first`, following
    // `before` (the record of the update before, or the level's start record), with its
    // line break. Returns the length, or -1 when no span can say that record (it cannot
    // follow `before` by key events); out holds kMaxLineLength + 1 characters.
    static int formatSpan(char* out, const Controls& before, const Controls& first, int frames);
    // The record a span's first frame gives after `before`, as a replay derives it.
    static Controls firstFrame(const Controls& before, const Span& span);
    // The record every later frame of a span repeats: no edges, directions unchanged.
    static Controls steady(const Controls& first);

  private:
    std::string m_level;
    std::string m_character;
    std::string m_checksum;
    std::vector<Key> m_heldAtStart;
    std::vector<Span> m_spans;
    int m_frameCount = 0;
};
