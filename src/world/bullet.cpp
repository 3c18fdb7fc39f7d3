#include "world/bullet.h"

#include "engine/servicelocator.h"
#include "engine/videoservice.h"
#include "world/camera.h"

Bullet::Bullet()
    : m_direction(Direction::kNone), m_active(false), m_boundingBox{0, 0, kSize, kSize} {}

bool Bullet::activate(int x, int y, Direction::type direction) {
    if (m_active) {
        return false;
    }
    m_boundingBox.x = x;
    m_boundingBox.y = y;
    m_direction = direction;
    m_active = true;
    return true;
}

void Bullet::deactivate() {
    m_active = false;
}

void Bullet::update(Camera& camera) {
    if (!m_active) {
        return;
    }
    if (m_direction == Direction::kRight) {
        m_boundingBox.x += kSpeed;
    } else if (m_direction == Direction::kLeft) {
        m_boundingBox.x -= kSpeed;
    }
    m_active = camera.isViewingSubject(&m_boundingBox);
}

void Bullet::draw(Bitmap& bitmap, Camera& camera) {
    if (!m_active) {
        return;
    }
    ServiceLocator::getVideoService()->copyToScreen(
        bitmap, camera.getScreenMappedXCoordinate(m_boundingBox.x),
        camera.getScreenMappedYCoordinate(m_boundingBox.y), nullptr);
}

Bullet::Snapshot Bullet::snapshot() const {
    return {m_direction, m_active ? 1 : 0, m_boundingBox};
}

void Bullet::restore(const Snapshot& snapshot) {
    m_direction = static_cast<Direction::type>(snapshot.direction);
    m_active = snapshot.active != 0;
    m_boundingBox = snapshot.boundingBox;
}
