#include "engine/nullvideo.h"

#include <algorithm>
#include <string>

#include "config/loaderror.h"
#include "engine/bmpfile.h"

NullVideo::NullVideo(int pixelMultiplier)
    : m_pixelMultiplier(std::max(pixelMultiplier, 1)), m_images(1) {}

void NullVideo::readBmpSize(const char* path, int& width, int& height) {
    // The engine's own check, at multiplier 1: a tool passes exactly what the game loads.
    const BmpFile file(path, 1);
    width = file.width();
    height = file.height();
}

void NullVideo::setImageSize(const std::string& path, int width, int height) {
    m_givenSizes[path] = {width, height};
}

void NullVideo::setFallbackSize(int width, int height) {
    m_fallbackSize = {width, height};
    m_hasFallback = true;
}

int NullVideo::handleOf(const Bitmap& bitmap) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(bitmap.texture));
}

const NullVideo::Image* NullVideo::imageOf(int handle) const {
    if (handle <= 0 || static_cast<std::size_t>(handle) >= m_images.size()) {
        return nullptr;
    }
    return &m_images[static_cast<std::size_t>(handle)];
}

void NullVideo::hand(Bitmap& bitmap, Image image) {
    bitmap.width = static_cast<std::uint16_t>(image.width);
    bitmap.height = static_cast<std::uint16_t>(image.height);
    image.live = true;
    m_images.push_back(std::move(image));
    ++m_liveCount;
    // A fake handle, never dereferenced: it only tells bitmaps apart.
    bitmap.texture = reinterpret_cast<SDL_Texture*>(  // NOLINT(performance-no-int-to-ptr)
        static_cast<std::uintptr_t>(m_images.size() - 1));
}

void NullVideo::createBitmap(Bitmap& bitmap, int width, int height) {
    const long long outputWidth = static_cast<long long>(width) * m_pixelMultiplier;
    const long long outputHeight = static_cast<long long>(height) * m_pixelMultiplier;
    // The engine refuses these; neither may a service that stands in for it hand one out.
    if (width < 1 || height < 1 || outputWidth > BmpFile::kMaxEnlargedSide ||
        outputHeight > BmpFile::kMaxEnlargedSide) {
        throw LoadError("createBitmap", "an image of " + std::to_string(width) + " x " +
                                            std::to_string(height) +
                                            " pixels cannot be made at pixel multiplier " +
                                            std::to_string(m_pixelMultiplier));
    }
    Image image;
    image.width = static_cast<int>(outputWidth);
    image.height = static_cast<int>(outputHeight);
    hand(bitmap, std::move(image));
}

void NullVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    Image image;
    image.path = path;
    int width = 0;
    int height = 0;
    const auto given = m_givenSizes.find(path);
    if (given != m_givenSizes.end() || m_hasFallback) {
        const std::pair<int, int> size =
            given != m_givenSizes.end() ? given->second : m_fallbackSize;
        width = size.first;
        height = size.second;
        if (width < 1 || height < 1) {
            throw LoadError(path, "cannot be opened");
        }
        if (static_cast<long long>(std::max(width, height)) * m_pixelMultiplier >
            BmpFile::kMaxEnlargedSide) {
            throw LoadError(path, "is too large to be enlarged " +
                                      std::to_string(m_pixelMultiplier) + " times");
        }
    } else {
        const BmpFile file(path, m_pixelMultiplier);
        width = file.width();
        height = file.height();
        image.fromFile = true;
    }
    m_sizes[path] = {width, height};
    image.width = width * m_pixelMultiplier;
    image.height = height * m_pixelMultiplier;
    hand(bitmap, std::move(image));
}

void NullVideo::unloadBitmap(Bitmap& bitmap) {
    const int handle = handleOf(bitmap);
    if (handle > 0 && static_cast<std::size_t>(handle) < m_images.size() &&
        m_images[static_cast<std::size_t>(handle)].live) {
        m_images[static_cast<std::size_t>(handle)].live = false;
        --m_liveCount;
    }
}

std::pair<int, int> NullVideo::sizeOf(const std::string& path) const {
    const auto found = m_sizes.find(path);
    return found == m_sizes.end() ? std::pair<int, int>{0, 0} : found->second;
}

bool NullVideo::hasSeeThroughPixels(Bitmap& bitmap, const Rect& area) {
    const Image* image = imageOf(handleOf(bitmap));
    if (image == nullptr || !image->fromFile) {
        return false;  // made, or sized without a file: no pixel was ever drawn into it
    }
    return BmpFile(image->path.c_str(), m_pixelMultiplier).hasSeeThroughPixels(area);
}
