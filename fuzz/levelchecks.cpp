#include "levelchecks.h"

#include <string>

#include "fuzzsupport.h"
#include "player/voltbot.h"
#include "states/level.h"
#include "world/camera.h"
#include "world/map.h"

namespace fuzz {

void LevelChecker::afterFrame(Level& level, bool updated) {
    const Level::Phase phase = level.getPhase();
    if (phase < Level::kReady || phase > Level::kAfterScrolling) {
        trap("unknown level phase " + std::to_string(phase));
    }
    Voltbot& player = *level.getPlayer();
    Map& map = *level.getMap();
    const int animation = player.getCurrentAnimationIndex();
    if (animation < 0 || animation >= Voltbot::kAnimationsNeeded) {
        trap("player animation " + std::to_string(animation));
    }
    int active = 0;
    for (int i = 0; i < Voltbot::kBulletCount; ++i) {
        active += player.getBullet(i).isActive() ? 1 : 0;
    }
    if (active > 3) {
        trap("more than three bullets");
    }
    const Rect boundary = map.getCurrentBoundary();
    const Rect view = *level.getCamera().getAngleOfView();
    // The camera catches up with a new boundary in the update after it was set, so only a
    // second update of play in a row is held to it; paused frames change nothing.
    const bool playing = phase == Level::kPlaying;
    if (updated && playing && m_wasPlaying && boundary.w >= view.w &&
        (view.x < boundary.x || view.x + view.w > boundary.x + boundary.w)) {
        trap("camera x " + std::to_string(view.x) + " outside the boundary from " +
             std::to_string(boundary.x) + " to " + std::to_string(boundary.x + boundary.w));
    }
    if (updated) {
        m_wasPlaying = playing;
    }
    if (m_playerInMap) {
        const long long width = static_cast<long long>(map.getScreensPerRow()) * Map::kScreenWidth;
        const long long rows =
            map.getScreenCount() / (map.getScreensPerRow() > 0 ? map.getScreensPerRow() : 1);
        const long long height = rows * Map::kScreenHeight;
        const int x = player.getX();
        const int y = player.getY();
        if (x < 0 || x >= width || y < -Map::kScreenHeight || y >= height + Map::kScreenHeight) {
            trap("player at (" + std::to_string(x) + ", " + std::to_string(y) +
                 ") outside the map of " + std::to_string(width) + " x " + std::to_string(height));
        }
    }
}

std::uint64_t stateHash(Level& level) {
    std::uint64_t hash = 1469598103934665603ULL;
    const auto mix = [&hash](long long value) {
        for (int i = 0; i < 8; ++i) {
            hash ^= (static_cast<unsigned long long>(value) >> (8 * i)) & 0xFF;
            hash *= 1099511628211ULL;
        }
    };
    Voltbot& player = *level.getPlayer();
    mix(level.getPhase());
    mix(level.getFrameCounter());
    mix(player.getXPosition());
    mix(player.getYPosition());
    mix(player.getXSpeed());
    mix(player.getYSpeed());
    mix(player.getMovementMode());
    mix(static_cast<int>(player.getState()));
    mix(player.getDirection());
    mix(player.getCurrentAnimationIndex());
    mix(player.getInvincibleFrameCounter());
    for (int i = 0; i < Voltbot::kBulletCount; ++i) {
        const Bullet& bullet = player.getBullet(i);
        mix(bullet.isActive());
        mix(bullet.getBoundingBox().x);
        mix(bullet.getBoundingBox().y);
    }
    const Rect view = *level.getCamera().getAngleOfView();
    mix(view.x);
    mix(view.y);
    mix(level.getMap()->getCurrentBoundaryIndex());
    return hash;
}

}  // namespace fuzz
