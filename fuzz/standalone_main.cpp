// Runs a fuzz target over files, without libFuzzer: every regular file named on the
// command line, or found (recursively, in sorted order) in a directory named there, is
// handed once to LLVMFuzzerTestOneInput. A target that breaks an invariant aborts, which
// fails the run; the file being run is printed first so the culprit is known.
//
//   fuzz_<target> DIR_OR_FILE...   (a missing directory is skipped, an empty run fails)

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputsOf(const fs::path& path) {
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        files.push_back(path);
    } else if (fs::is_directory(path, error)) {
        for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
            // Notes kept beside the inputs are not inputs.
            if (entry.is_regular_file() && entry.path().filename() != "README.md" &&
                entry.path().filename() != ".gitkeep") {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
    } else {
        std::fprintf(stderr, "skipping %s: no such file or directory\n", path.c_str());
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    // Paths are made absolute first: a target may change the working directory.
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputsOf(fs::absolute(argv[i]))) {
            files.push_back(file);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
        std::fprintf(stderr, "running %s (%zu bytes)\n", file.c_str(), bytes.size());
        // A copy of exactly the input's size, so reading past it is caught under ASan.
        std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
    }
    std::printf("%zu inputs ran without a fault\n", files.size());
    return 0;
}
