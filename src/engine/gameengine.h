#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>

#include "engine/controls.h"
#include "engine/keybindings.h"
#include "engine/keyhandler.h"
#include "engine/settings.h"
#include "engine/toolkeys.h"
#include "engine/videoservice.h"

// The one video service: owns the SDL window and renderer and every image's texture, and
// turns SDL's events into the Controls record, the pause and single-step switches and the
// quit request. Every image is enlarged by the pixel multiplier once, when it is loaded or
// created, so drawing is always a 1:1 copy. Anything SDL or a file refuses becomes a
// LoadError; the multiplier must lie in 1..kMaxPixelMultiplier or construction is refused.
// Held keys do not act again: the key-down events the system repeats are ignored.
// Keyboard and game controllers feed one record through the same bindings: an action held
// on two devices is released only when neither holds it. A controller removed while
// playing pauses the game. The window may be resized or made fullscreen: at its starting
// size the picture goes straight to the window, at any other the frame is drawn into a
// texture of the starting size and copied so that every game pixel becomes a k x k block
// for the largest whole k that fits, centred on black.
class GameEngine : public VideoService {
  public:
    static constexpr int kMaxPixelMultiplier = Settings::kMaxPixelMultiplier;
    // Controllers beyond this many are not opened; each has two bits of m_holders.
    static constexpr int kMaxPads = 4;
    // Stick travel (of 32767) below which the left stick counts as centred.
    static constexpr int kStickDeadZone = 12000;

    GameEngine();
    // For tools that render at a chosen size whatever settings.ini says (0 reads it).
    explicit GameEngine(int pixelMultiplier);
    ~GameEngine() override;

