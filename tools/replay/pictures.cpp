// The replay tool's pictures. Like the tool's entry point, this file talks to SDL itself:
// it draws the overlays with the renderer's own primitives on top of what the game's code
// draws through the engine, reads the result back and writes it with SDL2_image.
#include "pictures.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "config/loaderror.h"
#include "engine/fixedpoint.h"
#include "engine/gameengine.h"
#include "gfx/font.h"
#include "states/level.h"
#include "world/camera.h"
#include "world/enemy.h"
#include "world/map.h"

namespace pictures {

namespace {

struct Colour {
    Uint8 r, g, b, a;
};

// Run colours in order: the first run yellow, the second cyan (both read on dark and
// light tiles, and apart from each other for colour-blind eyes too).
const Colour kRunColours[] = {{255, 214, 0, 255}, {0, 190, 255, 255}};
const Colour kBoundary = {255, 255, 255, 160};
const Colour kAbsent = {0, 0, 0, 150};
const Colour kEnemy = {255, 40, 40, 255};
const Colour kTeleport = {255, 64, 255, 255};
const Colour kPanel = {0, 0, 0, 190};
const Colour kText = {255, 255, 255, 255};
const Colour kGrid = {90, 90, 90, 255};

struct PlottableColumn {
    const char* name;
    int (*get)(const TraceRow& row);
};
const PlottableColumn kPlottable[] = {
    {"x", [](const TraceRow& r) { return r.x; }},
    {"y", [](const TraceRow& r) { return r.y; }},
    {"xSpeed", [](const TraceRow& r) { return r.xSpeed; }},
    {"ySpeed", [](const TraceRow& r) { return r.ySpeed; }},
    {"animation", [](const TraceRow& r) { return r.animation; }},
    {"belowFeet", [](const TraceRow& r) { return static_cast<int>(r.belowFeet); }},
    {"atFeet", [](const TraceRow& r) { return static_cast<int>(r.atFeet); }},
    {"atMiddle", [](const TraceRow& r) { return static_cast<int>(r.atMiddle); }},
    {"atHead", [](const TraceRow& r) { return static_cast<int>(r.atHead); }},
    {"aboveHead", [](const TraceRow& r) { return static_cast<int>(r.aboveHead); }},
    {"scrolling", [](const TraceRow& r) { return static_cast<int>(r.scrolling); }},
    {"viewX", [](const TraceRow& r) { return r.viewX; }},
    {"viewY", [](const TraceRow& r) { return r.viewY; }},
};

const PlottableColumn* findColumn(const std::string& name) {
    for (const PlottableColumn& column : kPlottable) {
        if (name == column.name) {
            return &column;
        }
    }
    return nullptr;
}

struct TextureDeleter {
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A picture being drawn: a render target of its own size, cleared to transparent.
class Canvas {
  public:
    Canvas(GameEngine& engine, int width, int height, const std::string& path)
        : m_engine(engine),
          m_renderer(engine.renderer()),
          m_width(width),
          m_height(height),
          m_path(path) {
        m_texture.reset(SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888,
                                          SDL_TEXTUREACCESS_TARGET, width, height));
        if (!m_texture) {
            throw LoadError(path, std::string("cannot be drawn: ") + SDL_GetError());
        }
        select();
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 0);
        SDL_RenderClear(m_renderer);
    }
    ~Canvas() { SDL_SetRenderTarget(m_renderer, nullptr); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void select() { SDL_SetRenderTarget(m_renderer, m_texture.get()); }
    SDL_Renderer* renderer() const { return m_renderer; }

    void colour(const Colour& c) {
        SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
        SDL_SetRenderDrawColor(m_renderer, c.r, c.g, c.b, c.a);
    }
    void fill(int x, int y, int w, int h, const Colour& c) {
        colour(c);
        const SDL_Rect rect{x, y, w, h};
        SDL_RenderFillRect(m_renderer, &rect);
    }
    void outline(int x, int y, int w, int h, const Colour& c) {
        colour(c);
        const SDL_Rect rect{x, y, w, h};
        SDL_RenderDrawRect(m_renderer, &rect);
    }
    void line(int x1, int y1, int x2, int y2, const Colour& c) {
        colour(c);
        SDL_RenderDrawLine(m_renderer, x1, y1, x2, y2);
    }

    // Text in the game's font, tinted: the font's glyphs are white, so the tint is exact.
    void text(Font& font, const std::string& text, int x, int y, const Colour& c) {
        std::string shown = text;
        for (char& ch : shown) {
            const bool known = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') ||
                               (ch >= 'A' && ch <= 'Z') || std::strchr(" -.,!?:'\"", ch) != nullptr;
            ch = ch == '=' ? ':' : known ? ch : ' ';
        }
        if (shown.empty()) {
            return;
        }
        Bitmap label;
        m_engine.createBitmap(label, font.m_characterWidth * static_cast<int>(shown.size()),
                              font.m_characterHeight);
        font.drawTextOnBitmap(shown, label, 0, 0);
        SDL_SetTextureColorMod(label.texture, c.r, c.g, c.b);
        select();
        m_engine.copyToScreen(label, x, y, nullptr);
        m_engine.unloadBitmap(label);
    }

    void save() {
        select();
        SurfacePtr surface(
            SDL_CreateRGBSurfaceWithFormat(0, m_width, m_height, 32, SDL_PIXELFORMAT_ARGB8888));
        if (!surface || SDL_RenderReadPixels(m_renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                             surface->pixels, surface->pitch) != 0) {
            throw LoadError(m_path, std::string("cannot be read back: ") + SDL_GetError());
        }
        if (IMG_SavePNG(surface.get(), m_path.c_str()) != 0) {
            throw LoadError(m_path, std::string("cannot be written: ") + IMG_GetError());
        }
    }

  private:
    GameEngine& m_engine;
    SDL_Renderer* m_renderer;
    int m_width;
    int m_height;
    std::string m_path;
    TexturePtr m_texture;
};

// The markers of the events on a path, centred on the player's position.
void marker(Canvas& canvas, RunEvents::Kind kind, int x, int y, const Colour& c) {
    switch (kind) {
        case RunEvents::Kind::kJump:
            canvas.fill(x - 2, y - 2, 5, 5, c);
            break;
        case RunEvents::Kind::kLanding:
            canvas.outline(x - 3, y - 3, 7, 7, c);
            break;
        case RunEvents::Kind::kScrollStart:
        case RunEvents::Kind::kScrollEnd:
            canvas.outline(x - 5, y - 1, 11, 3, c);
            break;
        case RunEvents::Kind::kRestart:
            canvas.line(x - 3, y - 3, x + 3, y + 3, c);
            canvas.line(x - 3, y + 3, x + 3, y - 3, c);
            break;
        case RunEvents::Kind::kHit:
            canvas.line(x - 4, y, x + 4, y, c);
            canvas.line(x, y - 4, x, y + 4, c);
            break;
        case RunEvents::Kind::kApex:
            break;
    }
}

void drawPath(Canvas& canvas, const PictureRun& run, const Colour& c) {
    for (std::size_t i = 1; i < run.rows.size(); ++i) {
        const TraceRow& from = run.rows[i - 1];
        const TraceRow& to = run.rows[i];
        // A restart puts the player back at the start: no line across the level.
        if (to.phase == "ready" && from.phase != "ready") {
            continue;
        }
        canvas.line(fixedpoint::pixel(from.x), fixedpoint::pixel(from.y), fixedpoint::pixel(to.x),
                    fixedpoint::pixel(to.y), c);
    }
    for (const RunEvents::Event& event : run.events.events()) {
        marker(canvas, event.kind, fixedpoint::pixel(event.x), fixedpoint::pixel(event.y), c);
    }
}

void drawLegend(Canvas& canvas, Font& font, const std::vector<const PictureRun*>& runs) {
    const int line = font.m_characterHeight + 4;
    const int width = 8 + 24 * font.m_characterWidth;
    canvas.fill(4, 4, width, 8 + line * (static_cast<int>(runs.size()) + 3), kPanel);
    int y = 8;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Colour& c = kRunColours[i % 2];
        canvas.fill(8, y + font.m_characterHeight / 2 - 1, 12, 3, c);
        std::string label = runs[i]->label;
        label.resize(std::min<std::size_t>(label.size(), 20));
        canvas.text(font, label, 24, y, c);
        y += line;
    }
    const struct {
        RunEvents::Kind kind;
        const char* name;
    } keys[] = {{RunEvents::Kind::kJump, "jump"},
                {RunEvents::Kind::kLanding, "landing"},
                {RunEvents::Kind::kScrollStart, "scroll"},
                {RunEvents::Kind::kRestart, "restart"}};
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        const int x = 8 + static_cast<int>(i % 2) * 12 * font.m_characterWidth;
        const int row = y + static_cast<int>(i / 2) * line;
        marker(canvas, keys[i].kind, x + 5, row + font.m_characterHeight / 2, kText);
        canvas.text(font, keys[i].name, x + 14, row, kText);
    }
}

}  // namespace

