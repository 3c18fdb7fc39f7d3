#include "bmpwriter.h"

#include <cstdlib>

namespace {

void appendLe(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::string headers(int width, int height, int bitsPerPixel, int paletteSize,
                    std::uint32_t pixelBytes) {
    const std::uint32_t offset = 14 + 40 + 4 * paletteSize;
    std::string bytes = "BM";
    appendLe(bytes, offset + pixelBytes, 4);
    appendLe(bytes, 0, 4);
    appendLe(bytes, offset, 4);
    appendLe(bytes, 40, 4);
    appendLe(bytes, static_cast<std::uint32_t>(width), 4);
    appendLe(bytes, static_cast<std::uint32_t>(height), 4);
    appendLe(bytes, 1, 2);
    appendLe(bytes, static_cast<std::uint32_t>(bitsPerPixel), 2);
    appendLe(bytes, 0, 4);  // uncompressed
    appendLe(bytes, pixelBytes, 4);
    appendLe(bytes, 2835, 4);
    appendLe(bytes, 2835, 4);
    appendLe(bytes, static_cast<std::uint32_t>(paletteSize), 4);
    appendLe(bytes, 0, 4);
    return bytes;
}

// Rows in file order: bottom-up unless the height is negative.
template <class WritePixel>
std::string rows(int width, int height, int bytesPerPixel, WritePixel writePixel) {
    const int count = std::abs(height);
    const int stride = (width * bytesPerPixel + 3) / 4 * 4;
    std::string bytes;
    for (int fileRow = 0; fileRow < count; ++fileRow) {
        const int y = height < 0 ? fileRow : count - 1 - fileRow;
        std::string row;
        for (int x = 0; x < width; ++x) {
            writePixel(row, y * width + x);
        }
        row.resize(static_cast<std::size_t>(stride), '\0');
        bytes += row;
    }
    return bytes;
}

}  // namespace

std::string bmp24(int width, int height, const std::vector<Rgb>& pixels) {
    const std::string data = rows(width, height, 3, [&](std::string& row, int index) {
        const Rgb& p = pixels[static_cast<std::size_t>(index)];
        row.push_back(static_cast<char>(p.b));
        row.push_back(static_cast<char>(p.g));
        row.push_back(static_cast<char>(p.r));
    });
    return headers(width, height, 24, 0, static_cast<std::uint32_t>(data.size())) + data;
}

std::string bmp8(int width, int height, const std::vector<Rgb>& palette,
                 const std::vector<std::uint8_t>& indices) {
    const std::string data = rows(width, height, 1, [&](std::string& row, int index) {
        row.push_back(static_cast<char>(indices[static_cast<std::size_t>(index)]));
    });
    std::string bytes = headers(width, height, 8, static_cast<int>(palette.size()),
                                static_cast<std::uint32_t>(data.size()));
    for (const Rgb& colour : palette) {
        bytes.push_back(static_cast<char>(colour.b));
        bytes.push_back(static_cast<char>(colour.g));
        bytes.push_back(static_cast<char>(colour.r));
        bytes.push_back('\0');
    }
    return bytes + data;
}

void putLe32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}
