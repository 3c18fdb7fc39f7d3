#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "engine/rect.h"

// The one check of a BMP file's headers, shared by the engine and every tool: it reads
// the headers, compares them with the file's real size and the limits below, and refuses
// (LoadError) every file the engine would refuse, before SDL believes a lying header and
// sizes a buffer from it. No SDL here, so tools that run without a window use the same
// verdict. It can also tell which pictures of a sheet have pixels of the colour key.
class BmpFile {
  public:
    // Images wider or taller than this are refused.
    static constexpr int kMaxSide = 4096;
    // Bitmap keeps its sizes in 16 bits, after enlarging.
    static constexpr long long kMaxEnlargedSide = 0xFFFF;
    // An enlarged picture is held whole in 32-bit pixels while it is made. A run-length
    // coded file of a kilobyte can declare 4096 x 4096 pixels, which at multiplier 4 would
    // ask for a gigabyte; 64 M pixels (256 MB) still takes a 4096 x 4096 sheet at 2.
    static constexpr long long kMaxEnlargedPixels = 64LL * 1024 * 1024;

    // Reads and checks the headers for a picture to be enlarged pixelMultiplier times.
    BmpFile(const char* path, int pixelMultiplier);

    int width() const { return m_width; }
    // Rows, whichever way they are stored.
    int height() const { return m_height; }

    // Whether any pixel inside the area (in the file's own pixels) is drawn see-through,
    // that is has the colour key red 255, green 128, blue 255. Pixel formats this does not
    // decode (run-length coded, 16 and 32 bits, bit fields) answer true: clearing behind a
    // picture is always safe, skipping the clear is not.
    bool hasSeeThroughPixels(const Rect& area) const;

  private:
    // The checks that need more than the headers, each refusing what SDL refuses.
    void checkRunLengths(std::ifstream& file) const;
    void checkBitFields(std::ifstream& file) const;
    void checkPaletteIndices(std::ifstream& file, int width, int rows) const;

    std::string m_path;
    long long m_fileSize = 0;
    std::uint32_t m_pixelOffset = 0;
    std::uint32_t m_infoSize = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_topDown = false;
    std::uint32_t m_bitsPerPixel = 0;
    std::uint32_t m_compression = 0;
    std::uint32_t m_coloursUsed = 0;
};
