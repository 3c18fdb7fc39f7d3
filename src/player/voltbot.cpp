#include "player/voltbot.h"

#include <string>

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "engine/fixedpoint.h"
#include "engine/servicelocator.h"
#include "gfx/sprite.h"
#include "states/level.h"
#include "world/camera.h"

using fixedpoint::fraction;
using fixedpoint::kOne;
using fixedpoint::pixel;
using fixedpoint::whole;

namespace {

// The teleport beam falls a whole tile row per frame, without gravity.
constexpr int kTeleportSpeed = 16 * kOne;

// Animation indices the character's sprite description must provide.
constexpr int kAnimStanding = 0;
constexpr int kAnimStep = 1;  // accelerating and decelerating
constexpr int kAnimRunning = 2;
constexpr int kAnimJumping = 3;
constexpr int kAnimLanding = 4;
constexpr int kAnimClimbing = 5;
constexpr int kAnimClimbingTop = 6;
constexpr int kAnimHit = 7;
constexpr int kAnimTeleport = 8;
constexpr int kAnimTransforming = 9;

// Configured numbers are taken as the file gives them, within bounds far beyond any
// playable tuning: past them the sub-pixel arithmetic of a frame could overflow.
constexpr long long kMaxSpeed = 256LL * kOne;  // 256 pixels per frame
constexpr long long kMaxPixels = 4096;         // offsets and positions within a screen

int readBounded(const IniDictionary& dictionary, const char* key, const char* section,
                long long limit) {
    const int value = dictionary.getIntValue(key, section, 0);
    if (value < -limit || value > limit) {
        throw LoadError(dictionary.path(), dictionary.describe(key, section) + " is outside -" +
                                               std::to_string(limit) + ".." +
                                               std::to_string(limit));
    }
    return value;
}

// A configured speed is an "Int" and a "Fraction" key, combined as Int * 256 + Fraction.
// A refusal names both keys as the file writes them, not the combined sub-pixel number.
int readSpeed(IniDictionary& dictionary, const char* intKey, const char* fractionKey,
              const char* section) {
    const long long speed =
        static_cast<long long>(dictionary.getIntValue(intKey, section, 0)) * kOne +
        dictionary.getIntValue(fractionKey, section, 0);
    if (speed < -kMaxSpeed || speed > kMaxSpeed) {
        std::string keys = dictionary.describe(intKey, section);
        if (dictionary.hasKey(fractionKey, section)) {
            keys += std::string(", ") + fractionKey + " = " +
                    dictionary.getCStringValue(fractionKey, section, "");
        }
        throw LoadError(dictionary.path(),
                        keys + ": faster than 256 pixels a frame (Int * 256 + Fraction is " +
                            std::to_string(speed) + "/256)");
    }
    return static_cast<int>(speed);
}

bool anyBodyProbe(const LadderSonar& s) {
    return s.atFeet || s.atMiddle || s.atHead || s.aboveHead;
}

}  // namespace

Voltbot::Voltbot(IniDictionary& dictionary, Level* level, Map* map)
    : m_level(level), m_map(map), m_collider(&m_boundingBox) {
    m_x = m_map->getTeleportStartPosX();
    m_y = m_map->getTeleportStartPosY();
    m_ySpeed = m_map->getTeleportStartYSpeed();
    m_teleportStopPosY = m_map->getTeleportStopPosY();

    m_sprite = std::make_unique<Sprite>(dictionary);
    requireSpriteLayout(dictionary);
    setAnimation(kAnimTeleport);

    readConfiguration(dictionary);

    m_ladderSonar =
        m_map->getLadderSonar(pixel(m_x), pixel(m_y), pixel(m_y - m_ySpeed), m_boundingBoxYOffset,
                              m_ySpeed >= 0, m_useBoundingBoxOffsetForLadderCheck);

    // The offsets are checked first and the picture loaded last, so nothing can throw
    // between loading the picture and owning it.
    m_bulletXOffsetLeft = readBounded(dictionary, "xOffsetLeft", "Bullet", kMaxPixels);
    m_bulletXOffsetRight = readBounded(dictionary, "xOffsetRight", "Bullet", kMaxPixels);
    m_bulletYOffset = readBounded(dictionary, "yOffset", "Bullet", kMaxPixels);
    ServiceLocator::getVideoService()->loadBitmap(
        m_bulletBitmap, dictionary.getCStringValue("spritesheet", "Bullet", "empty"));
}

void Voltbot::requireSpriteLayout(const IniDictionary& dictionary) const {
    // The states ask for animations 0 to 9 and draw from four sheets; a character
    // without them would vanish or freeze in some state, so it is refused while loading.
    if (m_sprite->getAnimationsAmount() < kAnimationsNeeded) {
        throw LoadError(dictionary.path(),
                        "[Animations] amount = " + std::to_string(m_sprite->getAnimationsAmount()) +
                            ", a character needs " + std::to_string(kAnimationsNeeded));
    }
    if (m_sprite->getSpritesheetsAmount() < kSheetsNeeded) {
        throw LoadError(
            dictionary.path(),
            "[Spritesheets] amount = " + std::to_string(m_sprite->getSpritesheetsAmount()) +
                ", a character needs " + std::to_string(kSheetsNeeded));
    }
}

Voltbot::~Voltbot() {
    ServiceLocator::getVideoService()->unloadBitmap(m_bulletBitmap);
}

