#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "engine/scopedvideo.h"
#include "engine/videoservice.h"

// The null video service, for runs without a picture: it draws nothing, records nothing
// and opens no window. The game's loaders only need the sizes of their pictures (the map refuses a
// tile sheet narrower than its tiles, the font divides its sheet into cells), so
// loadBitmap reads the real width and height from the BMP file's header. Sizes are those
// of pixel multiplier 1. Texture handles are distinct fakes that are never dereferenced.
class NullVideo : public VideoService {
  public:
    // Pictures are refused as the engine would refuse them at this multiplier (their
    // sizes are still those of multiplier 1).
    explicit NullVideo(int limitMultiplier = 1) : m_limitMultiplier(limitMultiplier) {}

    void clearScreen() override {}
    void copyToBitmap(Bitmap&, Bitmap&, int, int, Rect*) override {}
    void copyToScreen(Bitmap&, int, int, Rect*) override {}
    void copyToScreenWithAlpha(Bitmap&, int, int, Rect*, std::uint8_t) override {}
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap&) override {}
    // Read from the BMP file's pixels, for the loaders that decide at load what to clear.
    bool hasSeeThroughPixels(Bitmap& bitmap, const Rect& area) override;

    // Width and height of a BMP file from its header, checked as the engine checks it;
    // throws LoadError when the game would refuse the file.
    static void readBmpSize(const char* path, int& width, int& height);

    // The size of a picture loaded before, or {0, 0}: the content check compares sprite
    // rectangles with the sheets they are cut from.
    std::pair<int, int> sizeOf(const std::string& path) const;

  private:
    void assignHandle(Bitmap& bitmap);

    int m_limitMultiplier;
    std::uintptr_t m_nextHandle = 1;
    std::map<std::string, std::pair<int, int>> m_sizes;
    std::map<std::uintptr_t, std::string> m_paths;
};
