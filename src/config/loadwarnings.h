#pragma once

#include <string>
#include <vector>

// Where loaders report data they accept but a modder should know about (a duration the
// game raises to one frame, a missing settings file). The game prints each warning as
// "kestrelix: <file>: <problem>" on stderr; a tool installs a Collector to gather them
// instead, so it can count and print them in its own words (and only once each).
class LoadWarnings {
  public:
    struct Warning {
        std::string file;
        std::string problem;
    };

    static void warn(const std::string& file, const std::string& problem);

    // While it lives, warnings are kept here instead of printed; collectors nest.
    class Collector {
      public:
        Collector();
        ~Collector();
        Collector(const Collector&) = delete;
        Collector& operator=(const Collector&) = delete;

        // Every warning so far, each distinct one once, in the order first given.
        const std::vector<Warning>& warnings() const { return m_warnings; }

      private:
        friend class LoadWarnings;
        void add(const std::string& file, const std::string& problem);

        Collector* m_previous;
        std::vector<Warning> m_warnings;
    };

  private:
    static Collector* s_collector;
};
