#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "engine/controls.h"
#include "engine/videoservice.h"

// The one video service: owns the SDL window and renderer and every image's texture, and
// turns SDL's events into the Controls record, the pause and single-step switches and the
// quit request. Every image is enlarged by the pixel multiplier once, when it is loaded or
// created, so drawing is always a 1:1 copy. Anything SDL or a file refuses becomes a
// LoadError; the multiplier must lie in 1..kMaxPixelMultiplier or construction is refused.
// Held keys do not act again: the key-down events the system repeats are ignored.
class GameEngine : public VideoService {
  public:
    // 16 gives a 4096 x 3840 window; more is of no use to any screen and only costs memory.
    static constexpr int kMaxPixelMultiplier = 16;
    // Images wider or taller than this are refused before SDL sizes a buffer for them.
    static constexpr int kMaxBmpSide = 4096;

    GameEngine();
    // For tools that render at a chosen size whatever settings.ini says (0 reads it).
    explicit GameEngine(int pixelMultiplier);
    ~GameEngine() override;

    void clearScreen() override;
    void copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) override;
    void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) override;
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap& bitmap) override;

    // Once per frame: drains the event queue.
    void handleEvents();
    // Presents the frame. SDL_RenderPresent reports nothing, so there is no failure this
    // could detect: it returns 0; the -1 of a failed presentation is kept for the loop.
    int flipScreen();

    // Off unless asked for: then losing the keyboard focus, or the window being hidden or
    // minimised, pauses the game (a browser tab sent to the background, say). Only pauses;
    // the player resumes with the pause key.
    void setPauseOnFocusLoss(bool pause) { m_pauseOnFocusLoss = pause; }

    bool isPaused() const { return m_paused; }
    bool isQuitRequested() const { return m_quit; }
    bool isStepPending() const { return m_stepPending; }
    const Controls& getControls() const { return m_controls; }
    int getPixelMultiplier() const { return m_pixelMultiplier; }
    // For tests that read the picture back.
    SDL_Renderer* renderer() const { return m_renderer; }
    // Reads the whole window back and writes it as a 24-bit BMP (for the trace tool's
    // pictures); LoadError when the picture cannot be read or written.
    void saveScreenToBmp(const std::string& path);

    // Checks the headers of a BMP file against the file's real size and the limits above,
    // before SDL believes them; throws LoadError(path, problem) when they do not hold.
    static void checkBmpFile(const char* path, int pixelMultiplier);

    GameEngine(const GameEngine&) = delete;
    GameEngine& operator=(const GameEngine&) = delete;

  private:
    // Destroys the renderer and window that exist and shuts SDL down.
    void releaseSdl();
    [[noreturn]] void failConstruction(const std::string& what, const std::string& problem);
    SDL_Rect sourceRectangle(const Bitmap& source, const Rect* sourceRect) const;
    // The game key an SDL key stands for; false for every other key.
    static bool gameKey(SDL_Keycode key, Controls::Key& gameKey);
    void handleKeyDown(SDL_Keycode key);
    void handleKeyUp(SDL_Keycode key);
    SDL_Surface* enlarge(SDL_Surface* source) const;

    bool m_paused = false;
    bool m_quit = false;
    bool m_stepPending = false;
    bool m_pauseOnFocusLoss = false;
    int m_pixelMultiplier = 1;
    Controls m_controls;
    SDL_Event m_event{};
    SDL_Renderer* m_renderer = nullptr;
    // Kept only to be destroyed: nothing else needs the window.
    SDL_Window* m_window = nullptr;
};
