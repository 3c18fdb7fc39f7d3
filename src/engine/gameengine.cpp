#include "engine/gameengine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "config/datafolder.h"
#include "config/inidictionary.h"
#include "config/loaderror.h"

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

constexpr std::uint8_t kKeyRed = 255;
constexpr std::uint8_t kKeyGreen = 128;
constexpr std::uint8_t kKeyBlue = 255;

constexpr int kScreenWidth = 256;
constexpr int kScreenHeight = 240;
constexpr long long kMaxBitmapSide = 0xFFFF;  // Bitmap keeps its sizes in 16 bits
// An enlarged picture is held whole in 32-bit pixels while it is made. A run-length coded
// file of a kilobyte can declare 4096 x 4096 pixels, which at multiplier 4 would ask for a
// gigabyte; 64 M pixels (256 MB) still takes a 4096 x 4096 sheet at multiplier 2.
constexpr long long kMaxEnlargedPixels = 64LL * 1024 * 1024;

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

GameEngine::GameEngine() : GameEngine(0) {}

GameEngine::GameEngine(int pixelMultiplier) {
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
        failConstruction("SDL_Init", SDL_GetError());
    }
    // Without controller support the game still plays from the keyboard.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        SDL_ClearError();
    }
    SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
    SDL_EventState(SDL_MOUSEBUTTONDOWN, SDL_IGNORE);
    SDL_EventState(SDL_MOUSEBUTTONUP, SDL_IGNORE);

    if (pixelMultiplier == 0) {
        const IniDictionary settings = DataFolder::readSettings();
        m_pixelMultiplier = settings.getIntValue("pixelMultiplier", "Video", 1);
        if (m_pixelMultiplier < 1 || m_pixelMultiplier > kMaxPixelMultiplier) {
            failConstruction(settings.pathOf("pixelMultiplier", "Video"),
                             "pixelMultiplier " + std::to_string(m_pixelMultiplier) +
                                 " is outside 1 to " + std::to_string(kMaxPixelMultiplier));
        }
        try {
            m_bindings = KeyBindings(settings);
        } catch (const LoadError& error) {
            failConstruction(error.file(), error.problem());
        }
    } else if (pixelMultiplier < 1 || pixelMultiplier > kMaxPixelMultiplier) {
        failConstruction("GameEngine", "pixel multiplier " + std::to_string(pixelMultiplier) +
                                           " is outside 1 to " +
                                           std::to_string(kMaxPixelMultiplier));
    } else {
        m_pixelMultiplier = pixelMultiplier;
    }

    m_window = SDL_CreateWindow("Kestrelix", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                kScreenWidth * m_pixelMultiplier, kScreenHeight * m_pixelMultiplier,
                                SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (m_window == nullptr) {
        failConstruction("SDL_CreateWindow", SDL_GetError());
    }
    // No vsync: the loop paces itself, and presenting must not wait for the display.
    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_TARGETTEXTURE);
    if (m_renderer == nullptr) {
        failConstruction("SDL_CreateRenderer", SDL_GetError());
    }
}

GameEngine::~GameEngine() {
    releaseSdl();
}

void GameEngine::releaseSdl() {
    for (Pad& pad : m_pads) {
        if (pad.controller != nullptr) {
            SDL_GameControllerClose(pad.controller);
            pad = Pad{};
        }
    }
    if (m_frame != nullptr) {
        SDL_DestroyTexture(m_frame);
        m_frame = nullptr;
    }
    if (m_renderer != nullptr) {
        SDL_DestroyRenderer(m_renderer);
        m_renderer = nullptr;
    }
    if (m_window != nullptr) {
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }
    SDL_Quit();
}

void GameEngine::failConstruction(const std::string& what, const std::string& problem) {
    // The destructor does not run for a constructor that throws, so undo here what exists.
    releaseSdl();
    throw LoadError(what, problem);
}

void GameEngine::clearScreen() {
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(m_renderer);
}

SDL_Rect GameEngine::sourceRectangle(const Bitmap& source, const Rect* sourceRect) const {
    if (sourceRect == nullptr) {
        return SDL_Rect{0, 0, source.width, source.height};
    }
    const int m = m_pixelMultiplier;
    return SDL_Rect{sourceRect->x * m, sourceRect->y * m, sourceRect->w * m, sourceRect->h * m};
}

