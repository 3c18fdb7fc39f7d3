#pragma once

#include <SDL.h>

#include <vector>

#include "engine/gameengine.h"

// Passes every call on to the real engine and notes where each screen copy lands and
// how large it is, in output pixels, so that a bare SDL loop can repeat exactly the same
// copies. Copies into images are counted separately: a frame should make none.
class CountingVideo : public VideoService {
  public:
    explicit CountingVideo(GameEngine& engine) : m_engine(engine) {}

    void clearScreen() override { m_engine.clearScreen(); }
    void copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) override {
        ++m_imageCopies;
        m_engine.copyToBitmap(source, target, x, y, sourceRect);
    }
    void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) override {
        noteScreenCopy(source, x, y, sourceRect);
        m_engine.copyToScreen(source, x, y, sourceRect);
    }
    void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                               std::uint8_t alpha) override {
        noteScreenCopy(source, x, y, sourceRect);
        m_engine.copyToScreenWithAlpha(source, x, y, sourceRect, alpha);
    }
    void createBitmap(Bitmap& bitmap, int width, int height) override {
        m_engine.createBitmap(bitmap, width, height);
    }
    void loadBitmap(Bitmap& bitmap, char const* path) override {
        m_engine.loadBitmap(bitmap, path);
    }
    void unloadBitmap(Bitmap& bitmap) override { m_engine.unloadBitmap(bitmap); }

    const std::vector<SDL_Rect>& screenCopies() const { return m_screenCopies; }
    int imageCopies() const { return m_imageCopies; }

  private:
    void noteScreenCopy(const Bitmap& source, int x, int y, const Rect* sourceRect) {
        const int m = m_engine.getPixelMultiplier();
        SDL_Rect to{x * m, y * m, source.width, source.height};
        if (sourceRect != nullptr) {
            to.w = sourceRect->w * m;
            to.h = sourceRect->h * m;
        }
        m_screenCopies.push_back(to);
    }

    GameEngine& m_engine;
    std::vector<SDL_Rect> m_screenCopies;
    int m_imageCopies = 0;
};
