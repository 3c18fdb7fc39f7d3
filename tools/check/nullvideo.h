#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "engine/servicelocator.h"
#include "engine/videoservice.h"

// A video service that draws nothing. Loading a picture reads only its BMP header, so the
// game's loaders see the real sheet sizes (and refuse a missing file) without a display.
// Sizes are logical pixels: the multiplier is 1.
class NullVideo : public VideoService {
  public:
    void clearScreen() override {}
    void copyToBitmap(Bitmap&, Bitmap&, int, int, Rect*) override {}
    void copyToScreen(Bitmap&, int, int, Rect*) override {}
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap& bitmap) override { bitmap = Bitmap{}; }

    // The size of a picture loaded before, or {0, 0}.
    std::pair<int, int> sizeOf(const std::string& path) const;

  private:
    void give(Bitmap& bitmap, int width, int height);

    std::uintptr_t m_next = 0;
    std::map<std::string, std::pair<int, int>> m_sizes;
};

// Installs a NullVideo as the game's video service for the lifetime of the object and
// puts the previous one back afterwards.
class ScopedNullVideo {
  public:
    ScopedNullVideo() : m_previous(ServiceLocator::getVideoService()) {
        ServiceLocator::provideVideoService(&m_video);
    }
    ~ScopedNullVideo() { ServiceLocator::provideVideoService(m_previous); }
    ScopedNullVideo(const ScopedNullVideo&) = delete;
    ScopedNullVideo& operator=(const ScopedNullVideo&) = delete;
    NullVideo& video() { return m_video; }

  private:
    NullVideo m_video;
    VideoService* m_previous;
};

// Installs a given video service for the lifetime of the object.
class ScopedNullVideoFor {
  public:
    explicit ScopedNullVideoFor(VideoService* service)
        : m_previous(ServiceLocator::getVideoService()) {
        ServiceLocator::provideVideoService(service);
    }
    ~ScopedNullVideoFor() { ServiceLocator::provideVideoService(m_previous); }
    ScopedNullVideoFor(const ScopedNullVideoFor&) = delete;
    ScopedNullVideoFor& operator=(const ScopedNullVideoFor&) = delete;

  private:
    VideoService* m_previous;
};
