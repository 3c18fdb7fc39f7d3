#include "sweeprun.h"

#include "replaysession.h"
#include "tracewriter.h"

RunEvents::Measures measureRun(const std::string& level, const std::string& characterPath,
                               const InputScript& script, int frames) {
    ReplaySession session(level, characterPath);
    RunEvents events;
    events.observe(tracewriter::sample(0, session.level()));
    InputScript::Cursor input(script);
    for (int frame = 1; frame <= frames; ++frame) {
        session.advance(input.next());
        events.observe(tracewriter::sample(session.frame(), session.level()));
    }
    events.finish();
    return events.measures();
}
