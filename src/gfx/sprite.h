#pragma once

#include <cstdint>
#include <vector>

#include "engine/rect.h"
#include "engine/videoservice.h"

class IniDictionary;

// The animated picture of an actor, built from a sprite description (sections
// "Spritesheets", "Sprites", "Animations", "Animation<a>") inside the actor's INI file.
// Pictures stand in one column at x 0 of every sheet; the sheets are alternative images
// of the same pictures. A description that breaks the limits (an amount out of range, an
// animation without frames, a sprite index out of range) is refused with LoadError when
// it is read, so update and draw never leave their arrays.
class Sprite {
  public:
    // The animation position: everything update and the setters change. Plain 32-bit
    // fields only, so any copy of it is a complete, comparable value.
    struct Snapshot {
        std::int32_t animationIndex;
        std::int32_t frame;
        std::int32_t frameDuration;
        std::int32_t forwardBackwardStep;
        std::int32_t forwardBackwardOrder;  // 1 while update plays back and forth
    };

    explicit Sprite(IniDictionary& dictionary);
    ~Sprite();
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    void update();
    // Draws the current picture from the given sheet at (x + xOffset, y + yOffset).
    // A sheet index outside the sheets draws nothing.
    void draw(int x, int y, int sheetIndex);
    // The same, blended at the given opacity (255: opaque, drawn exactly like draw).
    void draw(int x, int y, int sheetIndex, std::uint8_t alpha);
    // Switches and restarts in the forward order; does nothing for the current index.
    // An index outside the animations is ignored.
    void setCurrentAnimationIndex(int index);
    void setForwardBackwardAnimationOrder();
    void resetCurrentAnimationFrameDuration();

    Snapshot snapshot() const;
    // Puts the animation back where a snapshot of this sprite found it.
    void restore(const Snapshot& snapshot);
    // Whether a snapshot (for instance one read from a file) names a frame this sprite has.
    bool accepts(const Snapshot& snapshot) const;

    int getCurrentAnimationIndex() const { return m_currentAnimationIndex; }
    int getCurrentAnimationFrame() const { return m_currentAnimationFrame; }
    int getCurrentAnimationFrameDuration() const { return m_currentAnimationFrameDuration; }
    int getAnimationsAmount() const { return m_animationsAmount; }
    int getSpritesheetsAmount() const { return m_spritesheetsAmount; }

  private:
    struct AnimationFrame {
        int spriteIndex = 0;
        int duration = 0;
    };
    struct Animation {
        int nFrames = 0;
        std::vector<AnimationFrame> frames;
    };
    using AnimationOrder = void (Sprite::*)();

    void animateForward();
    void animateForwardBackward();
    // Counts one update on the current frame; true when its duration is reached.
    bool countCurrentFrame(const Animation& animation);
    void unloadSheets();

    int m_currentAnimationIndex = 0;
    int m_currentAnimationFrame = 0;
    int m_currentAnimationFrameDuration = 0;
    int m_forwardBackwardStep = 1;
    int m_animationsAmount = 0;
    int m_spritesheetsAmount = 0;
    int m_xOffset = 0;
    int m_yOffset = 0;
    std::vector<Animation> m_animations;
    AnimationOrder m_animate = &Sprite::animateForward;
    std::vector<Bitmap> m_spritesheets;
    std::vector<Rect> m_sprites;
};
