#include "engine/bmpfile.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "config/datafile.h"
#include "config/loaderror.h"

namespace {

// Header layout of a BMP file: a 14-byte file header, then an information header whose
// first field is its own size. 12 bytes is the oldest form (16-bit sizes); 40 and up
// share the fields read here.
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitfields = 3;
constexpr std::uint32_t kCompressionAlphaBitfields = 6;

constexpr unsigned char kKeyRed = 255;
constexpr unsigned char kKeyGreen = 128;
constexpr unsigned char kKeyBlue = 255;

std::uint32_t readLe16(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8;
}

std::uint32_t readLe32(const unsigned char* bytes) {
    return readLe16(bytes) | readLe16(bytes + 2) << 16;
}

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

BmpFile::BmpFile(const char* path, int pixelMultiplier) : m_path(path) {
    std::ifstream file = DataFile::open(path);
    file.seekg(0, std::ios::end);
    m_fileSize = static_cast<long long>(file.tellg());
    file.seekg(0);

    unsigned char header[kFileHeaderSize + kInfoHeaderSize] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const long long got = static_cast<long long>(file.gcount());

    if (got < 2 || header[0] != 'B' || header[1] != 'M') {
        throw LoadError(path, "is not a BMP file (it does not start with \"BM\")");
    }
    if (got < static_cast<long long>(kFileHeaderSize) + 4) {
        throw LoadError(path, "is too short for its headers");
    }
    m_pixelOffset = readLe32(header + 10);
    m_infoSize = readLe32(header + 14);
    if (m_infoSize != kCoreHeaderSize && m_infoSize < kInfoHeaderSize) {
        throw LoadError(path, "has an unknown header size of " + std::to_string(m_infoSize));
    }
    if (static_cast<long long>(kFileHeaderSize) + m_infoSize > m_fileSize ||
        got < static_cast<long long>(kFileHeaderSize) + std::min(m_infoSize, kInfoHeaderSize)) {
        throw LoadError(path, "is too short for its headers");
    }

    const unsigned char* info = header + kFileHeaderSize;
    long long width = 0;
    long long height = 0;
    if (m_infoSize == kCoreHeaderSize) {
        width = readLe16(info + 4);
        height = readLe16(info + 6);
        m_bitsPerPixel = readLe16(info + 10);
    } else {
        width = static_cast<std::int32_t>(readLe32(info + 4));
        // Negative: the rows are stored top-down.
        height = static_cast<std::int32_t>(readLe32(info + 8));
        m_bitsPerPixel = readLe16(info + 14);
        m_compression = readLe32(info + 16);
        m_coloursUsed = readLe32(info + 32);
    }

    const long long rows = std::llabs(height);
    if (width < 1 || width > kMaxSide || rows < 1 || rows > kMaxSide) {
        throw LoadError(path, "has a size of " + sizeText(width, height) + ", outside 1 to " +
                                  std::to_string(kMaxSide));
    }
    if (width * pixelMultiplier > kMaxEnlargedSide || rows * pixelMultiplier > kMaxEnlargedSide) {
        throw LoadError(path, "would be " +
                                  sizeText(width * pixelMultiplier, rows * pixelMultiplier) +
                                  " when enlarged, more than " + std::to_string(kMaxEnlargedSide));
    }
    const long long enlargedPixels = width * rows * pixelMultiplier * pixelMultiplier;
    if (enlargedPixels > kMaxEnlargedPixels) {
        throw LoadError(path, "would take " + std::to_string(enlargedPixels * 4 / (1024LL * 1024)) +
                                  " MB when enlarged " + std::to_string(pixelMultiplier) +
                                  " times, more than " +
                                  std::to_string(kMaxEnlargedPixels * 4 / (1024LL * 1024)) + " MB");
    }
    const std::uint32_t bits = m_bitsPerPixel;
    // SDL reads no 2-bit pictures.
    const bool knownDepth =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!knownDepth) {
        throw LoadError(path,
                        "has an unknown depth of " + std::to_string(bits) + " bits per pixel");
    }

