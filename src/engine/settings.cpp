#include "engine/settings.h"

#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"

int Settings::readPixelMultiplier(const char* path) {
    const IniDictionary settings(path);
    const int multiplier = settings.getIntValue("pixelMultiplier", "Video", 1);
    if (multiplier < 1 || multiplier > kMaxPixelMultiplier) {
        throw LoadError(settings.path(), settings.describe("pixelMultiplier", "Video") +
                                             " is not a whole number from 1 to " +
                                             std::to_string(kMaxPixelMultiplier));
    }
    return multiplier;
}