void GameEngine::copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) {
    SDL_SetRenderTarget(m_renderer, target.texture);
    copyToScreen(source, x, y, sourceRect);
    SDL_SetRenderTarget(m_renderer, frameTarget());
}

void GameEngine::copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) {
    const SDL_Rect from = sourceRectangle(source, sourceRect);
    // Same size as the source: the renderer never stretches, every image is already enlarged.
    const SDL_Rect to{x * m_pixelMultiplier, y * m_pixelMultiplier, from.w, from.h};
    SDL_RenderCopy(m_renderer, source.texture, &from, &to);
}

void GameEngine::createBitmap(Bitmap& bitmap, int width, int height) {
    const long long outputWidth = static_cast<long long>(width) * m_pixelMultiplier;
    const long long outputHeight = static_cast<long long>(height) * m_pixelMultiplier;
    if (width < 1 || height < 1 || outputWidth > kMaxBitmapSide || outputHeight > kMaxBitmapSide) {
        throw LoadError("createBitmap", "an image of " + sizeText(width, height) +
                                            " pixels cannot be made at pixel multiplier " +
                                            std::to_string(m_pixelMultiplier));
    }
    SDL_Texture* texture =
        SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                          static_cast<int>(outputWidth), static_cast<int>(outputHeight));
    if (texture == nullptr) {
        throw LoadError("SDL_CreateTexture", SDL_GetError());
    }
    // Its untouched pixels must stay see-through wherever the image is drawn.
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetRenderTarget(m_renderer, texture);
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 0);
    SDL_RenderClear(m_renderer);
    SDL_SetRenderTarget(m_renderer, frameTarget());

    bitmap.texture = texture;
    bitmap.width = static_cast<std::uint16_t>(outputWidth);
    bitmap.height = static_cast<std::uint16_t>(outputHeight);
}

void GameEngine::checkBmpFile(const char* path, int pixelMultiplier) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        throw LoadError(path, "cannot be opened");
    }
    const long long fileSize = static_cast<long long>(file.tellg());
    file.seekg(0);

    unsigned char header[kFileHeaderSize + kInfoHeaderSize] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const long long got = static_cast<long long>(file.gcount());

    if (got < 2 || header[0] != 'B' || header[1] != 'M') {
        throw LoadError(path, "is not a BMP file (it does not start with \"BM\")");
    }
    if (got < static_cast<long long>(kFileHeaderSize + 4)) {
        throw LoadError(path, "is too short for its headers");
    }
    const std::uint32_t pixelOffset = readLe32(header + 10);
    const std::uint32_t infoSize = readLe32(header + 14);
    if (infoSize != kCoreHeaderSize && infoSize < kInfoHeaderSize) {
        throw LoadError(path, "has an unknown header size of " + std::to_string(infoSize));
    }
    if (static_cast<long long>(kFileHeaderSize) + infoSize > fileSize ||
        got < static_cast<long long>(kFileHeaderSize + std::min(infoSize, kInfoHeaderSize))) {
        throw LoadError(path, "is too short for its headers");
    }

    const unsigned char* info = header + kFileHeaderSize;
    long long width = 0;
    long long height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = kCompressionRgb;
    if (infoSize == kCoreHeaderSize) {
        width = readLe16(info + 4);
        height = readLe16(info + 6);
        bitsPerPixel = readLe16(info + 10);
    } else {
        width = static_cast<std::int32_t>(readLe32(info + 4));
        // Negative: the rows are stored top-down.
        height = static_cast<std::int32_t>(readLe32(info + 8));
        bitsPerPixel = readLe16(info + 14);
        compression = readLe32(info + 16);
    }

    const long long rows = std::llabs(height);
    if (width < 1 || width > kMaxBmpSide || rows < 1 || rows > kMaxBmpSide) {
        throw LoadError(path, "has a size of " + sizeText(width, height) + ", outside 1 to " +
                                  std::to_string(kMaxBmpSide));
    }
    if (width * pixelMultiplier > kMaxBitmapSide || rows * pixelMultiplier > kMaxBitmapSide) {
        throw LoadError(path, "would be " +
                                  sizeText(width * pixelMultiplier, rows * pixelMultiplier) +
                                  " when enlarged, more than " + std::to_string(kMaxBitmapSide));
    }
    const long long enlargedPixels = width * rows * pixelMultiplier * pixelMultiplier;
    if (enlargedPixels > kMaxEnlargedPixels) {
        throw LoadError(path, "would take " + std::to_string(enlargedPixels * 4 / (1024 * 1024)) +
                                  " MB when enlarged " + std::to_string(pixelMultiplier) +
                                  " times, more than " +
                                  std::to_string(kMaxEnlargedPixels * 4 / (1024 * 1024)) + " MB");
    }
    const bool knownDepth = bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 4 ||
                            bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 ||
                            bitsPerPixel == 32;
    if (!knownDepth) {
        throw LoadError(
            path, "has an unknown depth of " + std::to_string(bitsPerPixel) + " bits per pixel");
    }

    if (compression == kCompressionRle8 || compression == kCompressionRle4) {
        // The decoder stops at the end of the data, so only its start must be real.
        if (pixelOffset >= fileSize) {
            throw LoadError(path, "has its pixel data past the end of the file");
        }
    } else if (compression == kCompressionRgb || compression == kCompressionBitfields ||
               compression == kCompressionAlphaBitfields) {
        // Rows are padded to whole 32-bit words.
        const long long stride = (width * bitsPerPixel + 31) / 32 * 4;
        const long long end = pixelOffset + stride * rows;
        if (end > fileSize) {
            throw LoadError(path, "is truncated: its pixels need " + std::to_string(end) +
                                      " bytes, the file has " + std::to_string(fileSize));
        }
    } else {
        throw LoadError(path, "uses the unsupported compression " + std::to_string(compression));
    }
}

