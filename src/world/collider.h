#pragma once

#include "engine/rect.h"

// The overlap test of two boxes. A collider observes its owner's box through a pointer,
// so it always tests where the owner is now. Boxes are half-open: sharing an edge or a
// corner is no overlap.
class Collider {
  public:
    explicit Collider(Rect* boundary);

    static bool areColliding(Rect* a, Rect* b);
    bool collidesWith(Collider* other) const;
    Rect getBoundary() const;

  private:
    Rect* m_boundary;
};
