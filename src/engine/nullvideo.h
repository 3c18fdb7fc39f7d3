#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/scopedvideo.h"
#include "engine/videoservice.h"

// The null video service, for runs without a picture: it draws nothing and opens no window,
// but hands out bitmaps as the engine at the same pixel multiplier would: the same sizes in
// output pixels, the same refusals. The game's loaders only need the sizes of their pictures
// (the map refuses a tile sheet narrower than its tiles, the font divides its sheet into
// cells), so loadBitmap reads width and height from the BMP file through the engine's own
// header check. Texture handles are small distinct numbers, never dereferenced.
//
// Tests, fuzz targets and benchmarks that want to record, check or count what is drawn
// derive from this class, override the calls they watch and pass them on.
class NullVideo : public VideoService {
  public:
    explicit NullVideo(int pixelMultiplier = 1);

    void clearScreen() override {}
    void copyToBitmap(Bitmap&, Bitmap&, int, int, Rect*) override {}
    void copyToScreen(Bitmap&, int, int, Rect*) override {}
    void copyToScreenWithAlpha(Bitmap&, int, int, Rect*, std::uint8_t) override {}
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap& bitmap) override;
    int getPixelMultiplier() const override { return m_pixelMultiplier; }
    // Read from the BMP file's pixels, for the loaders that decide at load what to clear.
    bool hasSeeThroughPixels(Bitmap& bitmap, const Rect& area) override;

    // A size (the file's own pixels) that stands in for the file, which then need not exist:
    // tests and fuzz targets name pictures they never write. 0 x 0 makes the picture
    // unreadable, as a missing file is.
    void setImageSize(const std::string& path, int width, int height);
    // Pictures with no size given get this one instead of being read...
    void setFallbackSize(int width, int height);
    // ...or, as by default, are read from their files.
    void readPictureFiles() { m_hasFallback = false; }
    // For bitmaps handed out from now on.
    void setPixelMultiplier(int pixelMultiplier) {
        m_pixelMultiplier = std::max(pixelMultiplier, 1);
    }

    // Width and height of a BMP file from its header, checked as the engine checks it;
    // throws LoadError when the game would refuse the file.
    static void readBmpSize(const char* path, int& width, int& height);

    // The size (the file's own pixels) of a picture loaded before, or {0, 0}: the content
    // check compares sprite rectangles with the sheets they are cut from.
    std::pair<int, int> sizeOf(const std::string& path) const;

    // What this service knows of a bitmap it handed out.
    struct Image {
        int width = 0;  // output pixels
        int height = 0;
        bool live = false;      // not yet unloaded
        bool fromFile = false;  // sizes read from a BMP file, whose pixels can be asked
        std::string path;       // "" for made images
    };
    static int handleOf(const Bitmap& bitmap);
    // The image behind a handle, or null for a handle this service never gave out.
    const Image* imageOf(int handle) const;
    // Bitmaps loaded or made and not yet unloaded.
    int liveBitmaps() const { return m_liveCount; }

  private:
    void hand(Bitmap& bitmap, Image image);

    int m_pixelMultiplier;
    // Indexed by handle (handle 0 is no bitmap): a lookup per copy stays cheap in long runs.
    std::vector<Image> m_images;
    int m_liveCount = 0;
    std::map<std::string, std::pair<int, int>> m_givenSizes;
    std::pair<int, int> m_fallbackSize{0, 0};
    bool m_hasFallback = false;
    std::map<std::string, std::pair<int, int>> m_sizes;
};