    void clearScreen() override;
    void copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) override;
    void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) override;
    void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                               std::uint8_t alpha) override;
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap& bitmap) override;
    // Reads the area back through a drawable image: what counts is what SDL will draw.
    bool hasSeeThroughPixels(Bitmap& bitmap, const Rect& area) override;

    // Once per frame: drains the event queue.
    void handleEvents();
    // Presents the frame. SDL_RenderPresent reports nothing, so there is no failure this
    // could detect: it returns 0; the -1 of a failed presentation is kept for the loop.
    int flipScreen();

    // Off unless asked for: then losing the keyboard focus, or the window being hidden or
    // minimised, pauses the game (a browser tab sent to the background, say). Only pauses;
    // the player resumes with the pause key.
    void setPauseOnFocusLoss(bool pause) { m_pauseOnFocusLoss = pause; }

    // Asks to quit once this many more frames have been presented (0: never), so a test
    // can see the game start, reach its first state and end cleanly.
    void quitAfterFrames(int frames) { m_framesBeforeQuit = frames; }
    // The tools' keys go to this listener (none: they are ignored); not owned.
    void setToolKeyListener(ToolKeyListener* listener) { m_toolKeys = listener; }
    // For the tools: a watched script that ends pauses the game on its last frame.
    void setPaused(bool paused) { m_paused = paused; }
    void setWindowTitle(const char* title);

    // Keys no binding claims go to this handler (not owned; null: they are ignored).
    void setKeyHandler(KeyHandler* handler) { m_keyHandler = handler; }
    // The window title is "Kestrelix" followed by this (say " - rewinding").
    void setTitleSuffix(const std::string& suffix);
    std::string getTitle() const;

    bool isPaused() const { return m_paused; }
    bool isQuitRequested() const { return m_quit; }
    bool isStepPending() const { return m_stepPending; }
    // Toggled by the mute key; the game's sound follows it.
    bool isMuted() const { return m_muted; }
    const Controls& getControls() const { return m_controls; }
    int getPixelMultiplier() const override { return m_pixelMultiplier; }
    // The window's title as the engine's state makes it: "Kestrelix", and " - paused"
    // while paused (a single step counts as paused), so a player who pressed Enter sees
    // why nothing moves. Parts are added here; it is set only when it changes.
    std::string windowTitle() const;
    const KeyBindings& getBindings() const { return m_bindings; }
    // How many game-controllers are open.
    int getPadCount() const;
    bool isFullscreen() const;
    void toggleFullscreen();
    // Screen pixels per game pixel and where the picture's top left corner lies in the
    // window; at the starting size the multiplier and (0, 0).
    int getScale() const { return m_scaled ? m_scale : m_pixelMultiplier; }
    SDL_Point getPictureOrigin() const { return m_scaled ? m_origin : SDL_Point{0, 0}; }
    // For tests that read the picture back.
    SDL_Renderer* renderer() const { return m_renderer; }
    // Reads the whole window back and writes it as a 24-bit BMP (for the trace tool's
    // pictures); LoadError when the picture cannot be read or written.
    void saveScreenToBmp(const std::string& path);

    // Checks the headers of a BMP file (BmpFile) before SDL believes them; throws
    // LoadError(path, problem) when they do not hold.
    static void checkBmpFile(const char* path, int pixelMultiplier);

    GameEngine(const GameEngine&) = delete;
    GameEngine& operator=(const GameEngine&) = delete;

  private:
    // What the window's title shows; the title is rebuilt only when this changes.
    struct TitleState {
        bool paused = false;
        bool operator==(const TitleState& other) const { return paused == other.paused; }
    };
    TitleState titleState() const;
    // Destroys the renderer and window that exist and shuts SDL down.
    void releaseSdl();
    [[noreturn]] void failConstruction(const std::string& what, const std::string& problem);
    SDL_Rect sourceRectangle(const Bitmap& source, const Rect* sourceRect) const;
    using Action = KeyBindings::Action;
    // One open controller: its SDL handle and id, and where its left stick points.
    struct Pad {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID id = -1;
        int stickX = 0;  // -1, 0 or 1
        int stickY = 0;
    };

    void handleEvent(const SDL_Event& event);
    // Pauses, when asked to, if this frame's events left the window hidden, minimised or
    // without the keyboard.
    void pauseIfWindowLeft();
    void handleKeyDown(const SDL_KeyboardEvent& key);
    // The time machine's actions go to the key handler with their key, as bound.
    static bool isHandlerAction(Action action);
    void handleKeyUp(const SDL_Keysym& key);
    // Sets the window's title when the state it shows has changed since the last call.
    void refreshTitle();
    // A source (the keyboard, a pad's buttons, a pad's stick) starts or stops holding an
    // action; the action acts only when the first source takes it and the last lets go.
    void holdAction(Action action, std::uint32_t source);
    void letGoAction(Action action, std::uint32_t source);
    void actionPressed(Action action);
    void actionReleased(Action action);
    // The tools' actions go to the listener, down and up.
    void toolKey(Action action, bool down);
    void openPad(int deviceIndex);
    void closePad(SDL_JoystickID id);
    void moveStick(Pad& pad, int slot, SDL_GameControllerAxis axis, int value);
    Pad* findPad(SDL_JoystickID id, int& slot);
    // Decides between drawing straight to the window and drawing through m_frame.
    void fitPictureToWindow();
    void presentScaled();
    // Where the frame's drawing goes: the window, or the frame texture when scaled.
    SDL_Texture* frameTarget() const { return m_scaled ? m_frame : nullptr; }
    SDL_Surface* enlarge(SDL_Surface* source) const;

    bool m_paused = false;
    bool m_quit = false;
    bool m_stepPending = false;
    bool m_muted = false;
    bool m_pauseOnFocusLoss = false;
    // Set by this frame's window events, looked at once they are all in.
    bool m_focusLossSeen = false;
    bool m_hidingSeen = false;
    int m_pixelMultiplier = 1;
    int m_framesBeforeQuit = 0;
    bool m_scaled = false;
    int m_scale = 1;
    SDL_Point m_origin{0, 0};
    std::array<SDL_Rect, 4> m_border{};
    int m_borderCount = 0;
    Controls m_controls;
    KeyBindings m_bindings;
    // Per action, one bit for each source holding it: bit 0 the keyboard, then two per pad.
    std::array<std::uint32_t, KeyBindings::kActionCount> m_holders{};
    std::array<Pad, kMaxPads> m_pads{};
    SDL_Event m_event{};
    // The picture at the starting size, made when the window first leaves that size.
    SDL_Texture* m_frame = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    // For fullscreen and its size; destroyed last.
    SDL_Window* m_window = nullptr;
    KeyHandler* m_keyHandler = nullptr;
    TitleState m_titleState;
    // What the workbench adds to the title ("- rewinding", a reload error); set rarely.
    std::string m_titleSuffix;
    // The whole title as the workbench last set it; empty until it does.
    std::string m_benchTitle;
    bool m_titleChanged = false;
    ToolKeyListener* m_toolKeys = nullptr;
};
