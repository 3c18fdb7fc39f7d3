#pragma once

#include <fstream>

// Opens the game's data files. Only a regular file (or a link to one) is read: a folder
// would read as an empty file and a FIFO would block the game for ever, so both are
// refused with the loaders' usual LoadError before anything is opened.
class DataFile {
  public:
    // Whether anything at all exists at the path (a file, a folder, a FIFO, ...).
    static bool exists(const char* path);
    // Throws LoadError(path, ...) unless the path names a regular file that can be read.
    static void requireRegular(const char* path);
    // requireRegular, then the file opened for binary reading.
    static std::ifstream open(const char* path);
};
