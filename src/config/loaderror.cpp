#include "config/loaderror.h"

LoadError::LoadError(const std::string& file, const std::string& problem)
    : std::runtime_error(file + ": " + problem), m_file(file), m_problem(problem) {}