void GameEngine::loadBitmap(Bitmap& bitmap, char const* path) {
    // SDL sizes its pixel buffer from the header before it reads a pixel, so a lying
    // header must be caught here.
    checkBmpFile(path, m_pixelMultiplier);

    SurfacePtr surface(SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1));
    if (!surface) {
        throw LoadError(path, SDL_GetError());
    }
    // Enlarging copies raw pixel bytes, which would lose an indexed image's palette;
    // in true colour every image looks the same at every multiplier.
    if (surface->format->palette != nullptr) {
        surface.reset(SDL_ConvertSurfaceFormat(surface.get(), SDL_PIXELFORMAT_RGB888, 0));
        if (!surface) {
            throw LoadError(path, SDL_GetError());
        }
    }
    SDL_SetColorKey(surface.get(), SDL_TRUE,
                    SDL_MapRGB(surface->format, kKeyRed, kKeyGreen, kKeyBlue));
    if (m_pixelMultiplier > 1) {
        surface.reset(enlarge(surface.get()));
        if (!surface) {
            throw LoadError(path, SDL_GetError());
        }
    }

    SDL_Texture* texture = SDL_CreateTextureFromSurface(m_renderer, surface.get());
    if (texture == nullptr) {
        throw LoadError(path, SDL_GetError());
    }
    bitmap.texture = texture;
    bitmap.width = static_cast<std::uint16_t>(surface->w);
    bitmap.height = static_cast<std::uint16_t>(surface->h);
}

SDL_Surface* GameEngine::enlarge(SDL_Surface* source) const {
    const int m = m_pixelMultiplier;
    const SDL_PixelFormat* format = source->format;
    SDL_Surface* enlarged =
        SDL_CreateRGBSurface(0, source->w * m, source->h * m, format->BitsPerPixel, format->Rmask,
                             format->Gmask, format->Bmask, format->Amask);
    if (enlarged == nullptr) {
        return nullptr;
    }
    Uint32 key = 0;
    SDL_GetColorKey(source, &key);
    SDL_SetColorKey(enlarged, SDL_TRUE, key);

    const int bytesPerPixel = format->BytesPerPixel;
    std::vector<Uint8> row(static_cast<std::size_t>(bytesPerPixel) * enlarged->w);
    SDL_LockSurface(source);
    SDL_LockSurface(enlarged);
    for (int y = 0; y < source->h; ++y) {
        const Uint8* sourceRow = static_cast<const Uint8*>(source->pixels) + y * source->pitch;
        Uint8* out = row.data();
        for (int x = 0; x < source->w; ++x) {
            for (int copy = 0; copy < m; ++copy) {
                std::memcpy(out, sourceRow + x * bytesPerPixel, bytesPerPixel);
                out += bytesPerPixel;
            }
        }
        for (int copy = 0; copy < m; ++copy) {
            Uint8* target =
                static_cast<Uint8*>(enlarged->pixels) + (y * m + copy) * enlarged->pitch;
            std::memcpy(target, row.data(), row.size());
        }
    }
    SDL_UnlockSurface(enlarged);
    SDL_UnlockSurface(source);
    return enlarged;
}

