#pragma once

#include <vector>

struct Bitmap;

// Unloads, when it goes out of scope, every bitmap it watches that holds a picture,
// unless dismissed. The destructor of a half-built object does not run, so a constructor
// that loads a picture and then reads more of its files watches the picture until nothing
// can throw any more: a refused load then leaks nothing, and no constructor needs a
// catch-all block of its own. Bitmaps are unloaded in the order they were watched,
// through the video service of the moment.
class BitmapGuard {
  public:
    BitmapGuard() = default;
    ~BitmapGuard();
    BitmapGuard(const BitmapGuard&) = delete;
    BitmapGuard& operator=(const BitmapGuard&) = delete;

    // The bitmap must outlive the guard (a member of the object being built).
    void watch(Bitmap& bitmap) { m_watched.push_back(&bitmap); }
    // The object is complete: its destructor unloads from now on.
    void dismiss() { m_watched.clear(); }

  private:
    std::vector<Bitmap*> m_watched;
};
