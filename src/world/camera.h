#pragma once

#include "engine/rect.h"

// The 256 x 240 view of the map. It follows a subject horizontally, clamped to the
// current boundary, and never follows vertically: its y changes only when a boundary is
// set (the view jumps to the boundary's top) or the level moves it during a screen scroll.
class Camera {
  public:
    struct Snapshot {
        Rect angleOfView;
        Rect currentBoundary;
    };

    Camera();

    Rect* getAngleOfView();
    int getScreenMappedXCoordinate(int x) const;
    int getScreenMappedYCoordinate(int y) const;
    bool isViewingSubject(Rect* subject) const;

    void move(int dx, int dy);
    void setCurrentBoundary(Rect boundary);
    void update(const Rect& subject);

    Snapshot snapshot() const { return {m_angleOfView, m_currentBoundary}; }
    void restore(const Snapshot& snapshot) {
        m_angleOfView = snapshot.angleOfView;
        m_currentBoundary = snapshot.currentBoundary;
    }

  private:
    Rect m_angleOfView;
    Rect m_currentBoundary;
};
