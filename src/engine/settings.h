#pragma once

class IniDictionary;

// The game's own settings, read from settings.ini the one way the engine and the tools
// share (no SDL here): the tools then refuse what the game refuses.
class Settings {
  public:
    // 16 gives a 4096 x 3840 window; more is of no use to any screen and only costs memory.
    static constexpr int kMaxPixelMultiplier = 16;

    // [Video] pixelMultiplier, default 1 (also when the file is missing, with a warning);
    // LoadError naming the value as written when it is not 1 to kMaxPixelMultiplier.
    static int pixelMultiplierOf(const IniDictionary& settings);
    // The same of the settings the game reads (the data folder's, with the user's over it).
    static int readPixelMultiplier();
};
