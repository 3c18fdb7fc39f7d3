#pragma once

#include <memory>

#include "engine/rect.h"
#include "gfx/sprite.h"
#include "world/collider.h"

class Camera;
class Voltbot;

// The level's one enemy: it stands at a fixed map position, plays the animation of
// enemy.ini and hurts the player on contact. It cannot be destroyed.
class Enemy {
  public:
    static constexpr int kX = 112;
    static constexpr int kY = 2104;  // screen row 8, resting on a floor whose top is 2112
    static constexpr int kWidth = 16;
    static constexpr int kHeight = 8;

    // The enemy never moves; only its animation runs.
    using Snapshot = Sprite::Snapshot;

    Enemy();
    ~Enemy();
    Enemy(const Enemy&) = delete;
    Enemy& operator=(const Enemy&) = delete;

    void update();
    void draw(Camera& camera);
    Collider getCollider() const;
    void hit(Voltbot* player);

    Snapshot snapshot() const;
    void restore(const Snapshot& snapshot);
    bool accepts(const Snapshot& snapshot) const;

  private:
    Rect m_boundingBox;
    Collider m_collider;
    std::unique_ptr<Sprite> m_sprite;
};