void GameEngine::unloadBitmap(Bitmap& bitmap) {
    SDL_DestroyTexture(bitmap.texture);
}

void GameEngine::handleEvents() {
    if (!m_paused) {
        m_controls.beginFrame();
    }
    if (m_stepPending) {
        m_paused = true;
        m_stepPending = false;
    }
    while (SDL_PollEvent(&m_event) != 0) {
        handleEvent(m_event);
    }
    pauseIfWindowLeft();
}

void GameEngine::pauseIfWindowLeft() {
    // Judged by the window's state once the frame's events are in, not by the events
    // alone: SDL hides and shows the window again when a renderer recreates it, so every
    // start begins with a "hidden" that is already over.
    const Uint32 flags = SDL_GetWindowFlags(m_window);
    const bool hidden = (flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0;
    const bool unfocused = (flags & SDL_WINDOW_INPUT_FOCUS) == 0;
    if (m_pauseOnFocusLoss && ((m_hidingSeen && hidden) || (m_focusLossSeen && unfocused))) {
        m_paused = true;
        m_stepPending = false;
    }
    m_hidingSeen = false;
    m_focusLossSeen = false;
}

void GameEngine::handleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
            // A held key's repeats are not new presses: they must not jump, shoot or
            // toggle the pause again.
            if (event.key.repeat == 0) {
                handleKeyDown(event.key);
            }
            break;
        case SDL_KEYUP:
            handleKeyUp(event.key.keysym.sym);
            break;
        case SDL_CONTROLLERDEVICEADDED:
            openPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            closePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            int slot = 0;
            Action action = Action::kLeft;
            if (findPad(event.cbutton.which, slot) != nullptr &&
                m_bindings.actionForButton(
                    static_cast<SDL_GameControllerButton>(event.cbutton.button), action)) {
                const std::uint32_t source = 1u << (1 + 2 * slot);
                if (event.type == SDL_CONTROLLERBUTTONDOWN) {
                    holdAction(action, source);
                } else {
                    letGoAction(action, source);
                }
            }
            break;
        }
        case SDL_CONTROLLERAXISMOTION: {
            int slot = 0;
            if (Pad* pad = findPad(event.caxis.which, slot)) {
                moveStick(*pad, slot, static_cast<SDL_GameControllerAxis>(event.caxis.axis),
                          event.caxis.value);
            }
            break;
        }
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                fitPictureToWindow();
            }
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                m_focusLossSeen = true;
            } else if (event.window.event == SDL_WINDOWEVENT_HIDDEN ||
                       event.window.event == SDL_WINDOWEVENT_MINIMIZED) {
                m_hidingSeen = true;
            }
            break;
        case SDL_QUIT:
            m_quit = true;
            break;
        default:
            break;
    }
}

void GameEngine::handleKeyDown(const SDL_KeyboardEvent& key) {
    // Alt+Enter is the usual fullscreen switch wherever Enter is bound; it must not
    // pause as well.
    if ((key.keysym.mod & KMOD_ALT) != 0 &&
        (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER)) {
        toggleFullscreen();
        return;
    }
    Action action = Action::kLeft;
    if (m_bindings.actionForKey(key.keysym.sym, action)) {
        holdAction(action, 1u);
    }
}

void GameEngine::handleKeyUp(SDL_Keycode key) {
    Action action = Action::kLeft;
    if (m_bindings.actionForKey(key, action)) {
        letGoAction(action, 1u);
    }
}

