#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "engine/servicelocator.h"
#include "engine/videoservice.h"

// A video service for runs without a picture: it draws nothing, records nothing and opens
// no window. The game's loaders only need the sizes of their pictures (the map refuses a
// tile sheet narrower than its tiles, the font divides its sheet into cells), so
// loadBitmap reads the real width and height from the BMP file's header. Sizes are those
// of pixel multiplier 1. Texture handles are distinct fakes that are never dereferenced.
class HeadlessVideo : public VideoService {
  public:
    void clearScreen() override {}
    void copyToBitmap(Bitmap&, Bitmap&, int, int, Rect*) override {}
    void copyToScreen(Bitmap&, int, int, Rect*) override {}
    void copyToScreenWithAlpha(Bitmap&, int, int, Rect*, std::uint8_t) override {}
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap&) override {}

    // Width and height of a BMP file from its header; throws LoadError when the file
    // cannot be read or is not a BMP of a usable size.
    static void readBmpSize(const char* path, int& width, int& height);

    // The size of a picture loaded before, or {0, 0}: the content check compares sprite
    // rectangles with the sheets they are cut from.
    std::pair<int, int> sizeOf(const std::string& path) const;

  private:
    void assignHandle(Bitmap& bitmap);

    std::uintptr_t m_nextHandle = 1;
    std::map<std::string, std::pair<int, int>> m_sizes;
};

// Installs a video service for the lifetime of the object and puts the previous one back.
class ScopedVideo {
  public:
    explicit ScopedVideo(VideoService* service) : m_previous(ServiceLocator::getVideoService()) {
        ServiceLocator::provideVideoService(service);
    }
    ~ScopedVideo() { ServiceLocator::provideVideoService(m_previous); }
    ScopedVideo(const ScopedVideo&) = delete;
    ScopedVideo& operator=(const ScopedVideo&) = delete;

  private:
    VideoService* m_previous;
};
