#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds BMP files byte by byte, the way a paint program writes them, so the engine's
// tests need no image files and can also make broken ones.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// A 24-bit image; pixels are given top row first. A negative height writes the rows
// top-down, as the format allows.
std::string bmp24(int width, int height, const std::vector<Rgb>& pixels);
// An 8-bit indexed image with its palette; indices top row first.
std::string bmp8(int width, int height, const std::vector<Rgb>& palette,
                 const std::vector<std::uint8_t>& indices);
// Overwrites a little-endian 32-bit field, to make a header lie.
void putLe32(std::string& bytes, std::size_t offset, std::uint32_t value);

// Offsets of the header fields the tests tamper with.
constexpr std::size_t kBmpWidthOffset = 18;
constexpr std::size_t kBmpHeightOffset = 22;
constexpr std::size_t kBmpCompressionOffset = 30;