void GameEngine::holdAction(Action action, std::uint32_t source) {
    std::uint32_t& holders = m_holders[KeyBindings::index(action)];
    // Held elsewhere, the action is already down. The same source pressing again acts
    // again, as a key did whose release was never seen.
    const bool heldElsewhere = (holders & ~source) != 0;
    holders |= source;
    if (!heldElsewhere) {
        actionPressed(action);
    }
}

void GameEngine::letGoAction(Action action, std::uint32_t source) {
    std::uint32_t& holders = m_holders[KeyBindings::index(action)];
    holders &= ~source;
    // A release with nothing recorded as held still counts, as it always did for keys
    // (one may have gone down before the window had the focus).
    if (holders == 0) {
        actionReleased(action);
    }
}

void GameEngine::actionPressed(Action action) {
    switch (action) {
        case Action::kLeft:
            m_controls.press(Controls::Key::kLeft);
            break;
        case Action::kRight:
            m_controls.press(Controls::Key::kRight);
            break;
        case Action::kUp:
            m_controls.press(Controls::Key::kUp);
            break;
        case Action::kDown:
            m_controls.press(Controls::Key::kDown);
            break;
        case Action::kJump:
            m_controls.press(Controls::Key::kJump);
            break;
        case Action::kShoot:
            m_controls.press(Controls::Key::kShoot);
            break;
        case Action::kPause:
            m_paused = !m_paused;
            break;
        case Action::kStep:
            if (m_paused) {
                // One update runs in this frame; the next frame's event handling pauses
                // again.
                m_paused = false;
                m_stepPending = true;
            }
            break;
        case Action::kMenu:
            // The states act on it in this frame's update, paused or not; the game does not
            // stay paused behind the switch.
            m_controls.menuPressed = true;
            m_paused = false;
            m_stepPending = false;
            break;
        case Action::kFullscreen:
            toggleFullscreen();
            break;
        case Action::kMute:
            m_muted = !m_muted;
            break;
        case Action::kCount:
            break;
    }
}

void GameEngine::actionReleased(Action action) {
    switch (action) {
        case Action::kLeft:
            m_controls.release(Controls::Key::kLeft);
            break;
        case Action::kRight:
            m_controls.release(Controls::Key::kRight);
            break;
        case Action::kUp:
            m_controls.release(Controls::Key::kUp);
            break;
        case Action::kDown:
            m_controls.release(Controls::Key::kDown);
            break;
        case Action::kJump:
            m_controls.release(Controls::Key::kJump);
            break;
        case Action::kShoot:
            m_controls.release(Controls::Key::kShoot);
            break;
        default:
            break;
    }
}

GameEngine::Pad* GameEngine::findPad(SDL_JoystickID id, int& slot) {
    for (int i = 0; i < kMaxPads; ++i) {
        if (m_pads[static_cast<std::size_t>(i)].controller != nullptr &&
            m_pads[static_cast<std::size_t>(i)].id == id) {
            slot = i;
            return &m_pads[static_cast<std::size_t>(i)];
        }
    }
    return nullptr;
}

int GameEngine::getPadCount() const {
    int count = 0;
    for (const Pad& pad : m_pads) {
        count += pad.controller != nullptr ? 1 : 0;
    }
    return count;
}

void GameEngine::openPad(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    int slot = 0;
    if (findPad(id, slot) != nullptr) {
        return;
    }
    for (Pad& pad : m_pads) {
        if (pad.controller == nullptr) {
            pad.controller = SDL_GameControllerOpen(deviceIndex);
            pad.id = id;
            pad.stickX = 0;
            pad.stickY = 0;
            return;
        }
    }
}

void GameEngine::closePad(SDL_JoystickID id) {
    int slot = 0;
    Pad* pad = findPad(id, slot);
    if (pad == nullptr) {
        return;
    }
    // Whatever the pad held is let go, so nothing stays pressed without a hand on it.
    const std::uint32_t sources = 3u << (1 + 2 * slot);
    for (int i = 0; i < KeyBindings::kActionCount; ++i) {
        const std::uint32_t holders = m_holders[static_cast<std::size_t>(i)];
        if ((holders & sources) != 0) {
            letGoAction(static_cast<Action>(i), sources);
        }
    }
    SDL_GameControllerClose(pad->controller);
    *pad = Pad{};
    // The player lost the hands on the game: it waits for them.
    m_paused = true;
    m_stepPending = false;
}

