#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// The game's command line. Every option and every key the game answers to is a row of one
// of two tables, so `--help` lists exactly what is parsed and what can be pressed. An
// option is `--name` or `--name VALUE`; a repeated option keeps every value in order.
// Anything else is a CommandLineError, which the entry point turns into usage and exit 2.
// Values named FILE or DIR are paths: they are made absolute against the folder the
// program was started in, so they keep their meaning when it moves into its data folder.
class CommandLine {
  public:
    struct Option {
        const char* name;       // with its dashes: "--record"
        const char* valueName;  // nullptr for a switch
        const char* help;
    };
    struct KeyHelp {
        const char* keys;
        const char* help;
    };

    // Throws CommandLineError for an unknown option, a missing value or a stray argument.
    CommandLine(int argc, const char* const argv[]);

    bool has(const std::string& name) const;
    // The last value given for the option, or the fallback when it was not given.
    std::string value(const std::string& name, const std::string& fallback = "") const;
    // Every value given for a repeatable option, in order.
    std::vector<std::string> values(const std::string& name) const;

    static const std::vector<Option>& options();
    static const std::vector<KeyHelp>& keys();
    // The text of `--help`: usage, the options, the keys.
    static std::string usage();

  private:
    struct Given {
        std::string name;
        std::string value;
    };
    std::vector<Given> m_given;
};

class CommandLineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
