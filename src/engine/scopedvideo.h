#pragma once

#include "engine/servicelocator.h"

class VideoService;

// Installs a video service in the ServiceLocator for the lifetime of the object and puts
// the previous one back: the one scope guard of the locator, for tests, tools, fuzz
// targets and benchmarks.
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
