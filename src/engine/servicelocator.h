#pragma once

class VideoService;

// The one global access point of the game: the video service. Callers fetch it each
// time they load or draw and never keep the pointer.
class ServiceLocator {
  public:
    static void provideVideoService(VideoService* service);
    static VideoService* getVideoService();

  private:
    static VideoService* m_videoService;
};