bool isPlottable(const std::string& column) {
    return findColumn(column) != nullptr;
}

void saveLevelPicture(GameEngine& engine, Level& level, const std::vector<const PictureRun*>& runs,
                      const std::string& path) {
    Map& map = *level.getMap();
    const int across = map.getScreensPerRow();
    const int down = across > 0 ? map.getScreenCount() / across : 0;
    Canvas canvas(engine, across * Map::kScreenWidth, down * Map::kScreenHeight, path);

    // Each present screen exactly as the game draws it when the view rests on it: the map's
    // own tile drawing, offset into the picture by the renderer's viewport.
    Camera camera;
    for (int n = 0; n < map.getScreenCount(); ++n) {
        if (!map.hasScreen(n)) {
            continue;
        }
        Rect* view = camera.getAngleOfView();
        view->x = n % across * Map::kScreenWidth;
        view->y = n / across * Map::kScreenHeight;
        const SDL_Rect port{view->x, view->y, Map::kScreenWidth, Map::kScreenHeight};
        SDL_RenderSetViewport(canvas.renderer(), &port);
        map.draw(camera);
    }
    SDL_RenderSetViewport(canvas.renderer(), nullptr);

    if (!runs.empty()) {
        for (int n = 0; n < map.getScreenCount(); ++n) {
            if (!map.hasScreen(n)) {
                canvas.fill(n % across * Map::kScreenWidth, n / across * Map::kScreenHeight,
                            Map::kScreenWidth, Map::kScreenHeight, kAbsent);
            }
        }
        for (int i = 0; i < map.getBoundaryCount(); ++i) {
            const Rect b = map.getBoundary(i);
            canvas.outline(b.x, b.y, b.w, b.h, kBoundary);
        }
        const int teleportX = map.getTeleportStartPosX();
        const int teleportY = map.getTeleportStopPosY();
        canvas.line(teleportX - 6, teleportY, teleportX + 6, teleportY, kTeleport);
        canvas.line(teleportX, teleportY - 6, teleportX, teleportY + 6, kTeleport);
        const Rect enemy = level.getEnemy()->getCollider().getBoundary();
        canvas.outline(enemy.x - 1, enemy.y - 1, enemy.w + 2, enemy.h + 2, kEnemy);

        for (std::size_t i = 0; i < runs.size(); ++i) {
            drawPath(canvas, *runs[i], kRunColours[i % 2]);
        }
        Font font("font.ini");
        drawLegend(canvas, font, runs);
    }
    canvas.save();
}