void Voltbot::readConfiguration(IniDictionary& d) {
    const char* options = "Options";
    m_adjustPositionAfterScroll = d.getBoolValue("adjustPositionAfterScroll", options, false);
    m_allowLadderDownGrabBelowTop = d.getBoolValue("allowLadderDownGrabBelowTop", options, false);
    m_applyGravityBeforeCollisionCheck =
        d.getBoolValue("applyGravityBeforeCollisionCheck", options, false);
    m_climbAfterJumpingGrab = d.getBoolValue("climbAfterJumpingGrab", options, false);
    m_firstAcceleratingFrameIsWalkingSpeed =
        d.getBoolValue("firstAcceleratingFrameIsWalkingSpeed", options, false);
    m_firstDeceleratingFrameIsWalkingSpeed =
        d.getBoolValue("firstDeceleratingFrameIsWalkingSpeed", options, false);
    m_firstScrollingFrameIsDifferentSpeed =
        d.getBoolValue("firstScrollingFrameIsDifferentSpeed", options, false);
    m_limitedEnclosedLadderGrabAssist =
        d.getBoolValue("limitedEnclosedLadderGrabAssist", options, false);
    m_noGravityApplicationAfterJump =
        d.getBoolValue("noGravityApplicationAfterJump", options, false);
    m_noJumpDelay = d.getBoolValue("noJumpDelay", options, false);
    m_onlyIntAdjustmentAtBelowYSpeedMin =
        d.getBoolValue("onlyIntAdjustmentAtBelowYSpeedMin", options, false);
    m_onlyIntAdjustmentAtJumpReleased =
        d.getBoolValue("onlyIntAdjustmentAtJumpReleased", options, false);
    m_onlyIntAdjustmentAtYCollision =
        d.getBoolValue("onlyIntAdjustmentAtYCollision", options, false);
    m_resetFractionAtScrollStart = d.getBoolValue("resetFractionAtScrollStart", options, false);
    m_setFractionAtScrollStart = d.getBoolValue("setFractionAtScrollStart", options, false);
    m_specialUpwardsYCollisionTreatment =
        d.getBoolValue("specialUpwardsYCollisionTreatment", options, false);
    m_useAlternativeLadderGrabCheck =
        d.getBoolValue("useAlternativeLadderGrabCheck", options, false);
    m_useBoundingBoxOffsetForLadderCheck =
        d.getBoolValue("useBoundingBoxOffsetForLadderCheck", options, false);

    const char* x = "XSpeed";
    m_acceleratingXSpeed = readSpeed(d, "acceleratingInt", "acceleratingFraction", x);
    m_deceleratingXSpeed = readSpeed(d, "deceleratingInt", "deceleratingFraction", x);
    m_jumpAcceleratingXSpeed = readSpeed(d, "jumpAcceleratingInt", "jumpAcceleratingFraction", x);
    m_jumpingXSpeed = readSpeed(d, "jumpingInt", "jumpingFraction", x);
    m_reelingXSpeed = readSpeed(d, "reelingInt", "reelingFraction", x);
    m_runningXSpeed = readSpeed(d, "runningInt", "runningFraction", x);

    const char* y = "YSpeed";
    m_climbingYSpeed = readSpeed(d, "climbingInt", "climbingFraction", y);
    m_collisionYSpeed = readSpeed(d, "collisionInt", "collisionFraction", y);
    m_fallingYSpeed = readSpeed(d, "fallingInt", "fallingFraction", y);
    m_gravity = readSpeed(d, "gravityInt", "gravityFraction", y);
    m_jumpingYSpeed = readSpeed(d, "jumpingInt", "jumpingFraction", y);
    m_jumpReleasedYSpeed = readSpeed(d, "jumpReleasedInt", "jumpReleasedFraction", y);
    m_jumpReleasedMaxYSpeed = readSpeed(d, "jumpReleasedMaxInt", "jumpReleasedMaxFraction", y);
    m_minYSpeed = readSpeed(d, "minInt", "minFraction", y);
    m_scrollingYSpeed = readSpeed(d, "scrollingInt", "scrollingFraction", y);
    m_scrollingFirstFrameYSpeed =
        readSpeed(d, "scrollingFirstFrameInt", "scrollingFirstFrameFraction", y);
    m_reelingYSpeed = readSpeed(d, "reelingInt", "reelingFraction", y);

    const char* scroll = "ScrollConstants";
    m_scrollStartFraction = readBounded(d, "startFraction", scroll, kMaxSpeed);
    m_scrollDownEndPosY = readBounded(d, "downEndPosY", scroll, kMaxPixels);
    m_scrollUpEndPosY = readBounded(d, "upEndPosY", scroll, kMaxPixels);

    const char* durations = "Durations";
    m_acceleratingDuration = d.getIntValue("accelerating", durations, 0);
    m_acceleratingPreviousAnimationDuration =
        d.getIntValue("acceleratingPreviousAnimation", durations, 0);
    m_deceleratingDuration = d.getIntValue("decelerating", durations, 0);
    m_deceleratingPreviousAnimationDuration =
        d.getIntValue("deceleratingPreviousAnimation", durations, 0);
    m_invincibleDuration = d.getIntValue("invincible", durations, 0);
    m_landingDuration = d.getIntValue("landing", durations, 0);
    m_reelingDuration = d.getIntValue("reeling", durations, 0);
    m_shootingDuration = d.getIntValue("shooting", durations, 0);

    const char* box = "BoundingBox";
    m_heightHalf = readBounded(d, "heightHalf", box, kMaxPixels);
    m_boundingBoxXOffset = readBounded(d, "xOffset", box, kMaxPixels);
    m_boundingBoxYOffset = readBounded(d, "yOffset", box, kMaxPixels);
    refreshBoundingBoxX();
    refreshBoundingBoxY();
    // Sizes are 16-bit in a Rect; larger values are truncated like the box stores them. A
    // box without width or height collides with nothing and stands inside the floor.
    for (const char* key : {"width", "height"}) {
        if (d.getIntValue(key, box, 0) < 1) {
            throw LoadError(d.path(), d.describe(key, box) +
                                          ": a bounding box needs at least one pixel, or the "
                                          "player stands inside the floor");
        }
    }
    m_boundingBox.w = static_cast<std::uint16_t>(d.getIntValue("width", box, 0));
    m_boundingBox.h = static_cast<std::uint16_t>(d.getIntValue("height", box, 0));
}

