#pragma once

#include <SDL.h>

#include <algorithm>
#include <utility>
#include <vector>

// The bare SDL companion of a level frame: the same screen copies (count, sizes, places)
// made from one texture, then present. The texture is made like a loaded picture: a
// colour-keyed surface, so it is blended like the game's pictures. Its left half is
// opaque, like the shipped tile sheets, and serves the tile-sized copies; its right half
// is about 60% colour key, like the sprite and font cells, and serves every other copy.
// So the blitter meets the same pixels and the difference left is the game's own work.
class BareCopies {
  public:
    BareCopies(SDL_Renderer* renderer, std::vector<SDL_Rect> copies, int tileSide)
        : m_renderer(renderer), m_copies(std::move(copies)), m_tileSide(tileSide) {
        for (const SDL_Rect& copy : m_copies) {
            m_half = std::max({m_half, copy.w, copy.h});
        }
        SDL_Surface* surface =
            SDL_CreateRGBSurfaceWithFormat(0, 2 * m_half, m_half, 24, SDL_PIXELFORMAT_BGR24);
        const Uint32 key = SDL_MapRGB(surface->format, 255, 128, 255);
        const Uint32 solid = SDL_MapRGB(surface->format, 40, 90, 160);
        SDL_FillRect(surface, nullptr, solid);
        // Transparent on both sides of a body in the middle 40% of each row.
        const int body = m_half * 2 / 5;
        SDL_Rect left{m_half, 0, (m_half - body) / 2, m_half};
        SDL_Rect right{m_half + (m_half - body) / 2 + body, 0, m_half, m_half};
        SDL_FillRect(surface, &left, key);
        SDL_FillRect(surface, &right, key);
        SDL_SetColorKey(surface, SDL_TRUE, key);
        m_texture = SDL_CreateTextureFromSurface(renderer, surface);
        SDL_FreeSurface(surface);
    }
    ~BareCopies() { SDL_DestroyTexture(m_texture); }
    BareCopies(const BareCopies&) = delete;
    BareCopies& operator=(const BareCopies&) = delete;

    void drawFrame() { drawFrame(m_copies); }

    // Another frame's copies from the same texture; each must be no larger than the
    // largest copy the texture was made for.
    void drawFrame(const std::vector<SDL_Rect>& copies) {
        for (const SDL_Rect& copy : copies) {
            const bool tile = copy.w == m_tileSide && copy.h == m_tileSide;
            const SDL_Rect from{tile ? 0 : m_half, 0, copy.w, copy.h};
            SDL_RenderCopy(m_renderer, m_texture, &from, &copy);
        }
        SDL_RenderPresent(m_renderer);
    }

    std::size_t copyCount() const { return m_copies.size(); }

  private:
    SDL_Renderer* m_renderer;
    std::vector<SDL_Rect> m_copies;
    int m_tileSide;
    int m_half = 1;
    SDL_Texture* m_texture = nullptr;
};
