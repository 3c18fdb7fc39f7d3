#pragma once

#include <filesystem>
#include <string>

// A fresh temporary directory that becomes the working directory for the lifetime of
// the object, since every path the game reads is relative to the working directory.
// Files are written into it from inline text, so a test reads like the data it sets up.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Writes the file (creating parent folders) with exactly these bytes.
    void write(const std::string& name, const std::string& bytes) const;
    // Copies a file of the source tree (e.g. "data/font.ini") under the given name.
    void copyFromSource(const std::string& sourcePath, const std::string& name) const;
    // Copies every file of the shipped data/ into the folder `into` ("" for the scratch
    // directory itself).
    void copyShippedData(const std::string& into = "") const;
    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

// Makes the shipped data/ itself the working directory while it lives, and puts the previous
// one back, for tests that only read it.
class InShippedData {
  public:
    InShippedData();
    ~InShippedData();
    InShippedData(const InShippedData&) = delete;
    InShippedData& operator=(const InShippedData&) = delete;

  private:
    std::filesystem::path m_previous;
};

// The project's source directory, for tests that read the shipped data.
std::filesystem::path sourceDir();