void GameEngine::moveStick(Pad& pad, int slot, SDL_GameControllerAxis axis, int value) {
    const int direction = value <= -kStickDeadZone ? -1 : (value >= kStickDeadZone ? 1 : 0);
    int* current = nullptr;
    Action negative = Action::kLeft;
    Action positive = Action::kRight;
    if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
        current = &pad.stickX;
    } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
        current = &pad.stickY;
        negative = Action::kUp;
        positive = Action::kDown;
    } else {
        return;
    }
    if (direction == *current) {
        return;
    }
    const std::uint32_t source = 1u << (2 + 2 * slot);
    if (*current != 0) {
        letGoAction(*current < 0 ? negative : positive, source);
    }
    *current = direction;
    if (direction != 0) {
        holdAction(direction < 0 ? negative : positive, source);
    }
}

bool GameEngine::isFullscreen() const {
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

void GameEngine::toggleFullscreen() {
    SDL_SetWindowFullscreen(m_window, isFullscreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    fitPictureToWindow();
}

void GameEngine::fitPictureToWindow() {
    const int pictureWidth = kScreenWidth * m_pixelMultiplier;
    const int pictureHeight = kScreenHeight * m_pixelMultiplier;
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(m_renderer, &width, &height);
    const bool scaled = width != pictureWidth || height != pictureHeight;
    if (scaled && m_frame == nullptr) {
        m_frame = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                    pictureWidth, pictureHeight);
        if (m_frame == nullptr) {
            // Drawing goes on unscaled in the window's corner.
            std::cerr << "kestrelix: SDL_CreateTexture: " << SDL_GetError() << '\n';
            return;
        }
        // Whole multiples only, so nearest sampling keeps every block one colour.
        SDL_SetTextureScaleMode(m_frame, SDL_ScaleModeNearest);
    }
    if (scaled && !m_scaled) {
        // The picture starts black: a level paints its whole view every frame anyway.
        SDL_SetRenderTarget(m_renderer, m_frame);
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
        SDL_RenderClear(m_renderer);
    } else if (!scaled && m_scaled) {
        SDL_SetRenderTarget(m_renderer, nullptr);
    }
    m_scaled = scaled;
    // A window smaller than one game pixel per screen pixel still shows the picture, at 1.
    m_scale = std::max(1, std::min(width / kScreenWidth, height / kScreenHeight));
    m_origin =
        SDL_Point{(width - kScreenWidth * m_scale) / 2, (height - kScreenHeight * m_scale) / 2};
}

int GameEngine::flipScreen() {
    if (m_scaled) {
        SDL_SetRenderTarget(m_renderer, nullptr);
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
        SDL_RenderClear(m_renderer);
        const SDL_Rect to{m_origin.x, m_origin.y, kScreenWidth * m_scale, kScreenHeight * m_scale};
        SDL_RenderCopy(m_renderer, m_frame, nullptr, &to);
        SDL_RenderPresent(m_renderer);
        SDL_SetRenderTarget(m_renderer, m_frame);
        return 0;
    }
    SDL_RenderPresent(m_renderer);
    if (m_framesBeforeQuit > 0 && --m_framesBeforeQuit == 0) {
        m_quit = true;
    }
    return 0;
}

void GameEngine::saveScreenToBmp(const std::string& path) {
    int width = kScreenWidth * m_pixelMultiplier;
    int height = kScreenHeight * m_pixelMultiplier;
    // Scaled, the frame texture is the render target and holds the picture at the
    // starting size; otherwise the window is read.
    if (!m_scaled) {
        SDL_GetRendererOutputSize(m_renderer, &width, &height);
    }
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) {
        throw LoadError(path, SDL_GetError());
    }
    const int read = SDL_RenderReadPixels(m_renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                          surface->pixels, surface->pitch);
    SDL_Surface* rgb =
        read == 0 ? SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_BGR24, 0) : nullptr;
    SDL_FreeSurface(surface);
    if (rgb == nullptr) {
        throw LoadError(path, SDL_GetError());
    }
    const int saved = SDL_SaveBMP(rgb, path.c_str());
    SDL_FreeSurface(rgb);
    if (saved != 0) {
        throw LoadError(path, "cannot be written");
    }
}
