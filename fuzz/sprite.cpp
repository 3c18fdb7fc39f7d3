// A sprite description read from arbitrary INI text. A description that loads must keep
// the animation state in range however it is driven, draw only from its own sheets, and
// release every sheet; a refused one must say why and leave nothing loaded.

#include <cstdint>
#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "fuzzsupport.h"
#include "gfx/sprite.h"

namespace {

int framesOf(const IniDictionary& dictionary, int animation) {
    const std::string section = "Animation" + std::to_string(animation);
    return dictionary.getIntValue("nFrames", section.c_str(), 0);
}

void checkState(const Sprite& sprite, const IniDictionary& dictionary) {
    const int amount = sprite.getAnimationsAmount();
    if (amount != dictionary.getIntValue("amount", "Animations", 0) ||
        sprite.getSpritesheetsAmount() != dictionary.getIntValue("amount", "Spritesheets", 0)) {
        fuzz::trap("the sprite's amounts differ from its description");
    }
    if (amount == 0) {
        return;
    }
    const int index = sprite.getCurrentAnimationIndex();
    if (index < 0 || index >= amount) {
        fuzz::trap("current animation " + std::to_string(index) + " outside 0.." +
                   std::to_string(amount - 1));
    }
    const int frame = sprite.getCurrentAnimationFrame();
    if (frame < 0 || frame >= framesOf(dictionary, index)) {
        fuzz::trap("frame " + std::to_string(frame) + " outside animation " +
                   std::to_string(index));
    }
    if (sprite.getCurrentAnimationFrameDuration() < 0) {
        fuzz::trap("negative frame counter");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::workDir();
    fuzz::writeFile("sprite.ini", data, size);
    fuzz::CheckingVideo video;
    const ScopedVideo provided(&video);
    const IniDictionary dictionary("sprite.ini");
    try {
        Sprite sprite(const_cast<IniDictionary&>(dictionary));
        checkState(sprite, dictionary);
        const int sheets = sprite.getSpritesheetsAmount();
        // A walk through the animations in both orders, with indices in and out of range.
        const int wanted[] = {0, 1, -1, sprite.getAnimationsAmount(), 9, 2, 0x7FFFFFFF, 1};
        for (int step = 0; step < 64; ++step) {
            if (step % 8 == 0) {
                sprite.setCurrentAnimationIndex(wanted[(step / 8) % 8]);
            }
            if (step == 20) {
                sprite.setForwardBackwardAnimationOrder();
            }
            if (step % 13 == 0) {
                sprite.resetCurrentAnimationFrameDuration();
            }
            sprite.update();
            checkState(sprite, dictionary);
            sprite.draw(step * 3 - 50, 100 - step, step % (sheets + 2) - 1);
        }
    } catch (const LoadError& error) {
        fuzz::checkRefusal(error);
    }
    if (video.liveBitmaps() != 0) {
        fuzz::trap("sheets were not released");
    }
    return 0;
}