// ---------------------------------------------------------------------------------------
// The frame

void Voltbot::update(Controls controls, Camera& camera) {
    // A screen scroll freezes everything but the vertical slide.
    if (m_scrolling) {
        scrollingStateHandler();
        m_sprite->update();
        return;
    }

    if (m_pendingTransition != nullptr) {
        Transition transition = m_pendingTransition;
        (this->*transition)();
        m_pendingTransition = nullptr;
    }

    if (m_movementMode != MovementMode::kTeleporting) {
        shootingStateHandler(controls, camera);
        if (!m_useAlternativeLadderGrabCheck &&
            (m_movementMode == MovementMode::kOnGround || m_movementMode == MovementMode::kInAir)) {
            checkClimbing(controls);
        }
    }

    (this->*m_stateHandler)(controls);

    if (m_movementMode != MovementMode::kTeleporting) {
        if (m_xSpeed > 0) {
            handleXCollision();
        }
        // The head probe here always sits 12 pixels above the reference point; the
        // bounding-box offset option applies only to the construction and grab probes.
        m_ladderSonar = m_map->getLadderSonar(pixel(m_x), pixel(m_y), pixel(m_y - m_ySpeed),
                                              m_boundingBoxYOffset, m_ySpeed > 0, false);
        if (m_movementMode == MovementMode::kOnLadder && !m_ladderSonar.belowFeet &&
            !anyBodyProbe(m_ladderSonar)) {
            onFalling(false);
        }
        applyVerticalStep(controls);
        clampToTerminalSpeed();
    }

    // Without "noJumpDelay" the jump speed first moves the player in the next frame.
    if (!m_noJumpDelay && controls.jumpPressed && m_movementMode == MovementMode::kOnGround) {
        onJumping(false);
    }

    ++m_stateFrameCounter;

    if (m_invincible) {
        ++m_invincibleFrameCounter;
        if (m_invincibleFrameCounter == m_invincibleDuration) {
            m_invincible = false;
            m_invincibleFrameCounter = 0;
        }
    }

    if (m_shooting) {
        ++m_shootingFrameCounter;
    }

    m_sprite->update();
}

void Voltbot::applyVerticalStep(Controls c) {
    if (m_noJumpDelay && c.jumpPressed && m_movementMode == MovementMode::kOnGround) {
        onJumping(true);
        handleYCollision(c);
        // Gravity follows whatever the collision step met.
        if (!m_noGravityApplicationAfterJump) {
            m_ySpeed -= m_gravity;
        }
        return;
    }

    if (m_applyGravityBeforeCollisionCheck && m_movementMode != MovementMode::kOnLadder) {
        m_ySpeed -= m_gravity;
    }
    const bool contact = handleYCollision(c);
    if (!contact && !m_applyGravityBeforeCollisionCheck) {
        m_ySpeed -= m_gravity;
    }
}

void Voltbot::clampToTerminalSpeed() {
    if (m_ySpeed >= m_minYSpeed) {
        return;
    }
    if (m_onlyIntAdjustmentAtBelowYSpeedMin) {
        // Only whole pixels of the excess go; up to 255/256 pixel may stay below.
        m_ySpeed -= whole(m_ySpeed - m_minYSpeed);
    } else {
        m_ySpeed = m_minYSpeed;
    }
}

// ---------------------------------------------------------------------------------------
// Entry actions

void Voltbot::onStanding() {
    m_xSpeed = 0;
    m_stateFrameCounter = 0;
    setAnimation(kAnimStanding);
    m_movementMode = MovementMode::kOnGround;
    m_yCollisionResponse = YCollisionResponse::kLanding;
    m_stateHandler = &Voltbot::standingStateHandler;
}

void Voltbot::onAccelerating() {
    m_xSpeed = m_firstAcceleratingFrameIsWalkingSpeed ? m_runningXSpeed : m_acceleratingXSpeed;
    m_stateFrameCounter = 0;
    // A non-zero duration keeps the previous picture for that many frames.
    if (m_acceleratingPreviousAnimationDuration == 0) {
        setAnimation(kAnimStep);
    }
    m_stateHandler = &Voltbot::acceleratingStateHandler;
}

void Voltbot::onRunning() {
    m_xSpeed = m_runningXSpeed;
    m_stateFrameCounter = 0;
    setAnimation(kAnimRunning);
    m_movementMode = MovementMode::kOnGround;
    m_yCollisionResponse = YCollisionResponse::kLanding;
    m_stateHandler = &Voltbot::runningStateHandler;
}

void Voltbot::onDecelerating() {
    m_xSpeed = m_firstDeceleratingFrameIsWalkingSpeed ? m_runningXSpeed : m_deceleratingXSpeed;
    m_stateFrameCounter = 0;
    if (m_deceleratingPreviousAnimationDuration == 0) {
        setAnimation(kAnimStep);
    }
    m_stateHandler = &Voltbot::deceleratingStateHandler;
}

void Voltbot::onJumping(bool setAnimationNow) {
    m_ySpeed = m_jumpingYSpeed;
    m_stateFrameCounter = 0;
    if (setAnimationNow) {
        setAnimation(kAnimJumping);
    }
    m_movementMode = MovementMode::kInAir;
    m_yCollisionResponse = YCollisionResponse::kRising;
    m_stateHandler = &Voltbot::jumpingStateHandler;
}

