#pragma once

#include <string>
#include <vector>

#include "engine/nullvideo.h"

// The null video service with a log of every call, so tests can assert on what was loaded,
// made, copied and cleared. Pictures are not read: their sizes come from setImageSize
// (logical pixels, 16 x 16 when not given), multiplied as the engine does. Loading a path
// listed with failOn throws LoadError as the engine does for a missing file.
class RecordingVideo : public NullVideo {
  public:
    enum class Kind {
        kClear,
        kCopyToScreen,
        kCopyToBitmap,
        kCreate,
        kLoad,
        kUnload,
        kCopyToScreenWithAlpha
    };

    struct Call {
        Kind kind = Kind::kClear;
        int source = 0;  // handle of the source (copies) or of the bitmap (others)
        int target = 0;  // handle of the target bitmap (copyToBitmap); 0 = screen
        int x = 0;
        int y = 0;
        bool hasSourceRect = false;
        Rect sourceRect;
        std::string path;  // loads
        int width = 0;     // creates: logical size asked for
        int height = 0;
        int alpha = 255;  // copies to the screen
    };

    RecordingVideo() { setFallbackSize(16, 16); }

    void clearScreen() override { calls.push_back(Call{}); }
    void copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) override;
    void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) override;
    void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                               std::uint8_t alpha) override;
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap& bitmap) override;

    void failOn(const std::string& path) { setImageSize(path, 0, 0); }

    // The path a handle was loaded from ("" for made bitmaps).
    std::string pathOf(int handle) const;
    // Only the calls of one kind, in order.
    std::vector<Call> callsOf(Kind kind) const;
    // Screen copies whose source was loaded from the given path.
    std::vector<Call> screenCopiesOf(const std::string& path) const;
    void clearCalls() { calls.clear(); }

    std::vector<Call> calls;

  private:
    Call& copy(Kind kind, const Bitmap& source, int x, int y, const Rect* sourceRect);
};
