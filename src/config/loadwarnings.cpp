#include "config/loadwarnings.h"

#include <algorithm>
#include <iostream>

LoadWarnings::Collector* LoadWarnings::s_collector = nullptr;

void LoadWarnings::warn(const std::string& file, const std::string& problem) {
    if (s_collector != nullptr) {
        s_collector->add(file, problem);
        return;
    }
    std::cerr << "kestrelix: " << file << ": " << problem << '\n';
}

LoadWarnings::Collector::Collector() : m_previous(s_collector) {
    s_collector = this;
}

LoadWarnings::Collector::~Collector() {
    s_collector = m_previous;
}

void LoadWarnings::Collector::add(const std::string& file, const std::string& problem) {
    // A tool loads a level once per character: the same warning must not repeat.
    const bool known = std::any_of(m_warnings.begin(), m_warnings.end(), [&](const Warning& w) {
        return w.file == file && w.problem == problem;
    });
    if (!known) {
        m_warnings.push_back({file, problem});
    }
}