void Voltbot::onFalling(bool moveNow) {
    m_ySpeed = m_fallingYSpeed;
    if (moveNow) {
        m_y -= m_fallingYSpeed;
    }
    refreshBoundingBoxY();
    m_stateFrameCounter = 0;
    setAnimation(kAnimJumping);
    m_movementMode = MovementMode::kInAir;
    m_yCollisionResponse = YCollisionResponse::kLanding;
    m_stateHandler = &Voltbot::jumpingStateHandler;
}

void Voltbot::onLanding() {
    m_xSpeed = 0;
    m_stateFrameCounter = 0;
    setAnimation(kAnimLanding);
    m_movementMode = MovementMode::kOnGround;
    m_yCollisionResponse = YCollisionResponse::kLanding;
    m_stateHandler = &Voltbot::landingStateHandler;
}

void Voltbot::onClimbing() {
    m_stateFrameCounter = 0;
    setAnimation(m_ladderSonar.atHead ? kAnimClimbing : kAnimClimbingTop);
    m_movementMode = MovementMode::kOnLadder;
    m_stateHandler = &Voltbot::climbingStateHandler;
}

void Voltbot::onReeling() {
    // The counter and the hit picture were set by receiveDamage.
    m_xSpeed = m_reelingXSpeed;
    m_ySpeed = m_reelingYSpeed;
    reverseHorizontalDirection();
    m_movementMode = MovementMode::kInAir;
    m_yCollisionResponse = YCollisionResponse::kHalt;
    m_stateHandler = &Voltbot::reelingStateHandler;
}

void Voltbot::onTransforming() {
    m_stateFrameCounter = 0;
    setAnimation(kAnimTransforming);
    m_movementMode = MovementMode::kTransforming;
    m_yCollisionResponse = YCollisionResponse::kLanding;
    m_stateHandler = &Voltbot::transformingStateHandler;
}

void Voltbot::reverseHorizontalDirection() {
    if (m_direction == Direction::kRight) {
        m_direction = Direction::kLeft;
    } else if (m_direction == Direction::kLeft) {
        m_direction = Direction::kRight;
    }
}

// ---------------------------------------------------------------------------------------
// State handlers

void Voltbot::standingStateHandler(Controls c) {
    if (c.dirX != Direction::kNone) {
        m_direction = c.dirX;
        onAccelerating();
    }
}

void Voltbot::acceleratingStateHandler(Controls c) {
    // Set every frame, so the running-speed first frame lasts only the entry frame.
    m_xSpeed = m_acceleratingXSpeed;
    if (c.dirX == Direction::kNone) {
        onStanding();
        return;
    }
    m_direction = c.dirX;
    if (m_stateFrameCounter == m_acceleratingPreviousAnimationDuration) {
        setAnimation(kAnimStep);
    } else if (m_stateFrameCounter == m_acceleratingDuration) {
        onRunning();
    }
}

void Voltbot::runningStateHandler(Controls c) {
    if (c.dirX != Direction::kNone) {
        m_direction = c.dirX;
    } else if (m_deceleratingDuration != 0) {
        onDecelerating();
    } else {
        onStanding();
    }
}

void Voltbot::deceleratingStateHandler(Controls c) {
    m_xSpeed = m_deceleratingXSpeed;
    if (c.dirX != Direction::kNone) {
        // Either direction, the opposite one included, accelerates again at once.
        m_direction = c.dirX;
        onAccelerating();
        return;
    }
    if (m_stateFrameCounter == m_deceleratingPreviousAnimationDuration) {
        setAnimation(kAnimStep);
    } else if (m_stateFrameCounter == m_deceleratingDuration) {
        onStanding();
    }
}

void Voltbot::landingStateHandler(Controls c) {
    if (c.dirX != Direction::kNone) {
        m_direction = c.dirX;
        onAccelerating();
    } else if (m_stateFrameCounter == m_landingDuration) {
        onStanding();
    }
}

void Voltbot::jumpingStateHandler(Controls c) {
    // A delayed jump shows its picture from its first handler frame.
    if (m_stateFrameCounter == 1) {
        setAnimation(kAnimJumping);
    }

    if (c.dirX != Direction::kNone) {
        m_direction = c.dirX;
        m_xSpeed = c.prevDirX != Direction::kNone ? m_jumpingXSpeed : m_jumpAcceleratingXSpeed;
    } else {
        m_xSpeed = 0;  // no drift in the air
    }

    if (c.jumpReleased && m_ySpeed > m_jumpReleasedMaxYSpeed) {
        m_ySpeed = m_onlyIntAdjustmentAtJumpReleased ? fraction(m_ySpeed) : m_jumpReleasedYSpeed;
    }

    // From the top of the arc on, a contact is a landing.
    if (m_ySpeed < 0) {
        m_yCollisionResponse = YCollisionResponse::kLanding;
    }
}

void Voltbot::reelingStateHandler(Controls) {
    if (m_stateFrameCounter == m_reelingDuration) {
        reverseHorizontalDirection();
        onStanding();  // also in mid-air: the next vertical step starts the fall
        m_invincible = true;
    }
}

void Voltbot::teleportingStateHandler(Controls) {
    // ">=" rather than "==": a stop row off the beam's 16-pixel grid, or above the start,
    // still ends the beam at the first row reached at or below it.
    if (pixel(m_y) >= m_teleportStopPosY) {
        m_stateFrameCounter = 0;
        refreshBoundingBoxX();
        refreshBoundingBoxY();
        onTransforming();
    } else {
        m_y += kTeleportSpeed;
        refreshBoundingBoxY();
    }
}

