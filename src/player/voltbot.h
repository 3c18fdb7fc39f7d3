#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/controls.h"
#include "engine/direction.h"
#include "engine/rect.h"
#include "engine/videoservice.h"
#include "gfx/debuginfo.h"
#include "gfx/sprite.h"
#include "world/bullet.h"
#include "world/collider.h"
#include "world/map.h"

class Camera;
class IniDictionary;
class Level;

// The coarse physical situation of the player; the numbers are stored and compared.
struct MovementMode {
    enum type : int {
        kOnGround = 0,
        kInAir = 1,
        kOnLadder = 2,
        kTeleporting = 3,
        kTransforming = 4,
    };
};

// What a floor or ceiling contact does in the current state.
struct YCollisionResponse {
    enum type : int {
        kRising = 0,   // head bump while rising; becomes kLanding
        kLanding = 1,  // ends in standing, landing or running
        kHalt = 2,     // vertical speed 0, state kept
    };
};

// The player character. Motion is whole frames and 1/256 pixel: positions and speeds are
// 24.8 fixed point (fixedpoint.h), every duration is an equality test on a frame counter,
// and each of the eighteen "Options" flags switches one precise step of the frame between
// two variants. The frame order of update() is the behaviour; keep it step for step.
// Nothing is allocated, read or formatted after construction.
class Voltbot {
  public:
    using StateHandler = void (Voltbot::*)(Controls);
    using Transition = void (Voltbot::*)();

    // Which handler runs, for tests and tools (the handlers themselves are private).
    enum class State {
        kStanding,
        kAccelerating,
        kRunning,
        kDecelerating,
        kJumping,
        kLanding,
        kClimbing,
        kReeling,
        kTeleporting,
        kTransforming,
    };

    // What the character's sprite description must provide; less is refused.
    static constexpr int kAnimationsNeeded = 10;
    static constexpr int kSheetsNeeded = 4;  // right, left, and both while shooting
    static constexpr int kBulletCount = 3;

    // Everything update, receiveDamage, reset and the scroll notifications change: with
    // the configuration read at construction, it decides every later frame. The state
    // handler and a pending transition are kept as indices into fixed tables, so a
    // snapshot means the same in another run of the same build.
    struct Snapshot {
        std::int32_t x;
        std::int32_t y;
        std::int32_t xSpeed;
        std::int32_t ySpeed;
        std::int32_t direction;
        std::int32_t destroyed;
        std::int32_t invincible;
        std::int32_t scrolling;
        std::int32_t shooting;
        std::int32_t movementMode;
        std::int32_t stateFrameCounter;
        std::int32_t shootingFrameCounter;
        std::int32_t invincibleFrameCounter;
        std::int32_t teleportStopPosY;
        std::int32_t state;              // a State, the handler that runs
        std::int32_t pendingTransition;  // 0 none, 1 reeling
        std::int32_t yCollisionResponse;
        std::int32_t ladderSonar;  // belowFeet 1, atFeet 2, atMiddle 4, atHead 8, aboveHead 16
        Rect boundingBox;
        Bullet::Snapshot bullets[kBulletCount];
        Sprite::Snapshot sprite;
    };

    Voltbot(IniDictionary& dictionary, Level* level, Map* map);
    ~Voltbot();
    Voltbot(const Voltbot&) = delete;
    Voltbot& operator=(const Voltbot&) = delete;

    void update(Controls controls, Camera& camera);
    void draw(Camera& camera);
    // Only the robot's picture (no bullets, no overlay), at the given opacity: what the
    // ghost of a second run shows. draw() shows the same picture opaque.
    void drawSprite(Camera& camera, std::uint8_t alpha);
    void reset();
    void receiveDamage();
    void onScrollingStart();
    void onScrollingStop();

    Rect* getBoundingBox();
    Collider getCollider() const;
    int getX() const;
    int getY() const;
    bool isDestroyed() const;

    Snapshot snapshot() const;
    void restore(const Snapshot& snapshot);
    // Whether every enumerated field of a snapshot (for instance one read from a file)
    // names something this player has.
    bool accepts(const Snapshot& snapshot) const;

    // Raw values for tests and tools.
    int getXPosition() const { return m_x; }
    int getYPosition() const { return m_y; }
    int getXSpeed() const { return m_xSpeed; }
    int getYSpeed() const { return m_ySpeed; }
    MovementMode::type getMovementMode() const { return m_movementMode; }
    YCollisionResponse::type getYCollisionResponse() const { return m_yCollisionResponse; }
    Direction::type getDirection() const { return m_direction; }
    int getStateFrameCounter() const { return m_stateFrameCounter; }
    bool isScrolling() const { return m_scrolling; }
    bool isShooting() const { return m_shooting; }
    int getShootingFrameCounter() const { return m_shootingFrameCounter; }
    bool isInvincible() const { return m_invincible; }
    int getInvincibleFrameCounter() const { return m_invincibleFrameCounter; }
    bool hasPendingTransition() const { return m_pendingTransition != nullptr; }
    LadderSonar getLadderSonar() const { return m_ladderSonar; }
    int getCurrentAnimationIndex() const;
    const Bullet& getBullet(int i) const { return m_bullets[static_cast<std::size_t>(i)]; }
    State getState() const;