void savePlot(GameEngine& engine, const std::vector<const PictureRun*>& runs,
              const std::vector<std::string>& columns, const std::string& path) {
    constexpr int kLeft = 72;
    constexpr int kRight = 12;
    constexpr int kPanelHeight = 150;
    constexpr int kGap = 36;
    constexpr int kWidth = 720;
    const int height = 28 + static_cast<int>(columns.size()) * (kPanelHeight + kGap);
    Canvas canvas(engine, kWidth, height, path);
    canvas.fill(0, 0, kWidth, height, {16, 16, 24, 255});
    Font font("font.ini");
    const int charWidth = font.m_characterWidth;

    std::size_t frames = 1;
    for (const PictureRun* run : runs) {
        frames = std::max(frames, run->rows.size());
    }
    int legendX = kLeft;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        canvas.fill(legendX, 12, 12, 3, kRunColours[i % 2]);
        std::string label = runs[i]->label;
        label.resize(std::min<std::size_t>(label.size(), 36));
        canvas.text(font, label, legendX + 16, 9, kRunColours[i % 2]);
        legendX += 16 + (static_cast<int>(label.size()) + 3) * charWidth;
    }

    for (std::size_t p = 0; p < columns.size(); ++p) {
        const PlottableColumn& column = *findColumn(columns[p]);
        // Positions are plotted in pixels; y is drawn upward so a jump rises on the plot.
        const bool position = columns[p] == "x" || columns[p] == "y";
        const bool upward = columns[p] == "y";
        auto value = [&](const TraceRow& row) {
            return position ? fixedpoint::pixel(column.get(row)) : column.get(row);
        };
        int low = INT_MAX;
        int high = INT_MIN;
        for (const PictureRun* run : runs) {
            for (const TraceRow& row : run->rows) {
                low = std::min(low, value(row));
                high = std::max(high, value(row));
            }
        }
        if (low > high) {
            low = high = 0;
        }
        if (low == high) {
            --low;
            ++high;
        }
        const int top = 28 + static_cast<int>(p) * (kPanelHeight + kGap) + 14;
        const int plotWidth = kWidth - kLeft - kRight;
        auto toX = [&](std::size_t frame) {
            return kLeft + static_cast<int>(static_cast<long long>(frame) * (plotWidth - 1) /
                                            std::max<std::size_t>(frames - 1, 1));
        };
        auto toY = [&](int v) {
            const long long offset =
                static_cast<long long>(v - low) * (kPanelHeight - 1) / (high - low);
            return upward ? top + static_cast<int>(offset)
                          : top + kPanelHeight - 1 - static_cast<int>(offset);
        };
        canvas.outline(kLeft, top, plotWidth, kPanelHeight, kGrid);
        for (int tick = 1; tick < 4; ++tick) {
            const std::size_t frame = (frames - 1) * static_cast<std::size_t>(tick) / 4;
            canvas.line(toX(frame), top + 1, toX(frame), top + kPanelHeight - 2, {40, 40, 52, 255});
        }
        const std::string unit = position ? " px" : "";
        canvas.text(font, columns[p] + unit + (upward ? ", as on screen" : ""), kLeft, top - 12,
                    kText);
        const std::string highText = std::to_string(upward ? low : high);
        const std::string lowText = std::to_string(upward ? high : low);
        canvas.text(font, highText, kLeft - 4 - charWidth * static_cast<int>(highText.size()), top,
                    kText);
        canvas.text(font, lowText, kLeft - 4 - charWidth * static_cast<int>(lowText.size()),
                    top + kPanelHeight - font.m_characterHeight, kText);
        for (int tick = 0; tick <= 4; ++tick) {
            const std::size_t frame = (frames - 1) * static_cast<std::size_t>(tick) / 4;
            const std::string label = std::to_string(frame);
            const int x = std::min(toX(frame) - charWidth * static_cast<int>(label.size()) / 2,
                                   kWidth - 2 - charWidth * static_cast<int>(label.size()));
            canvas.text(font, label, std::max(x, kLeft), top + kPanelHeight + 4, kText);
        }
        canvas.text(font, "frame", kWidth - kRight - 5 * charWidth, top - 12, kGrid);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const std::vector<TraceRow>& rows = runs[i]->rows;
            for (std::size_t f = 1; f < rows.size(); ++f) {
                canvas.line(toX(f - 1), toY(value(rows[f - 1])), toX(f), toY(value(rows[f])),
                            kRunColours[i % 2]);
            }
        }
    }
    canvas.save();
}

}  // namespace pictures