void Voltbot::transformingStateHandler(Controls) {
    // Ends at the first floor contact (handleYCollision).
}

void Voltbot::scrollingStateHandler() {
    // The sign of the frozen vertical speed is the scroll direction: positive is up.
    if (m_ySpeed > 0) {
        m_y -= m_scrollingYSpeed;
    } else {
        m_y += m_scrollingYSpeed;
    }
    refreshBoundingBoxY();
}

void Voltbot::climbingStateHandler(Controls c) {
    const LadderSonar s = m_ladderSonar;  // the previous frame's probe

    switch (c.dirY) {
        case Direction::kNone:
            m_ySpeed = 0;
            setAnimation(kAnimClimbing);
            m_sprite->resetCurrentAnimationFrameDuration();  // hold the picture still
            break;
        case Direction::kUp:
            m_ySpeed = m_climbingYSpeed;
            setAnimation(s.atHead ? kAnimClimbing : kAnimClimbingTop);
            m_yCollisionResponse = YCollisionResponse::kHalt;  // a ceiling stops the climb
            break;
        case Direction::kDown:
            m_ySpeed = -m_climbingYSpeed;
            setAnimation(s.atMiddle || s.atHead ? kAnimClimbing : kAnimClimbingTop);
            m_yCollisionResponse = YCollisionResponse::kLanding;  // the floor ends the climb
            break;
        default:
            break;
    }

    if (m_shooting) {
        m_ySpeed = 0;  // no climbing during the shooting pose
    } else if (m_ySpeed > 0 && s.atFeet && !s.belowFeet && !s.atMiddle && !s.atHead &&
               !s.aboveHead) {
        // Only the feet are still on the ladder: step up onto the tile row above.
        m_y = m_y - (pixel(m_y) % Tile::kHeight) * kOne - m_heightHalf * kOne;
        refreshBoundingBoxY();
        m_ySpeed = m_collisionYSpeed;
        onStanding();
        return;
    }

    if (c.dirY == Direction::kNone && c.jumpPressed) {
        m_ySpeed = m_fallingYSpeed;
        if (c.dirX != Direction::kNone) {
            m_direction = c.dirX;
        }
        onFalling(false);
    }
}

void Voltbot::shootingStateHandler(Controls c, Camera& camera) {
    if (c.shootPressed) {
        if (c.dirX != Direction::kNone) {
            m_direction = c.dirX;
        }
        int x = pixel(m_x);
        if (m_direction == Direction::kRight) {
            x += m_bulletXOffsetRight;
        } else if (m_direction == Direction::kLeft) {
            x += m_bulletXOffsetLeft;
        }
        const int y = pixel(m_y + m_bulletYOffset * kOne);
        for (Bullet& bullet : m_bullets) {
            if (bullet.activate(x, y, m_direction)) {
                m_shooting = true;
                m_shootingFrameCounter = 0;
                break;
            }
        }
    }

    // ">=" rather than "==": the counter keeps running while the teleport beam skips this
    // handler, and the pose must still end afterwards.
    if (m_shooting && m_shootingFrameCounter >= m_shootingDuration) {
        m_shooting = false;
    }

    for (Bullet& bullet : m_bullets) {
        bullet.update(camera);
    }
}

// ---------------------------------------------------------------------------------------
// Damage and scrolling

void Voltbot::receiveDamage() {
    if (m_stateHandler == &Voltbot::reelingStateHandler || m_invincible) {
        return;
    }
    m_pendingTransition = &Voltbot::onReeling;
    m_stateFrameCounter = 1;
    setAnimation(kAnimHit);
    m_sprite->update();
}

void Voltbot::onScrollingStart() {
    m_scrolling = true;
    if (m_resetFractionAtScrollStart) {
        m_y = whole(m_y);
    }
    if (m_setFractionAtScrollStart) {
        m_y = whole(m_y) + m_scrollStartFraction;
        return;
    }
    if (m_firstScrollingFrameIsDifferentSpeed) {
        if (m_ySpeed > 0) {
            m_y -= m_scrollingFirstFrameYSpeed;
        } else {
            m_y += m_scrollingFirstFrameYSpeed;
        }
        return;
    }
    scrollingStateHandler();
}

void Voltbot::onScrollingStop() {
    m_scrolling = false;
    if (m_adjustPositionAfterScroll) {
        const int top = m_map->getCurrentBoundary().y;
        m_y = (top + (m_ySpeed > 0 ? m_scrollUpEndPosY : m_scrollDownEndPosY)) * kOne;
    }
}

// ---------------------------------------------------------------------------------------
// Meeting the map

void Voltbot::handleXCollision() {
    if (m_direction == Direction::kRight) {
        const int room = m_map->getMaxXDelta(m_boundingBox, m_direction);
        const int limit = whole(m_x + room * kOne);
        const int target = m_x + m_xSpeed;
        // A blocked step keeps the limit pixel but the target's fraction.
        m_x = target <= limit ? target : limit + fraction(target);
    } else if (m_direction == Direction::kLeft) {
        const int room = m_map->getMaxXDelta(m_boundingBox, m_direction);
        const int limit = whole(m_x - room * kOne);
        const int target = m_x - m_xSpeed;
        m_x = target >= limit ? target : limit + fraction(target);
    }
    refreshBoundingBoxX();
}

