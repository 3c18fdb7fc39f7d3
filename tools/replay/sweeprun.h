#pragma once

#include <string>

#include "runevents.h"
#include "states/inputscript.h"

// One run of a sweep: the level loaded with the character file, the script played for
// the given frames headless, nothing drawn, no row written; only its outcome is kept.
// Needs a video service installed (NullVideo: loads read only picture headers).
RunEvents::Measures measureRun(const std::string& level, const std::string& characterPath,
                               const InputScript& script, int frames);
