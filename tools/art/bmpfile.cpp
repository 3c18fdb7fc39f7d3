#include "bmpfile.h"

#include <fstream>
#include <sstream>

#include "config/loaderror.h"

namespace {

constexpr int kHeaderBytes = 14 + 40;  // file header + BITMAPINFOHEADER
constexpr int kPixelsPerMetre = 2835;  // 72 dpi; fixed so the bytes never vary

void put16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

}  // namespace

std::string encodeBmp(int width, int height, const std::vector<std::uint32_t>& pixels) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::string out;
    out.reserve(kHeaderBytes + imageBytes);

    out += "BM";
    put32(out, kHeaderBytes + imageBytes);
    put32(out, 0);  // two reserved words
    put32(out, kHeaderBytes);

    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));  // positive: rows stored bottom-up
    put16(out, 1);                                   // planes
    put16(out, 24);                                  // bits per pixel
    put32(out, 0);                                   // BI_RGB, no compression
    put32(out, imageBytes);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, 0);  // no colour table
    put32(out, 0);

    for (int y = height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = pixels[static_cast<std::size_t>(y) * width + x];
            out.push_back(static_cast<char>(rgb & 0xFF));
            out.push_back(static_cast<char>((rgb >> 8) & 0xFF));
            out.push_back(static_cast<char>((rgb >> 16) & 0xFF));
        }
        out.append(rowBytes - (out.size() - start), '\0');
    }
    return out;
}

void writeFileIfChanged(const std::filesystem::path& file, const std::string& bytes) {
    {
        std::ifstream in(file, std::ios::binary);
        if (in) {
            std::ostringstream old;
            old << in.rdbuf();
            if (old.str() == bytes) {
                return;
            }
        }
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw LoadError(file.string(), "cannot write the file");
    }
}