bool Voltbot::handleYCollision(Controls c) {
    const bool onLadder = m_movementMode == MovementMode::kOnLadder;
    if (onLadder && c.dirY == Direction::kNone) {
        return false;
    }

    const int target = m_y - m_ySpeed;
    const bool rising = m_ySpeed > 0;
    int limit = 0;
    bool blocked = false;
    if (rising) {
        // Only climbing scrolls upward; a jump never does.
        if (onLadder && m_map->isLeavingScreenTop(pixel(target))) {
            onScrollingStart();
            if (m_level != nullptr) {
                m_level->onScrollStart(Direction::kUp);
            }
            return true;
        }
        const int room = m_map->getMaxYDelta(m_boundingBox, Direction::kUp);
        limit = whole(m_y - room * kOne);
        blocked = target < limit;
    } else {
        if (m_map->isLeavingScreenBottom(pixel(target))) {
            if (m_map->isEnteringInvalidScreen(pixel(m_x), pixel(target))) {
                reset();
                if (m_level != nullptr) {
                    m_level->onReset();
                }
            } else {
                onScrollingStart();
                if (m_level != nullptr) {
                    m_level->onScrollStart(Direction::kDown);
                }
            }
            return true;
        }
        const int room = m_map->getMaxYDelta(m_boundingBox, Direction::kDown);
        limit = whole(m_y + room * kOne);
        blocked = target > limit;
    }

    if (m_useAlternativeLadderGrabCheck &&
        (m_movementMode == MovementMode::kOnGround || m_movementMode == MovementMode::kInAir)) {
        LadderSonar sonar = m_ladderSonar;
        if (m_movementMode == MovementMode::kInAir && rising) {
            sonar = m_map->getLadderSonar(pixel(m_x), pixel(target), pixel(target),
                                          m_boundingBoxYOffset, true,
                                          m_useBoundingBoxOffsetForLadderCheck);
        }
        if (checkClimbing2(c, sonar, blocked)) {
            if (c.dirY == Direction::kUp) {
                // The box is not refreshed here; the next refresh brings it along.
                m_y = target;
                if (m_climbAfterJumpingGrab) {
                    m_y -= m_climbingYSpeed;
                }
            }
            return false;
        }
    }

    return blocked ? touch(c, limit, target) : moveFreely(target);
}

bool Voltbot::moveFreely(int target) {
    m_y = target;
    refreshBoundingBoxY();
    if (m_movementMode == MovementMode::kOnGround) {
        // Nothing under the feet: walked off an edge.
        m_ySpeed = m_collisionYSpeed;
        onFalling(true);
    }
    return false;
}

bool Voltbot::touch(Controls c, int limit, int target) {
    m_y = limit;
    if (m_onlyIntAdjustmentAtYCollision) {
        m_y += fraction(target);
    }
    refreshBoundingBoxY();

    if (m_movementMode == MovementMode::kOnGround) {
        // Standing: the collision speed keeps pressing into the floor every frame.
        m_ySpeed = m_collisionYSpeed;
        return true;
    }

    switch (m_yCollisionResponse) {
        case YCollisionResponse::kRising:
            if (m_specialUpwardsYCollisionTreatment) {
                // For a rising speed: whole part -1 pixel, fraction kept.
                m_ySpeed = m_ySpeed - whole(m_ySpeed + kOne);
            } else {
                m_ySpeed = m_collisionYSpeed;
            }
            m_yCollisionResponse = YCollisionResponse::kLanding;
            return true;
        case YCollisionResponse::kLanding:
            m_ySpeed = m_collisionYSpeed;
            if (m_movementMode == MovementMode::kInAir && c.dirX != Direction::kNone &&
                c.dirX == m_direction) {
                onRunning();  // landing with the direction held runs on at once
            } else if (m_movementMode == MovementMode::kOnLadder ||
                       m_movementMode == MovementMode::kTransforming) {
                onStanding();
            } else {
                onLanding();
            }
            return true;
        case YCollisionResponse::kHalt:
        default:
            m_ySpeed = 0;
            return true;
    }
}

int Voltbot::ladderColumnOffset() const {
    return pixel(m_x) % Tile::kWidth;
}

void Voltbot::snapToLadder() {
    m_xSpeed = 0;
    // The fraction of x stays; only the pixel moves to the ladder's centre column.
    m_x = m_x - ladderColumnOffset() * kOne + Tile::kWidthHalf * kOne;
    refreshBoundingBoxX();
}

void Voltbot::checkClimbing(Controls c) {
    const LadderSonar s = m_ladderSonar;  // the previous frame's probe
    const bool body = anyBodyProbe(s);

    if (c.dirY != Direction::kUp && c.dirY != Direction::kDown) {
        return;
    }

    if (s.belowFeet) {
        if (c.dirY == Direction::kUp) {
            // Up does not climb a ladder that lies only below.
            if (body) {
                grabUpward(s);
            }
            return;
        }
        snapToLadder();
        if (!body) {
            // Step down into the ladder top.
            m_y += m_heightHalf * kOne;
            refreshBoundingBoxY();
        }
        reverseHorizontalDirection();
        onClimbing();
        return;
    }

    if (!body) {
        return;
    }

    if (c.dirY == Direction::kUp) {
        grabUpward(s);
        return;
    }
    // Already inside a ladder: down alone does not grab it.
    if (s.atFeet && s.atMiddle && s.atHead) {
        return;
    }
    snapToLadder();
    reverseHorizontalDirection();
    onClimbing();
}

void Voltbot::grabUpward(LadderSonar s) {
    snapToLadder();
    reverseHorizontalDirection();
    if (s.belowFeet || s.atFeet || s.atMiddle || s.atHead || !s.aboveHead) {
        onClimbing();
        return;
    }
    // The ladder was found only above the head: rise to the top of the current tile row
    // less the body height and drop from there instead of climbing.
    m_y = m_y - (pixel(m_y) % Tile::kHeight) * kOne - m_boundingBox.h * kOne;
    refreshBoundingBoxY();
    onFalling(false);
}

