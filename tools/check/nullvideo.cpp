#include "nullvideo.h"

#include <cstdlib>
#include <fstream>

#include "config/loaderror.h"

void NullVideo::createBitmap(Bitmap& bitmap, int width, int height) {
    give(bitmap, width, height);
}

void NullVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw LoadError(path, "cannot be opened");
    }
    unsigned char header[26] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'B' ||
        header[1] != 'M') {
        throw LoadError(path, "is not a BMP picture");
    }
    const auto int32 = [&](int at) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(header[at]) |
                                         static_cast<std::uint32_t>(header[at + 1]) << 8 |
                                         static_cast<std::uint32_t>(header[at + 2]) << 16 |
                                         static_cast<std::uint32_t>(header[at + 3]) << 24);
    };
    const long long width = int32(18);
    // A negative height marks a top-down picture; the size is the same.
    const long long height = std::llabs(static_cast<long long>(int32(22)));
    if (width < 1 || width > 65535 || height < 1 || height > 65535) {
        throw LoadError(path, "has an unusable size");
    }
    give(bitmap, static_cast<int>(width), static_cast<int>(height));
    m_sizes[path] = {static_cast<int>(width), static_cast<int>(height)};
}

std::pair<int, int> NullVideo::sizeOf(const std::string& path) const {
    const auto found = m_sizes.find(path);
    return found == m_sizes.end() ? std::pair<int, int>{0, 0} : found->second;
}

void NullVideo::give(Bitmap& bitmap, int width, int height) {
    // Never dereferenced: a distinct non-null handle, so code that tests for a loaded
    // bitmap sees one.
    bitmap.texture = reinterpret_cast<SDL_Texture*>(++m_next);
    bitmap.width = static_cast<std::uint16_t>(width);
    bitmap.height = static_cast<std::uint16_t>(height);
}
