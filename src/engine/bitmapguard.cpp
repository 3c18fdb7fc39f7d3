#include "engine/bitmapguard.h"

#include "engine/servicelocator.h"
#include "engine/videoservice.h"

BitmapGuard::~BitmapGuard() {
    for (Bitmap* bitmap : m_watched) {
        if (bitmap->texture != nullptr) {
            ServiceLocator::getVideoService()->unloadBitmap(*bitmap);
        }
    }
}
