#include "gfx/sprite.h"

#include <climits>
#include <cstdio>
#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/bitmapguard.h"
#include "engine/servicelocator.h"

namespace {

// Far above what any actor needs, low enough that a typo cannot ask for gigabytes.
constexpr int kMaxSheets = 256;
constexpr int kMaxSprites = 4096;
constexpr int kMaxAnimations = 1024;
constexpr int kMaxFrames = 1024;
constexpr int kMaxSpriteSize = 4096;
// Offsets stay far from the int range, so x + xOffset can never overflow.
constexpr int kMaxOffset = 4096;

// Reads an int and refuses it unless it lies in min..max, before anything is made of it.
int readInRange(const IniDictionary& dictionary, const char* key, const char* section, int min,
                int max) {
    const int value = dictionary.getIntValue(key, section, 0);
    if (value < min || value > max) {
        throw LoadError(dictionary.path(), dictionary.describe(key, section) + " is outside " +
                                               std::to_string(min) + ".." + std::to_string(max));
    }
    return value;
}

}  // namespace

Sprite::Sprite(IniDictionary& dictionary) {
    char key[48];
    char section[32];

    // The whole description is read and checked before the first sheet is loaded, so a
    // refused description leaves nothing behind.
    m_spritesheetsAmount = readInRange(dictionary, "amount", "Spritesheets", 0, kMaxSheets);

    const int spriteCount = readInRange(dictionary, "amount", "Sprites", 0, kMaxSprites);
    const int width = readInRange(dictionary, "width", "Sprites", 0, kMaxSpriteSize);
    const int height = readInRange(dictionary, "height", "Sprites", 0, kMaxSpriteSize);
    m_xOffset = readInRange(dictionary, "xOffset", "Sprites", -kMaxOffset, kMaxOffset);
    m_yOffset = readInRange(dictionary, "yOffset", "Sprites", -kMaxOffset, kMaxOffset);
    m_sprites.resize(static_cast<std::size_t>(spriteCount));
    for (int i = 0; i < spriteCount; ++i) {
        std::snprintf(key, sizeof key, "sprite%dYPos", i);
        Rect& sprite = m_sprites[static_cast<std::size_t>(i)];
        sprite.x = 0;
        sprite.y = dictionary.getIntValue(key, "Sprites", 0);
        sprite.w = static_cast<std::uint16_t>(width);
        sprite.h = static_cast<std::uint16_t>(height);
    }

    m_animationsAmount = readInRange(dictionary, "amount", "Animations", 0, kMaxAnimations);
    m_animations.resize(static_cast<std::size_t>(m_animationsAmount));
    for (int a = 0; a < m_animationsAmount; ++a) {
        std::snprintf(section, sizeof section, "Animation%d", a);
        Animation& animation = m_animations[static_cast<std::size_t>(a)];
        // Every animation can become the current one, and update and draw read its
        // current frame, so an empty animation is refused.
        animation.nFrames = readInRange(dictionary, "nFrames", section, 1, kMaxFrames);
        animation.frames.resize(static_cast<std::size_t>(animation.nFrames));
        for (int f = 0; f < animation.nFrames; ++f) {
            AnimationFrame& frame = animation.frames[static_cast<std::size_t>(f)];
            std::snprintf(key, sizeof key, "frame%dSpriteIndex", f);
            if (spriteCount == 0) {
                throw LoadError(dictionary.path(), "[" + std::string(section) + "] " + key +
                                                       ": the description has no sprites");
            }
            frame.spriteIndex = readInRange(dictionary, key, section, 0, spriteCount - 1);
            std::snprintf(key, sizeof key, "frame%dDuration", f);
            frame.duration = dictionary.getIntValue(key, section, 0);
        }
    }

    m_spritesheets.resize(static_cast<std::size_t>(m_spritesheetsAmount));
    VideoService* video = ServiceLocator::getVideoService();
    BitmapGuard guard;
    for (int i = 0; i < m_spritesheetsAmount; ++i) {
        Bitmap& sheet = m_spritesheets[static_cast<std::size_t>(i)];
        std::snprintf(key, sizeof key, "spritesheet%d", i);
        video->loadBitmap(sheet, dictionary.getCStringValue(key, "Spritesheets", "empty"));
        guard.watch(sheet);
    }
    guard.dismiss();
}

Sprite::~Sprite() {
    unloadSheets();
}

void Sprite::unloadSheets() {
    VideoService* video = ServiceLocator::getVideoService();
    for (Bitmap& sheet : m_spritesheets) {
        video->unloadBitmap(sheet);
    }
    m_spritesheets.clear();
}

void Sprite::update() {
    if (m_animationsAmount == 0) {
        return;
    }
    (this->*m_animate)();
}

void Sprite::draw(int x, int y, int sheetIndex) {
    draw(x, y, sheetIndex, 255);
}