bool Voltbot::checkClimbing2(Controls c, LadderSonar s, bool blocked) {
    if (c.dirY == Direction::kNone) {
        return false;
    }
    // The probe above the head alone never grabs here.
    if (!s.belowFeet && !s.atFeet && !s.atMiddle && !s.atHead) {
        return false;
    }
    const bool body = anyBodyProbe(s);

    if (c.dirY == Direction::kUp) {
        if (m_limitedEnclosedLadderGrabAssist && m_movementMode == MovementMode::kInAir &&
            s.atHead && blocked) {
            // An enclosed ladder is grabbed only within a pixel of its centre column.
            const int d = ladderColumnOffset();
            if (d != Tile::kWidthHalf - 1 && d != Tile::kWidthHalf && d != Tile::kWidthHalf + 1) {
                return false;
            }
        }
        if (s.belowFeet && !body) {
            return false;
        }
        snapToLadder();
        m_ladderSonar = s;
        onClimbing();
        return true;
    }

    if (c.dirY == Direction::kDown) {
        if (!m_allowLadderDownGrabBelowTop) {
            if (m_movementMode == MovementMode::kInAir) {
                return false;
            }
            if (!s.belowFeet) {
                if (s.atFeet && s.atMiddle && s.atHead) {
                    return false;
                }
                snapToLadder();
                m_ladderSonar = s;
                onClimbing();
                return true;
            }
        }
        snapToLadder();
        if (s.belowFeet && !body) {
            m_y += m_heightHalf * kOne;
            refreshBoundingBoxY();
        }
        m_ladderSonar = s;
        onClimbing();
        return true;
    }

    return false;
}

// ---------------------------------------------------------------------------------------
// Reset, drawing and accessors

void Voltbot::reset() {
    m_x = m_map->getTeleportStartPosX();
    m_y = m_map->getTeleportStartPosY();
    refreshBoundingBoxX();
    refreshBoundingBoxY();
    m_ySpeed = m_map->getTeleportStartYSpeed();
    m_teleportStopPosY = m_map->getTeleportStopPosY();
    m_destroyed = false;
    m_movementMode = MovementMode::kTeleporting;
    m_stateHandler = &Voltbot::teleportingStateHandler;
    m_yCollisionResponse = YCollisionResponse::kHalt;
    setAnimation(kAnimTeleport);
    m_map->setCurrentBoundaryByPosition(pixel(m_x), pixel(m_y));
}

void Voltbot::draw(Camera& camera) {
    drawSprite(camera, 255);

    for (Bullet& bullet : m_bullets) {
        bullet.draw(m_bulletBitmap, camera);
    }

    m_debugInfo.draw(m_x, m_y, m_xSpeed, m_ySpeed, ladderBits(m_ladderSonar));
}

void Voltbot::drawSprite(Camera& camera, std::uint8_t alpha) {
    int sheet = 0;
    if (m_direction == Direction::kRight) {
        sheet = m_shooting ? 2 : 0;
    } else if (m_direction == Direction::kLeft) {
        sheet = m_shooting ? 3 : 1;
    }

    // Blinking while invincible: shown when bits 0 and 1 of the counter agree.
    const int c = m_invincibleFrameCounter;
    if ((c & 1) == ((c >> 1) & 1)) {
        m_sprite->draw(camera.getScreenMappedXCoordinate(pixel(m_x)),
                       camera.getScreenMappedYCoordinate(pixel(m_y)), sheet, alpha);
    }
}

int Voltbot::ladderBits(const LadderSonar& sonar) {
    return (sonar.belowFeet ? 1 : 0) + (sonar.atFeet ? 2 : 0) + (sonar.atMiddle ? 4 : 0) +
           (sonar.atHead ? 8 : 0) + (sonar.aboveHead ? 16 : 0);
}

Rect* Voltbot::getBoundingBox() {
    return &m_boundingBox;
}

Collider Voltbot::getCollider() const {
    return m_collider;
}

int Voltbot::getX() const {
    return pixel(m_x);
}

int Voltbot::getY() const {
    return pixel(m_y);
}

bool Voltbot::isDestroyed() const {
    return m_destroyed;
}

int Voltbot::getCurrentAnimationIndex() const {
    return m_sprite->getCurrentAnimationIndex();
}

Voltbot::State Voltbot::getState() const {
    struct Entry {
        StateHandler handler;
        State state;
    };
    static constexpr Entry kStates[] = {
        {&Voltbot::standingStateHandler, State::kStanding},
        {&Voltbot::acceleratingStateHandler, State::kAccelerating},
        {&Voltbot::runningStateHandler, State::kRunning},
        {&Voltbot::deceleratingStateHandler, State::kDecelerating},
        {&Voltbot::jumpingStateHandler, State::kJumping},
        {&Voltbot::landingStateHandler, State::kLanding},
        {&Voltbot::climbingStateHandler, State::kClimbing},
        {&Voltbot::reelingStateHandler, State::kReeling},
        {&Voltbot::teleportingStateHandler, State::kTeleporting},
    };
    for (const Entry& entry : kStates) {
        if (entry.handler == m_stateHandler) {
            return entry.state;
        }
    }
    return State::kTransforming;
}

Voltbot::StateHandler Voltbot::handlerOf(State state) {
    switch (state) {
        case State::kStanding:
            return &Voltbot::standingStateHandler;
        case State::kAccelerating:
            return &Voltbot::acceleratingStateHandler;
        case State::kRunning:
            return &Voltbot::runningStateHandler;
        case State::kDecelerating:
            return &Voltbot::deceleratingStateHandler;
        case State::kJumping:
            return &Voltbot::jumpingStateHandler;
        case State::kLanding:
            return &Voltbot::landingStateHandler;
        case State::kClimbing:
            return &Voltbot::climbingStateHandler;
        case State::kReeling:
            return &Voltbot::reelingStateHandler;
        case State::kTeleporting:
            return &Voltbot::teleportingStateHandler;
        case State::kTransforming:
            break;
    }
    return &Voltbot::transformingStateHandler;
}

