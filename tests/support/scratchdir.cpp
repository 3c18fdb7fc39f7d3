#include "scratchdir.h"

#include <atomic>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() : m_previous(fs::current_path()) {
    static std::atomic<int> counter{0};
    std::random_device random;
    m_path = fs::temp_directory_path() /
             ("kestrelix-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(m_path);
    fs::current_path(m_path);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
    fs::remove_all(m_path, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& bytes) const {
    const fs::path file = m_path / name;
    if (file.has_parent_path()) {
        fs::create_directories(file.parent_path());
    }
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ScratchDir::copyFromSource(const std::string& sourcePath, const std::string& name) const {
    const fs::path file = m_path / name;
    if (file.has_parent_path()) {
        fs::create_directories(file.parent_path());
    }
    fs::copy_file(sourceDir() / sourcePath, file, fs::copy_options::overwrite_existing);
}

void ScratchDir::copyShippedData(const std::string& into) const {
    for (const auto& entry : fs::directory_iterator(sourceDir() / "data")) {
        copyFromSource("data/" + entry.path().filename().string(),
                       (fs::path(into) / entry.path().filename()).string());
    }
}

InShippedData::InShippedData() : m_previous(fs::current_path()) {
    fs::current_path(sourceDir() / "data");
}

InShippedData::~InShippedData() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
}

fs::path sourceDir() {
    return fs::path(KESTRELIX_SOURCE_DIR);
}
