#pragma once

#include <SDL.h>

#include <vector>

#include "engine/nullvideo.h"
#include "states/level.h"

// The null video service noting, frame by frame, whether the screen is cleared and where
// each screen copy lands and how large it is, in output pixels, so that a bare SDL loop
// can repeat exactly the same copies. Copies into images are counted apart: a frame should
// make none. Calls before the first beginFrame (loading) are not noted. Installed for one
// draw of a level the engine loaded, it notes that frame's copies without making them.
class CountingVideo : public NullVideo {
  public:
    struct Frame {
        bool cleared = false;
        std::vector<SDL_Rect> copies;
        int imageCopies = 0;
    };

    explicit CountingVideo(int pixelMultiplier) : NullVideo(pixelMultiplier) {}

    void beginFrame() { m_frames.emplace_back(); }
    void clearScreen() override {
        if (!m_frames.empty()) {
            m_frames.back().cleared = true;
        }
    }
    void copyToBitmap(Bitmap&, Bitmap&, int, int, Rect*) override {
        if (!m_frames.empty()) {
            ++m_frames.back().imageCopies;
        }
    }
    void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) override {
        if (m_frames.empty()) {
            return;
        }
        // Sizes of bitmaps are output pixels already, whichever service loaded them.
        const int m = getPixelMultiplier();
        SDL_Rect to{x * m, y * m, source.width, source.height};
        if (sourceRect != nullptr) {
            to.w = sourceRect->w * m;
            to.h = sourceRect->h * m;
        }
        m_frames.back().copies.push_back(to);
    }
    void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                               std::uint8_t) override {
        copyToScreen(source, x, y, sourceRect);
    }

    const std::vector<Frame>& frames() const { return m_frames; }

  private:
    std::vector<Frame> m_frames;
};

// One draw of a level, noted instead of made: the service in place before (the engine that
// loaded the level) is put back afterwards.
inline CountingVideo::Frame countedDraw(Level& level, int pixelMultiplier) {
    CountingVideo counting(pixelMultiplier);
    const ScopedVideo provided(&counting);
    counting.beginFrame();
    level.draw();
    return counting.frames().back();
}
