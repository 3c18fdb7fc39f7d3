#include "config/datafile.h"

#include <filesystem>
#include <system_error>

#include "config/loaderror.h"

bool DataFile::exists(const char* path) {
    std::error_code error;
    return std::filesystem::status(path, error).type() != std::filesystem::file_type::not_found &&
           !error;
}

void DataFile::requireRegular(const char* path) {
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    switch (type) {
        case std::filesystem::file_type::regular:
            return;
        case std::filesystem::file_type::directory:
            throw LoadError(path, "is a folder, not a file");
        case std::filesystem::file_type::not_found:
        case std::filesystem::file_type::none:
        case std::filesystem::file_type::unknown:
            throw LoadError(path, "cannot be opened");
        default:
            // FIFOs, sockets and devices: reading them may block or never end.
            throw LoadError(path, "is not a regular file");
    }
}

std::ifstream DataFile::open(const char* path) {
    requireRegular(path);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw LoadError(path, "cannot be opened");
    }
    return file;
}