    if (m_compression == kCompressionRle8 || m_compression == kCompressionRle4) {
        // Run-length coding exists only for its own depth; SDL refuses it on any other.
        const std::uint32_t codedDepth = m_compression == kCompressionRle8 ? 8 : 4;
        if (bits != codedDepth) {
            throw LoadError(path, "is run-length coded for " + std::to_string(codedDepth) +
                                      " bits per pixel, but has " + std::to_string(bits));
        }
        if (m_pixelOffset >= m_fileSize) {
            throw LoadError(path, "has its pixel data past the end of the file");
        }
        checkRunLengths(file);
    } else if (m_compression == kCompressionRgb || m_compression == kCompressionBitfields ||
               m_compression == kCompressionAlphaBitfields) {
        // Rows are padded to whole 32-bit words.
        const long long stride = (width * bits + 31) / 32 * 4;
        const long long end = static_cast<long long>(m_pixelOffset) + stride * rows;
        if (end > m_fileSize) {
            throw LoadError(path, "is truncated: its pixels need " + std::to_string(end) +
                                      " bytes, the file has " + std::to_string(m_fileSize));
        }
        if (m_compression != kCompressionRgb) {
            checkBitFields(file);
        } else if (bits <= 8) {
            checkPaletteIndices(file, static_cast<int>(width), static_cast<int>(rows));
        }
    } else {
        throw LoadError(path, "uses the unsupported compression " + std::to_string(m_compression));
    }
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(rows);
    m_topDown = height < 0;
}

void BmpFile::checkRunLengths(std::ifstream& file) const {
    // SDL reads the codes until the end-of-picture mark and fails when the data ends
    // first; this walks the same codes without drawing.
    std::vector<unsigned char> data(static_cast<std::size_t>(m_fileSize - m_pixelOffset));
    file.clear();
    file.seekg(static_cast<std::streamoff>(m_pixelOffset));
    file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    const bool rle8 = m_compression == kCompressionRle8;
    std::size_t at = 0;
    const auto next = [&](unsigned& value) {
        if (at >= data.size()) {
            return false;
        }
        value = data[at++];
        return true;
    };
    unsigned count = 0;
    unsigned code = 0;
    for (;;) {
        if (!next(count)) {
            break;
        }
        if (count != 0) {
            if (!next(code)) {
                break;
            }
            continue;
        }
        if (!next(code)) {
            break;
        }
        if (code == 1) {
            return;  // the end-of-picture mark
        }
        if (code == 0) {
            continue;  // end of a row
        }
        unsigned skip = 0;
        if (code == 2) {
            if (!next(skip) || !next(skip)) {
                break;
            }
            continue;
        }
        // Literal pixels, padded to an even number of bytes.
        const unsigned bytes = rle8 ? code : (code + 1) / 2;
        const unsigned padded = bytes + (bytes & 1);
        if (data.size() - at < padded) {
            break;
        }
        at += padded;
    }
    throw LoadError(m_path, "has run-length coded pixels that end without an end-of-picture mark");
}

void BmpFile::checkBitFields(std::ifstream& file) const {
    // The masks follow the 40-byte header (or are part of a longer one); SDL knows only
    // the usual layouts and refuses the others.
    unsigned char bytes[16] = {};
    file.clear();
    file.seekg(static_cast<std::streamoff>(kFileHeaderSize + kInfoHeaderSize));
    file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    const std::uint32_t red = readLe32(bytes);
    const std::uint32_t green = readLe32(bytes + 4);
    const std::uint32_t blue = readLe32(bytes + 8);
    const std::uint32_t alpha = m_infoSize >= 56 ? readLe32(bytes + 12) : 0;
    struct Layout {
        std::uint32_t bits, red, green, blue, alpha;
    };
    static const Layout kKnown[] = {
        {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},
        {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
        {32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0},
        {32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},
        {32, 0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF},
        {32, 0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF},
        {16, 0xF800, 0x07E0, 0x001F, 0},
        {16, 0x7C00, 0x03E0, 0x001F, 0},
        {16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    };
    for (const Layout& layout : kKnown) {
        if (layout.bits == m_bitsPerPixel && layout.red == red && layout.green == green &&
            layout.blue == blue && layout.alpha == alpha) {
            return;
        }
    }
    throw LoadError(m_path, "has colour bit fields the engine cannot read (" +
                                std::to_string(m_bitsPerPixel) + " bits per pixel)");
}

void BmpFile::checkPaletteIndices(std::ifstream& file, int width, int rows) const {
    const std::uint32_t bits = m_bitsPerPixel;
    const std::uint32_t colours = m_coloursUsed;
    if (colours == 0 || colours >= (1u << bits)) {
        return;  // every index has its colour
    }
    const long long stride = (static_cast<long long>(width) * bits + 31) / 32 * 4;
    std::vector<unsigned char> row(static_cast<std::size_t>(stride));
    file.clear();
    file.seekg(static_cast<std::streamoff>(m_pixelOffset));
    for (int y = 0; y < rows; ++y) {
        file.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size()));
        for (int x = 0; x < width; ++x) {
            const int bitOffset = x * static_cast<int>(bits);
            const int shift = 8 - static_cast<int>(bits) - bitOffset % 8;
            const unsigned index =
                (row[static_cast<std::size_t>(bitOffset / 8)] >> shift) & ((1u << bits) - 1);
            if (index >= colours) {
                throw LoadError(m_path, "has a pixel of colour " + std::to_string(index) +
                                            ", but its palette has only " +
                                            std::to_string(colours) + " colours");
            }
        }
    }
}