Voltbot::Snapshot Voltbot::snapshot() const {
    Snapshot s{};
    s.x = m_x;
    s.y = m_y;
    s.xSpeed = m_xSpeed;
    s.ySpeed = m_ySpeed;
    s.direction = m_direction;
    s.destroyed = m_destroyed ? 1 : 0;
    s.invincible = m_invincible ? 1 : 0;
    s.scrolling = m_scrolling ? 1 : 0;
    s.shooting = m_shooting ? 1 : 0;
    s.movementMode = m_movementMode;
    s.stateFrameCounter = m_stateFrameCounter;
    s.shootingFrameCounter = m_shootingFrameCounter;
    s.invincibleFrameCounter = m_invincibleFrameCounter;
    s.teleportStopPosY = m_teleportStopPosY;
    s.state = static_cast<std::int32_t>(getState());
    // Reeling is the only transition that waits for the next frame (receiveDamage).
    s.pendingTransition = m_pendingTransition != nullptr ? 1 : 0;
    s.yCollisionResponse = m_yCollisionResponse;
    s.ladderSonar = ladderBits(m_ladderSonar);
    s.boundingBox = m_boundingBox;
    for (int i = 0; i < kBulletCount; ++i) {
        s.bullets[i] = m_bullets[static_cast<std::size_t>(i)].snapshot();
    }
    s.sprite = m_sprite->snapshot();
    return s;
}

void Voltbot::restore(const Snapshot& s) {
    m_x = s.x;
    m_y = s.y;
    m_xSpeed = s.xSpeed;
    m_ySpeed = s.ySpeed;
    m_direction = static_cast<Direction::type>(s.direction);
    m_destroyed = s.destroyed != 0;
    m_invincible = s.invincible != 0;
    m_scrolling = s.scrolling != 0;
    m_shooting = s.shooting != 0;
    m_movementMode = static_cast<MovementMode::type>(s.movementMode);
    m_stateFrameCounter = s.stateFrameCounter;
    m_shootingFrameCounter = s.shootingFrameCounter;
    m_invincibleFrameCounter = s.invincibleFrameCounter;
    m_teleportStopPosY = s.teleportStopPosY;
    m_stateHandler = handlerOf(static_cast<State>(s.state));
    m_pendingTransition = s.pendingTransition != 0 ? &Voltbot::onReeling : nullptr;
    m_yCollisionResponse = static_cast<YCollisionResponse::type>(s.yCollisionResponse);
    m_ladderSonar.belowFeet = (s.ladderSonar & 1) != 0;
    m_ladderSonar.atFeet = (s.ladderSonar & 2) != 0;
    m_ladderSonar.atMiddle = (s.ladderSonar & 4) != 0;
    m_ladderSonar.atHead = (s.ladderSonar & 8) != 0;
    m_ladderSonar.aboveHead = (s.ladderSonar & 16) != 0;
    m_boundingBox = s.boundingBox;
    for (int i = 0; i < kBulletCount; ++i) {
        m_bullets[static_cast<std::size_t>(i)].restore(s.bullets[i]);
    }
    m_sprite->restore(s.sprite);
}

bool Voltbot::accepts(const Snapshot& s) const {
    const auto inRange = [](std::int32_t value, int low, int high) {
        return value >= low && value <= high;
    };
    const auto isFlag = [](std::int32_t value) { return value == 0 || value == 1; };
    // Far beyond any map or tuning, close enough that no frame's arithmetic can overflow.
    constexpr int kMaxPosition = 1 << 28;
    constexpr int kMaxSnapshotSpeed = static_cast<int>(4 * kMaxSpeed);
    if (!inRange(s.x, -kMaxPosition, kMaxPosition) || !inRange(s.y, -kMaxPosition, kMaxPosition) ||
        !inRange(s.xSpeed, -kMaxSnapshotSpeed, kMaxSnapshotSpeed) ||
        !inRange(s.ySpeed, -kMaxSnapshotSpeed, kMaxSnapshotSpeed)) {
        return false;
    }
    for (const Bullet::Snapshot& bullet : s.bullets) {
        if (!inRange(bullet.direction, Direction::kNone, Direction::kRight) ||
            !isFlag(bullet.active)) {
            return false;
        }
    }
    return inRange(s.direction, Direction::kNone, Direction::kRight) && isFlag(s.destroyed) &&
           isFlag(s.invincible) && isFlag(s.scrolling) && isFlag(s.shooting) &&
           inRange(s.movementMode, MovementMode::kOnGround, MovementMode::kTransforming) &&
           inRange(s.state, static_cast<int>(State::kStanding),
                   static_cast<int>(State::kTransforming)) &&
           isFlag(s.pendingTransition) &&
           inRange(s.yCollisionResponse, YCollisionResponse::kRising, YCollisionResponse::kHalt) &&
           inRange(s.ladderSonar, 0, 31) && s.boundingBox.w == m_boundingBox.w &&
           s.boundingBox.h == m_boundingBox.h && m_sprite->accepts(s.sprite);
}

void Voltbot::refreshBoundingBoxX() {
    m_boundingBox.x = pixel(m_x + m_boundingBoxXOffset * kOne);
}

void Voltbot::refreshBoundingBoxY() {
    m_boundingBox.y = pixel(m_y + m_boundingBoxYOffset * kOne);
}

void Voltbot::setAnimation(int index) {
    m_sprite->setCurrentAnimationIndex(index);
}
