#pragma once

#include <cstdint>

#include "engine/rect.h"

struct SDL_Texture;

// An image held by the video service. Width and height are in output pixels, that is
// already multiplied by the pixel multiplier; every position handed to the service is
// logical. The record owns nothing: whoever loaded or created it calls unloadBitmap once.
struct Bitmap {
    SDL_Texture* texture = nullptr;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

// All drawing of the game goes through this interface, so that only the engine knows
// SDL and tests can record what is drawn. Coordinates and sizes are logical pixels of
// the 256 x 240 picture. A load that cannot be carried out throws LoadError.
class VideoService {
  public:
    virtual ~VideoService() = default;
    virtual void clearScreen() = 0;
    virtual void copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) = 0;
    virtual void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) = 0;
    // The same copy blended at the given opacity (0 invisible, 255 as copyToScreen): the
    // ghost of a second run is drawn see-through over the level.
    virtual void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                                       std::uint8_t alpha) = 0;
    virtual void createBitmap(Bitmap& bitmap, int width, int height) = 0;
    virtual void loadBitmap(Bitmap& bitmap, char const* path) = 0;
    virtual void unloadBitmap(Bitmap& bitmap) = 0;

    // The factor between logical and output pixels, so that loaders can name sizes in the
    // file's own pixels.
    virtual int getPixelMultiplier() const { return 1; }
    // Whether any pixel of the area (logical pixels) of a loaded image is see-through.
    // Asked at load only, never while drawing. The default suits services that paint
    // nothing: nothing shows through what they do not draw.
    virtual bool hasSeeThroughPixels(Bitmap& bitmap, const Rect& area) {
        (void)bitmap;
        (void)area;
        return false;
    }
};
