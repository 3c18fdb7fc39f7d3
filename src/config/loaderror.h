#pragma once

#include <stdexcept>
#include <string>

// The one error the game throws: a file (or a platform resource) it cannot use, and
// what is wrong with it. Loaders throw it instead of reading or drawing out of range; the
// entry point and the tools catch it once and print "kestrelix: <file>: <problem>".
class LoadError : public std::runtime_error {
  public:
    LoadError(const std::string& file, const std::string& problem);

    const std::string& file() const { return m_file; }
    const std::string& problem() const { return m_problem; }

  private:
    std::string m_file;
    std::string m_problem;
};
