#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/scopedvideo.h"
#include "engine/videoservice.h"

// A video service that draws nothing and records every call, so tests can assert on
// what was loaded, created, copied and cleared. Bitmaps get distinct fake texture
// handles (never dereferenced); their sizes come from setImageSize (logical pixels),
// multiplied like the real engine does. Loading a path listed with failOn throws
// LoadError like the engine does for a missing file.
class RecordingVideo : public VideoService {
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

    RecordingVideo();
    ~RecordingVideo() override;

    void clearScreen() override;
    void copyToBitmap(Bitmap& source, Bitmap& target, int x, int y, Rect* sourceRect) override;
    void copyToScreen(Bitmap& source, int x, int y, Rect* sourceRect) override;
    void copyToScreenWithAlpha(Bitmap& source, int x, int y, Rect* sourceRect,
                               std::uint8_t alpha) override;
    void createBitmap(Bitmap& bitmap, int width, int height) override;
    void loadBitmap(Bitmap& bitmap, char const* path) override;
    void unloadBitmap(Bitmap& bitmap) override;

    void setMultiplier(int multiplier) { m_multiplier = multiplier; }
    void setImageSize(const std::string& path, int width, int height);
    void failOn(const std::string& path) { m_failing.push_back(path); }

    // The handle of a bitmap (0 for none), to match calls against bitmaps.
    static int handleOf(const Bitmap& bitmap);
    // The path a handle was loaded from ("" for created bitmaps).
    std::string pathOf(int handle) const;

    // Only the calls of one kind, in order.
    std::vector<Call> callsOf(Kind kind) const;
    // Screen copies whose source was loaded from the given path.
    std::vector<Call> screenCopiesOf(const std::string& path) const;
    void clearCalls() { calls.clear(); }
    // Bitmaps loaded or created and not yet unloaded.
    int liveBitmaps() const { return static_cast<int>(m_live.size()); }

    std::vector<Call> calls;

  private:
    int newHandle(const std::string& path);

    int m_multiplier = 1;
    int m_nextHandle = 1;
    std::map<std::string, std::pair<int, int>> m_sizes;
    std::map<int, std::string> m_paths;
    std::map<int, bool> m_live;
    std::vector<std::string> m_failing;
};
