#include "engine/settings.h"

#include <string>

#include "config/datafolder.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"

int Settings::readPixelMultiplier() {
    return pixelMultiplierOf(DataFolder::readSettings());
}

int Settings::pixelMultiplierOf(const IniDictionary& settings) {
    const int multiplier = settings.getIntValue("pixelMultiplier", "Video", 1);
    if (multiplier < 1 || multiplier > kMaxPixelMultiplier) {
        throw LoadError(settings.pathOf("pixelMultiplier", "Video"),
                        settings.describe("pixelMultiplier", "Video") +
                            " is not a whole number from 1 to " +
                            std::to_string(kMaxPixelMultiplier));
    }
    return multiplier;
}