void Sprite::draw(int x, int y, int sheetIndex, std::uint8_t alpha) {
    if (m_animationsAmount == 0 || sheetIndex < 0 || sheetIndex >= m_spritesheetsAmount) {
        return;
    }
    const Animation& animation = m_animations[static_cast<std::size_t>(m_currentAnimationIndex)];
    const int spriteIndex =
        animation.frames[static_cast<std::size_t>(m_currentAnimationFrame)].spriteIndex;
    Bitmap& sheet = m_spritesheets[static_cast<std::size_t>(sheetIndex)];
    Rect* picture = &m_sprites[static_cast<std::size_t>(spriteIndex)];
    VideoService* video = ServiceLocator::getVideoService();
    if (alpha == 255) {
        video->copyToScreen(sheet, x + m_xOffset, y + m_yOffset, picture);
    } else {
        video->copyToScreenWithAlpha(sheet, x + m_xOffset, y + m_yOffset, picture, alpha);
    }
}

void Sprite::setCurrentAnimationIndex(int index) {
    if (index < 0 || index >= m_animationsAmount || index == m_currentAnimationIndex) {
        return;
    }
    m_currentAnimationIndex = index;
    m_animate = &Sprite::animateForward;
    m_currentAnimationFrame = 0;
    m_currentAnimationFrameDuration = 0;
}

void Sprite::setForwardBackwardAnimationOrder() {
    m_animate = &Sprite::animateForwardBackward;
}

void Sprite::resetCurrentAnimationFrameDuration() {
    m_currentAnimationFrameDuration = 0;
}

Sprite::Snapshot Sprite::snapshot() const {
    return {m_currentAnimationIndex, m_currentAnimationFrame, m_currentAnimationFrameDuration,
            m_forwardBackwardStep, m_animate == &Sprite::animateForwardBackward ? 1 : 0};
}

void Sprite::restore(const Snapshot& snapshot) {
    m_currentAnimationIndex = snapshot.animationIndex;
    m_currentAnimationFrame = snapshot.frame;
    m_currentAnimationFrameDuration = snapshot.frameDuration;
    m_forwardBackwardStep = snapshot.forwardBackwardStep;
    m_animate = snapshot.forwardBackwardOrder != 0 ? &Sprite::animateForwardBackward
                                                   : &Sprite::animateForward;
}

bool Sprite::accepts(const Snapshot& snapshot) const {
    if (m_animationsAmount == 0) {
        return snapshot.animationIndex == 0 && snapshot.frame == 0;
    }
    if (snapshot.animationIndex < 0 || snapshot.animationIndex >= m_animationsAmount) {
        return false;
    }
    const Animation& animation = m_animations[static_cast<std::size_t>(snapshot.animationIndex)];
    return snapshot.frame >= 0 && snapshot.frame < animation.nFrames &&
           (snapshot.forwardBackwardStep == 1 || snapshot.forwardBackwardStep == -1) &&
           (snapshot.forwardBackwardOrder == 0 || snapshot.forwardBackwardOrder == 1);
}

bool Sprite::countCurrentFrame(const Animation& animation) {
    const AnimationFrame& frame =
        animation.frames[static_cast<std::size_t>(m_currentAnimationFrame)];
    // Equality, not "at least": a duration of 0 or less, once reached from another
    // frame, is never matched again and holds the animation on its frame.
    if (m_currentAnimationFrameDuration == frame.duration) {
        return true;
    }
    // A held frame counts for ever; stopping at the top keeps that defined.
    if (m_currentAnimationFrameDuration != INT_MAX) {
        ++m_currentAnimationFrameDuration;
    }
    return false;
}

void Sprite::animateForward() {
    const Animation& animation = m_animations[static_cast<std::size_t>(m_currentAnimationIndex)];
    if (!countCurrentFrame(animation)) {
        return;
    }
    ++m_currentAnimationFrame;
    if (m_currentAnimationFrame >= animation.nFrames) {
        m_currentAnimationFrame = 0;
    }
    m_currentAnimationFrameDuration = 1;
}

void Sprite::animateForwardBackward() {
    const Animation& animation = m_animations[static_cast<std::size_t>(m_currentAnimationIndex)];
    if (!countCurrentFrame(animation)) {
        return;
    }
    // At either end the step turns and the frame stays, so end frames show twice in a row.
    if (m_forwardBackwardStep == 1 && m_currentAnimationFrame == animation.nFrames - 1) {
        m_forwardBackwardStep = -1;
    } else if (m_forwardBackwardStep == -1 && m_currentAnimationFrame == 0) {
        m_forwardBackwardStep = 1;
    } else {
        m_currentAnimationFrame += m_forwardBackwardStep;
    }
    m_currentAnimationFrameDuration = 1;
}
