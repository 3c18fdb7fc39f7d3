// kestrelix-icon: makes the desktop icon from the game's own art. It cuts one cell out of
// a sprite sheet, enlarges it by the largest whole factor that fits, centres it on a
// transparent square and writes it as a PNG; the colour key becomes transparency.
//
//   kestrelix-icon <sheet.bmp> <x> <y> <width> <height> <size> <out.png>
//
// Problems are printed as "kestrelix-icon: <file>: <problem>" with status 1.

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <memory>
#include <string>

#include "config/loaderror.h"
#include "engine/gameengine.h"

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// The colour the game draws as transparent.
constexpr Uint32 kColourKey = 0xFF80FF;

int number(const char* text) {
    const std::string value = text;
    if (value.empty() || value.size() > 4 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        throw LoadError("kestrelix-icon", "'" + value + "' is not a size in pixels");
    }
    return std::stoi(value);
}

void makeIcon(const char* sheetPath, SDL_Rect cell, int size, const char* outPath) {
    // The same header check the game makes, so the icon is cut only from a picture it loads.
    GameEngine::checkBmpFile(sheetPath, 1);
    SurfacePtr loaded(SDL_LoadBMP(sheetPath));
    if (!loaded) {
        throw LoadError(sheetPath, SDL_GetError());
    }
    SurfacePtr sheet(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!sheet) {
        throw LoadError(sheetPath, SDL_GetError());
    }
    if (cell.w < 1 || cell.h < 1 || cell.x + cell.w > sheet->w || cell.y + cell.h > sheet->h) {
        throw LoadError(sheetPath, "has no cell of " + std::to_string(cell.w) + " x " +
                                       std::to_string(cell.h) + " at " + std::to_string(cell.x) +
                                       ", " + std::to_string(cell.y));
    }
    const int factor = std::min(size / cell.w, size / cell.h);
    if (factor < 1) {
        throw LoadError(outPath,
                        "an icon of " + std::to_string(size) + " pixels is smaller than the cell");
    }
    SurfacePtr icon(SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!icon) {
        throw LoadError(outPath, SDL_GetError());
    }
    const int left = (size - cell.w * factor) / 2;
    const int top = (size - cell.h * factor) / 2;
    for (int y = 0; y < size; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(icon->pixels) +
                                              static_cast<std::ptrdiff_t>(y) * icon->pitch);
        for (int x = 0; x < size; ++x) {
            Uint32 pixel = 0;  // fully transparent outside the cell
            const int cellX = (x - left) / factor;
            const int cellY = (y - top) / factor;
            if (x >= left && y >= top && cellX < cell.w && cellY < cell.h) {
                const auto* sheetRow = reinterpret_cast<const Uint32*>(
                    static_cast<const Uint8*>(sheet->pixels) +
                    static_cast<std::ptrdiff_t>(cell.y + cellY) * sheet->pitch);
                const Uint32 colour = sheetRow[cell.x + cellX] & 0xFFFFFF;
                pixel = colour == kColourKey ? 0 : (0xFF000000 | colour);
            }
            row[x] = pixel;
        }
    }
    if (IMG_SavePNG(icon.get(), outPath) != 0) {
        throw LoadError(outPath, std::string("cannot be written: ") + IMG_GetError());
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 8) {
        std::fprintf(stderr,
                     "kestrelix-icon: usage: kestrelix-icon <sheet.bmp> <x> <y> <width> <height> "
                     "<size> <out.png>\n");
        return 2;
    }
    try {
        const SDL_Rect cell{number(argv[2]), number(argv[3]), number(argv[4]), number(argv[5])};
        makeIcon(argv[1], cell, number(argv[6]), argv[7]);
        return 0;
    } catch (const LoadError& error) {
        std::fprintf(stderr, "kestrelix-icon: %s\n", error.what());
        return 1;
    }
}
