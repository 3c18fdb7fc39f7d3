#include "engine/nullvideo.h"

#include <string>

#include "config/loaderror.h"
#include "engine/bmpfile.h"

namespace {

// Bitmap keeps its sizes in 16 bits.
constexpr long kMaxSide = 0xFFFF;

}  // namespace

void NullVideo::readBmpSize(const char* path, int& width, int& height) {
    // The engine's own check, at multiplier 1: a tool passes exactly what the game loads.
    const BmpFile file(path, 1);
    width = file.width();
    height = file.height();
}

void NullVideo::assignHandle(Bitmap& bitmap) {
    // A fake handle, never dereferenced: it only tells bitmaps apart.
    bitmap.texture =
        reinterpret_cast<SDL_Texture*>(m_nextHandle++);  // NOLINT(performance-no-int-to-ptr)
}

void NullVideo::createBitmap(Bitmap& bitmap, int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        throw LoadError("createBitmap", "an image of " + std::to_string(width) + " x " +
                                            std::to_string(height) + " pixels cannot be made");
    }
    assignHandle(bitmap);
    bitmap.width = static_cast<std::uint16_t>(width);
    bitmap.height = static_cast<std::uint16_t>(height);
}

void NullVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    const BmpFile file(path, m_limitMultiplier);
    const int width = file.width();
    const int height = file.height();
    m_sizes[path] = {width, height};
    assignHandle(bitmap);
    m_paths[reinterpret_cast<std::uintptr_t>(bitmap.texture)] = path;
    bitmap.width = static_cast<std::uint16_t>(width);
    bitmap.height = static_cast<std::uint16_t>(height);
}

std::pair<int, int> NullVideo::sizeOf(const std::string& path) const {
    const auto found = m_sizes.find(path);
    return found == m_sizes.end() ? std::pair<int, int>{0, 0} : found->second;
}

bool NullVideo::hasSeeThroughPixels(Bitmap& bitmap, const Rect& area) {
    const auto found = m_paths.find(reinterpret_cast<std::uintptr_t>(bitmap.texture));
    if (found == m_paths.end()) {
        return false;  // made with createBitmap: nothing is ever drawn into it here
    }
    return BmpFile(found->second.c_str(), 1).hasSeeThroughPixels(area);
}
