#pragma once

// The keys of the tuner's tools, which the game's own key map leaves free. The engine
// turns their SDL events into these and hands them to one listener beside the game; they
// never reach the input record, so a recording or a replay cannot tell they were pressed.
enum class ToolKey {
    kRecord,       // F9: start or stop recording; while watching, take over
    kFastForward,  // F6, held: several updates per presented frame
    kSlowMotion,   // F7: slow motion on or off
};

class ToolKeyListener {
  public:
    virtual ~ToolKeyListener() = default;
    virtual void onToolKey(ToolKey key, bool down) = 0;
};
