#include "engine/servicelocator.h"

VideoService* ServiceLocator::m_videoService = nullptr;

void ServiceLocator::provideVideoService(VideoService* service) {
    m_videoService = service;
}

VideoService* ServiceLocator::getVideoService() {
    return m_videoService;
}