  private:
    // States: per-frame handlers and their entry actions.
    void standingStateHandler(Controls c);
    void acceleratingStateHandler(Controls c);
    void runningStateHandler(Controls c);
    void deceleratingStateHandler(Controls c);
    void jumpingStateHandler(Controls c);
    void landingStateHandler(Controls c);
    void climbingStateHandler(Controls c);
    void reelingStateHandler(Controls c);
    void teleportingStateHandler(Controls c);
    void transformingStateHandler(Controls c);
    void scrollingStateHandler();
    void shootingStateHandler(Controls c, Camera& camera);

    void onStanding();
    void onAccelerating();
    void onRunning();
    void onDecelerating();
    void onJumping(bool setAnimation);
    void onFalling(bool moveNow);
    void onLanding();
    void onClimbing();
    void onReeling();
    void onTransforming();
    void reverseHorizontalDirection();

    // Meeting the map.
    void handleXCollision();
    bool handleYCollision(Controls c);
    bool moveFreely(int target);
    bool touch(Controls c, int limit, int target);
    void checkClimbing(Controls c);
    bool checkClimbing2(Controls c, LadderSonar s, bool blocked);
    void grabUpward(LadderSonar s);
    void snapToLadder();
    int ladderColumnOffset() const;

    // Frame-order steps of update().
    void applyVerticalStep(Controls c);
    void clampToTerminalSpeed();

    void readConfiguration(IniDictionary& dictionary);
    void requireSpriteLayout(const IniDictionary& dictionary) const;
    void refreshBoundingBoxX();
    void refreshBoundingBoxY();
    void setAnimation(int index);
    static int ladderBits(const LadderSonar& sonar);
    static StateHandler handlerOf(State state);

    int m_x = 0;
    int m_y = 0;
    int m_xSpeed = 0;
    int m_ySpeed = 0;
    int m_acceleratingXSpeed = 0;
    int m_deceleratingXSpeed = 0;
    int m_jumpAcceleratingXSpeed = 0;
    int m_jumpingXSpeed = 0;
    int m_reelingXSpeed = 0;
    int m_runningXSpeed = 0;
    int m_climbingYSpeed = 0;
    int m_collisionYSpeed = 0;
    int m_fallingYSpeed = 0;
    int m_gravity = 0;
    int m_jumpingYSpeed = 0;
    int m_jumpReleasedYSpeed = 0;
    int m_jumpReleasedMaxYSpeed = 0;
    int m_minYSpeed = 0;
    int m_scrollingYSpeed = 0;
    int m_scrollingFirstFrameYSpeed = 0;
    int m_reelingYSpeed = 0;
    Direction::type m_direction = Direction::kRight;
    bool m_destroyed = false;
    bool m_invincible = false;
    bool m_scrolling = false;
    bool m_shooting = false;
    MovementMode::type m_movementMode = MovementMode::kTeleporting;
    bool m_adjustPositionAfterScroll = false;
    bool m_allowLadderDownGrabBelowTop = false;
    bool m_applyGravityBeforeCollisionCheck = false;
    bool m_climbAfterJumpingGrab = false;
    bool m_firstAcceleratingFrameIsWalkingSpeed = false;
    bool m_firstDeceleratingFrameIsWalkingSpeed = false;
    bool m_firstScrollingFrameIsDifferentSpeed = false;
    bool m_limitedEnclosedLadderGrabAssist = false;
    bool m_noGravityApplicationAfterJump = false;
    bool m_noJumpDelay = false;
    bool m_onlyIntAdjustmentAtBelowYSpeedMin = false;
    bool m_onlyIntAdjustmentAtJumpReleased = false;
    bool m_onlyIntAdjustmentAtYCollision = false;
    bool m_resetFractionAtScrollStart = false;
    bool m_setFractionAtScrollStart = false;
    bool m_specialUpwardsYCollisionTreatment = false;
    bool m_useAlternativeLadderGrabCheck = false;
    bool m_useBoundingBoxOffsetForLadderCheck = false;
    int m_scrollStartFraction = 0;
    int m_scrollDownEndPosY = 0;
    int m_scrollUpEndPosY = 0;
    int m_stateFrameCounter = 0;
    int m_acceleratingDuration = 0;
    int m_acceleratingPreviousAnimationDuration = 0;
    int m_deceleratingDuration = 0;
    int m_deceleratingPreviousAnimationDuration = 0;
    int m_invincibleDuration = 0;
    int m_landingDuration = 0;
    int m_reelingDuration = 0;
    int m_shootingDuration = 0;
    int m_shootingFrameCounter = 0;
    int m_invincibleFrameCounter = 0;
    int m_teleportStopPosY = 0;
    int m_heightHalf = 0;
    int m_boundingBoxXOffset = 0;
    int m_boundingBoxYOffset = 0;
    int m_bulletXOffsetLeft = 0;
    int m_bulletXOffsetRight = 0;
    int m_bulletYOffset = 0;
    StateHandler m_stateHandler = &Voltbot::teleportingStateHandler;
    Transition m_pendingTransition = nullptr;
    YCollisionResponse::type m_yCollisionResponse = YCollisionResponse::kHalt;
    Bitmap m_bulletBitmap;
    std::array<Bullet, kBulletCount> m_bullets;
    Level* m_level;
    Map* m_map;
    std::unique_ptr<Sprite> m_sprite;
    Rect m_boundingBox;
    Collider m_collider;
    LadderSonar m_ladderSonar;
    DebugInfo m_debugInfo;
};
