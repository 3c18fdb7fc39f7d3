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
#include "engine/bmpfile.h"
#include "engine/settings.h"

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
constexpr long long kMaxBitmapSide = BmpFile::kMaxEnlargedSide;

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
        try {
            m_pixelMultiplier = Settings::pixelMultiplierOf(settings);
        } catch (const LoadError& error) {
            failConstruction(error.file(), error.problem());
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

    m_titleState = titleState();
    m_window =
        SDL_CreateWindow(windowTitle().c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
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

void GameEngine::copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                                       std::uint8_t alpha) {
    // The opacity belongs to the texture in SDL; it is set for this copy only, so every
    // other copy of the same picture stays opaque. A texture without blending (a picture
    // with no see-through colour) blends for this copy too.
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    SDL_GetTextureBlendMode(source.texture, &mode);
    if (mode == SDL_BLENDMODE_NONE) {
        SDL_SetTextureBlendMode(source.texture, SDL_BLENDMODE_BLEND);
    }
    SDL_SetTextureAlphaMod(source.texture, alpha);
    copyToScreen(source, x, y, sourceRect);
    SDL_SetTextureAlphaMod(source.texture, SDL_ALPHA_OPAQUE);
    if (mode == SDL_BLENDMODE_NONE) {
        SDL_SetTextureBlendMode(source.texture, SDL_BLENDMODE_NONE);
    }
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
    const BmpFile checked(path, pixelMultiplier);
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
        const Uint8* sourceRow = static_cast<const Uint8*>(source->pixels) +
                                 static_cast<std::ptrdiff_t>(y) * source->pitch;
        Uint8* out = row.data();
        for (int x = 0; x < source->w; ++x) {
            for (int copy = 0; copy < m; ++copy) {
                std::memcpy(out, sourceRow + static_cast<std::ptrdiff_t>(x) * bytesPerPixel,
                            bytesPerPixel);
                out += bytesPerPixel;
            }
        }
        for (int copy = 0; copy < m; ++copy) {
            Uint8* target = static_cast<Uint8*>(enlarged->pixels) +
                            static_cast<std::ptrdiff_t>(y * m + copy) * enlarged->pitch;
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

bool GameEngine::hasSeeThroughPixels(Bitmap& bitmap, const Rect& area) {
    SDL_Rect from = sourceRectangle(bitmap, &area);
    const SDL_Rect whole{0, 0, bitmap.width, bitmap.height};
    if (!SDL_IntersectRect(&from, &whole, &from)) {
        return false;
    }
    SDL_Texture* copy = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888,
                                          SDL_TEXTUREACCESS_TARGET, from.w, from.h);
    if (copy == nullptr) {
        return true;  // cannot tell: the caller then clears behind it, which is always safe
    }
    // Copied without blending, the alpha of every pixel arrives as SDL will draw it.
    SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
    SDL_GetTextureBlendMode(bitmap.texture, &mode);
    SDL_SetTextureBlendMode(bitmap.texture, SDL_BLENDMODE_NONE);
    SDL_SetRenderTarget(m_renderer, copy);
    SDL_RenderCopy(m_renderer, bitmap.texture, &from, nullptr);
    std::vector<Uint32> pixels(static_cast<std::size_t>(from.w) * from.h);
    const int read = SDL_RenderReadPixels(m_renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                          pixels.data(), from.w * 4);
    SDL_SetRenderTarget(m_renderer, nullptr);
    SDL_SetTextureBlendMode(bitmap.texture, mode);
    SDL_DestroyTexture(copy);
    if (read != 0) {
        return true;
    }
    return std::any_of(pixels.begin(), pixels.end(),
                       [](Uint32 pixel) { return (pixel >> 24) != SDL_ALPHA_OPAQUE; });
}

GameEngine::TitleState GameEngine::titleState() const {
    return TitleState{m_paused || m_stepPending};
}

std::string GameEngine::windowTitle() const {
    const TitleState state = titleState();
    if (!m_benchTitle.empty()) {
        return m_benchTitle + m_titleSuffix;
    }
    std::string title = "Kestrelix";
    if (state.paused) {
        title += " - paused";
    }
    return title + m_titleSuffix;
}

void GameEngine::refreshTitle() {
    // Compared as plain state, so no text is built in a frame where nothing changed.
    const TitleState state = titleState();
    if (state == m_titleState && !m_titleChanged) {
        return;
    }
    m_titleState = state;
    m_titleChanged = false;
    SDL_SetWindowTitle(m_window, windowTitle().c_str());
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
    refreshTitle();
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
            handleKeyUp(event.key.keysym);
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

bool GameEngine::isHandlerAction(Action action) {
    return action >= Action::kSlot1 && action <= Action::kReload;
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
    if (m_bindings.actionForKey(key.keysym.sym, action) && !isHandlerAction(action)) {
        holdAction(action, 1u);
    } else if (m_keyHandler != nullptr) {
        m_keyHandler->keyDown(key.keysym, m_controls, m_paused);
    }
}

void GameEngine::handleKeyUp(const SDL_Keysym& key) {
    Action action = Action::kLeft;
    if (m_bindings.actionForKey(key.sym, action) && !isHandlerAction(action)) {
        letGoAction(action, 1u);
    } else if (m_keyHandler != nullptr) {
        m_keyHandler->keyUp(key, m_controls, m_paused);
    }
}

void GameEngine::setTitleSuffix(const std::string& suffix) {
    m_titleSuffix = suffix;
    m_titleChanged = true;
    if (m_window != nullptr) {
        refreshTitle();
    }
}

std::string GameEngine::getTitle() const {
    return m_window != nullptr ? SDL_GetWindowTitle(m_window) : "";
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
        case Action::kRecord:
        case Action::kFastForward:
        case Action::kSlowMotion:
            toolKey(action, true);
            break;
        case Action::kMute:
            m_muted = !m_muted;
            break;
        case Action::kSlot1:
        case Action::kSlot2:
        case Action::kSlot3:
        case Action::kSlot4:
        case Action::kRewind:
        case Action::kReload:
            // The key handler's (see isHandlerAction); pads do not reach the time machine.
        case Action::kCount:
            break;
    }
}

void GameEngine::toolKey(Action action, bool down) {
    if (m_toolKeys == nullptr) {
        return;
    }
    const ToolKey key = action == Action::kRecord        ? ToolKey::kRecord
                        : action == Action::kFastForward ? ToolKey::kFastForward
                                                         : ToolKey::kSlowMotion;
    m_toolKeys->onToolKey(key, down);
}

void GameEngine::setWindowTitle(const char* title) {
    // The workbench's title names the mode itself, paused included; the time machine's
    // suffix still follows it.
    m_benchTitle = title;
    m_titleChanged = true;
    refreshTitle();
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
        case Action::kRecord:
        case Action::kFastForward:
        case Action::kSlowMotion:
            toolKey(action, false);
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
    // With a target texture set, SDL reports the texture's size as the output's.
    SDL_SetRenderTarget(m_renderer, nullptr);
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(m_renderer, &width, &height);
    bool scaled = width != pictureWidth || height != pictureHeight;
    if (scaled && m_frame == nullptr) {
        // In the window's own format, so the final copy converts nothing.
        m_frame = SDL_CreateTexture(m_renderer, SDL_GetWindowPixelFormat(m_window),
                                    SDL_TEXTUREACCESS_TARGET, pictureWidth, pictureHeight);
        if (m_frame == nullptr) {
            // Drawing goes on unscaled in the window's corner.
            std::cerr << "kestrelix: SDL_CreateTexture: " << SDL_GetError() << '\n';
            scaled = false;
        } else {
            // Whole multiples only, so nearest sampling keeps every block one colour.
            SDL_SetTextureScaleMode(m_frame, SDL_ScaleModeNearest);
            // The picture is opaque: copied, not blended, over the black.
            SDL_SetTextureBlendMode(m_frame, SDL_BLENDMODE_NONE);
        }
    }
    SDL_SetRenderTarget(m_renderer, scaled ? m_frame : nullptr);
    if (scaled && !m_scaled) {
        // The picture starts black: a level paints its whole view every frame anyway.
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
        SDL_RenderClear(m_renderer);
    }
    m_scaled = scaled;
    // A window smaller than one game pixel per screen pixel still shows the picture, at 1.
    m_scale = std::max(1, std::min(width / kScreenWidth, height / kScreenHeight));
    m_origin =
        SDL_Point{(width - kScreenWidth * m_scale) / 2, (height - kScreenHeight * m_scale) / 2};
    // The black around the picture: above, below, left and right of it, where there is room.
    const int pictureBottom = m_origin.y + kScreenHeight * m_scale;
    const int pictureRight = m_origin.x + kScreenWidth * m_scale;
    const SDL_Rect sides[] = {
        {0, 0, width, m_origin.y},
        {0, pictureBottom, width, height - pictureBottom},
        {0, m_origin.y, m_origin.x, kScreenHeight * m_scale},
        {pictureRight, m_origin.y, width - pictureRight, kScreenHeight * m_scale},
    };
    m_borderCount = 0;
    for (const SDL_Rect& side : sides) {
        if (side.w > 0 && side.h > 0) {
            m_border[static_cast<std::size_t>(m_borderCount++)] = side;
        }
    }
}

int GameEngine::flipScreen() {
    if (m_scaled) {
        presentScaled();
    } else {
        SDL_RenderPresent(m_renderer);
    }
    if (m_framesBeforeQuit > 0 && --m_framesBeforeQuit == 0) {
        m_quit = true;
    }
    return 0;
}

void GameEngine::presentScaled() {
    SDL_SetRenderTarget(m_renderer, nullptr);
    // Only the border is filled: the picture covers the rest, and a full clear of a large
    // window costs as much as the copy itself.
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
    if (m_borderCount > 0) {
        SDL_RenderFillRects(m_renderer, m_border.data(), m_borderCount);
    }
    const SDL_Rect to{m_origin.x, m_origin.y, kScreenWidth * m_scale, kScreenHeight * m_scale};
    SDL_RenderCopy(m_renderer, m_frame, nullptr, &to);
    SDL_RenderPresent(m_renderer);
    SDL_SetRenderTarget(m_renderer, m_frame);
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