bool BmpFile::hasSeeThroughPixels(const Rect& area) const {
    const int bits = static_cast<int>(m_bitsPerPixel);
    // 32-bit pictures are left out too: whether SDL takes their fourth byte as alpha
    // depends on the whole picture.
    const bool decoded = m_compression == kCompressionRgb && (bits == 24 || bits <= 8);
    if (!decoded) {
        return true;
    }
    const int left = std::max(area.x, 0);
    const int top = std::max(area.y, 0);
    const int right = std::min(area.x + static_cast<int>(area.w), m_width);
    const int bottom = std::min(area.y + static_cast<int>(area.h), m_height);
    if (left >= right || top >= bottom) {
        return false;
    }

    std::ifstream file(m_path, std::ios::binary);
    // The palette of an indexed picture follows the information header: 3 bytes an entry
    // after the oldest header, 4 after the others (blue, green, red first).
    std::vector<bool> keyIndex;
    if (bits <= 8) {
        const std::size_t entries =
            m_coloursUsed != 0 && m_coloursUsed < (1u << bits) ? m_coloursUsed : (1u << bits);
        const std::size_t entrySize = m_infoSize == kCoreHeaderSize ? 3 : 4;
        std::vector<unsigned char> palette(entries * entrySize);
        file.seekg(static_cast<std::streamoff>(kFileHeaderSize + m_infoSize));
        file.read(reinterpret_cast<char*>(palette.data()),
                  static_cast<std::streamsize>(palette.size()));
        keyIndex.assign(std::size_t{1} << bits, false);
        for (std::size_t i = 0; i < entries && file; ++i) {
            const unsigned char* entry = palette.data() + i * entrySize;
            keyIndex[i] = entry[2] == kKeyRed && entry[1] == kKeyGreen && entry[0] == kKeyBlue;
        }
    }

    const long long stride = (static_cast<long long>(m_width) * bits + 31) / 32 * 4;
    std::vector<unsigned char> row(static_cast<std::size_t>(stride));
    bool seeThrough = false;
    for (int y = top; y < bottom; ++y) {
        const int stored = m_topDown ? y : m_height - 1 - y;
        file.seekg(static_cast<std::streamoff>(m_pixelOffset + stored * stride));
        file.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size()));
        if (!file) {
            return true;
        }
        for (int x = left; x < right; ++x) {
            if (bits <= 8) {
                const int bitOffset = x * bits;
                const int shift = 8 - bits - bitOffset % 8;
                const int index =
                    (row[static_cast<std::size_t>(bitOffset / 8)] >> shift) & ((1 << bits) - 1);
                seeThrough = seeThrough || keyIndex[static_cast<std::size_t>(index)];
                continue;
            }
            const unsigned char* pixel = row.data() + static_cast<std::size_t>(x) * (bits / 8);
            seeThrough = seeThrough ||
                         (pixel[2] == kKeyRed && pixel[1] == kKeyGreen && pixel[0] == kKeyBlue);
        }
    }
    return seeThrough;
}
