#include "world/collider.h"

#include <cstdint>

Collider::Collider(Rect* boundary) : m_boundary(boundary) {}

bool Collider::areColliding(Rect* a, Rect* b) {
    // Sizes widen to 32-bit signed before the sums, so a 65535-wide box cannot wrap.
    const std::int32_t aRight = a->x + static_cast<std::int32_t>(a->w);
    const std::int32_t aBottom = a->y + static_cast<std::int32_t>(a->h);
    const std::int32_t bRight = b->x + static_cast<std::int32_t>(b->w);
    const std::int32_t bBottom = b->y + static_cast<std::int32_t>(b->h);
    return b->y < aBottom && a->y < bBottom && b->x < aRight && a->x < bRight;
}

bool Collider::collidesWith(Collider* other) const {
    return areColliding(m_boundary, other->m_boundary);
}

Rect Collider::getBoundary() const {
    return *m_boundary;
}
