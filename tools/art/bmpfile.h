#pragma once

// Uncompressed 24-bit BMP files (BITMAPINFOHEADER, bottom-up rows padded to four bytes),
// the form the game's loader reads. The bytes depend on the pixels only, so regenerated
// files compare equal to committed ones.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Encodes width x height pixels given as 0xRRGGBB, top row first.
std::string encodeBmp(int width, int height, const std::vector<std::uint32_t>& pixels);

// Writes the bytes unless the file already holds exactly them (keeps its time stamp);
// throws LoadError if the file cannot be written.
void writeFileIfChanged(const std::filesystem::path& file, const std::string& bytes);
