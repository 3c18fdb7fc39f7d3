#include "sweeprun.h"

#include "states/level.h"
#include "tracewriter.h"

RunEvents::Measures measureRun(const std::string& level, const std::string& characterPath,
                               const InputScript& script, int frames) {
    // A level of its own, as a ghost runs one: no state manager (and so no menu to load)
    // and no draw. The one thing a draw decides, the end of the ready phase, is taken
    // where the draw would take it, so every frame's state is the replay's.
    Level run(level, characterPath);
    run.endReadyPhaseIfDue();
    RunEvents events;
    events.observe(tracewriter::sample(0, run));
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= frames; ++frame) {
        run.update(input.next());
        run.endReadyPhaseIfDue();
        events.observe(tracewriter::sample(frame, run));
    }
    events.finish();
    return events.measures();
}
