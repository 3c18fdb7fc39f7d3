#include "common/headlessvideo.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include "config/loaderror.h"

namespace {

// Bitmap keeps its sizes in 16 bits.
constexpr long kMaxSide = 0xFFFF;

std::uint32_t le16(const unsigned char* b) {
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8;
}

std::uint32_t le32(const unsigned char* b) {
    return le16(b) | le16(b + 2) << 16;
}

}  // namespace

void HeadlessVideo::readBmpSize(const char* path, int& width, int& height) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw LoadError(path, "cannot be opened");
    }
    // 14-byte file header, then an information header that starts with its own size.
    unsigned char header[26] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (in.gcount() < 2 || header[0] != 'B' || header[1] != 'M') {
        throw LoadError(path, "is not a BMP file (it does not start with \"BM\")");
    }
    if (in.gcount() < static_cast<std::streamsize>(sizeof header)) {
        throw LoadError(path, "is too short for its headers");
    }
    const std::uint32_t infoSize = le32(header + 14);
    long w = 0;
    long h = 0;
    if (infoSize == 12) {
        w = static_cast<long>(le16(header + 18));
        h = static_cast<long>(le16(header + 20));
    } else {
        w = static_cast<std::int32_t>(le32(header + 18));
        // Negative: the rows are stored top-down.
        h = std::labs(static_cast<long>(static_cast<std::int32_t>(le32(header + 22))));
    }
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) {
        throw LoadError(path,
                        "has an unusable size of " + std::to_string(w) + " x " + std::to_string(h));
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
}

void HeadlessVideo::assignHandle(Bitmap& bitmap) {
    bitmap.texture = reinterpret_cast<SDL_Texture*>(m_nextHandle++);
}

void HeadlessVideo::createBitmap(Bitmap& bitmap, int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        throw LoadError("createBitmap", "an image of " + std::to_string(width) + " x " +
                                            std::to_string(height) + " pixels cannot be made");
    }
    assignHandle(bitmap);
    bitmap.width = static_cast<std::uint16_t>(width);
    bitmap.height = static_cast<std::uint16_t>(height);
}

void HeadlessVideo::loadBitmap(Bitmap& bitmap, char const* path) {
    int width = 0;
    int height = 0;
    readBmpSize(path, width, height);
    m_sizes[path] = {width, height};
    assignHandle(bitmap);
    bitmap.width = static_cast<std::uint16_t>(width);
    bitmap.height = static_cast<std::uint16_t>(height);
}

std::pair<int, int> HeadlessVideo::sizeOf(const std::string& path) const {
    const auto found = m_sizes.find(path);
    return found == m_sizes.end() ? std::pair<int, int>{0, 0} : found->second;
}
