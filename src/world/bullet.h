#pragma once

#include <cstdint>

#include "engine/direction.h"
#include "engine/rect.h"

class Camera;
struct Bitmap;

// One shot of the player: flies straight at a fixed speed and is gone once the camera no
// longer sees it. Bullets are preallocated by their owner and reused.
class Bullet {
  public:
    // Everything a bullet changes while it flies.
    struct Snapshot {
        std::int32_t direction;
        std::int32_t active;
        Rect boundingBox;
    };

    static constexpr int kSpeed = 4;  // whole pixels per frame, no fraction
    static constexpr int kSize = 8;   // width and height of the box used for visibility

    Bullet();

    // False, with nothing changed, when the bullet is already flying.
    bool activate(int x, int y, Direction::type direction);
    void deactivate();
    void update(Camera& camera);
    void draw(Bitmap& bitmap, Camera& camera);

    Snapshot snapshot() const;
    void restore(const Snapshot& snapshot);

    bool isActive() const { return m_active; }
    const Rect& getBoundingBox() const { return m_boundingBox; }
    Direction::type getDirection() const { return m_direction; }

  private:
    Direction::type m_direction;
    bool m_active;
    Rect m_boundingBox;
};
