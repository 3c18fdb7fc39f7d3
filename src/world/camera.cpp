#include "world/camera.h"

#include "world/collider.h"

namespace {

constexpr int kViewWidth = 256;
constexpr int kViewHeight = 240;

}  // namespace

Camera::Camera() : m_angleOfView{0, 0, kViewWidth, kViewHeight}, m_currentBoundary{} {}

Rect* Camera::getAngleOfView() {
    return &m_angleOfView;
}

int Camera::getScreenMappedXCoordinate(int x) const {
    return x - m_angleOfView.x;
}

int Camera::getScreenMappedYCoordinate(int y) const {
    return y - m_angleOfView.y;
}

bool Camera::isViewingSubject(Rect* subject) const {
    Rect view = m_angleOfView;
    return Collider::areColliding(&view, subject);
}

void Camera::move(int dx, int dy) {
    m_angleOfView.x += dx;
    m_angleOfView.y += dy;
}

void Camera::setCurrentBoundary(Rect boundary) {
    m_currentBoundary = boundary;
    // Only the height jumps at once; x follows at the next update so the level can set the
    // boundary before the player has been placed.
    m_angleOfView.y = boundary.y;
}

void Camera::update(const Rect& subject) {
    const int target = subject.x + subject.w / 2 - kViewWidth / 2;
    const int rightLimit = m_currentBoundary.x + m_currentBoundary.w - kViewWidth;
    // Left limit first: a boundary narrower than the view is pinned to its right end.
    if (target < m_currentBoundary.x) {
        m_angleOfView.x = m_currentBoundary.x;
    } else if (target > rightLimit) {
        m_angleOfView.x = rightLimit;
    } else {
        m_angleOfView.x = target;
    }
}
