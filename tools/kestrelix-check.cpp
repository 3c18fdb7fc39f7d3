// kestrelix-check: checks the game's content where the game finds it (--data DIR, the
// working directory, the installed data, the source tree's data/ from a build tree): the
// menu, and every level and character that stageselect.ini lists, are loaded with the
// game's own loaders and checked for data that would play wrong.
//
// What the game refuses is printed as "kestrelix-check: <file>: <problem>", the same
// line the game stops with, and makes the status 1. Everything else is a warning,
// "kestrelix-check: warning: <file>: <problem>": the game plays that data (status 0,
// or 1 with --strict). A wrong command line gives status 2.

#include <cstdio>
#include <cstring>

#include "check/contentcheck.h"
#include "config/datafolder.h"
#include "config/loaderror.h"

namespace {

const char kUsage[] =
    "usage: kestrelix-check [--data DIR] [--strict]\n"
    "  --data DIR   check the data in DIR (default: where the game finds its data)\n"
    "  --strict     also exit with status 1 when there are only warnings\n";

const char* plural(std::size_t count) {
    return count == 1 ? "" : "s";
}

}  // namespace

int main(int argc, char* argv[]) {
    bool strict = false;
    const char* data = "";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--strict") == 0) {
            strict = true;
        } else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            data = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("%s", kUsage);
            return 0;
        } else {
            std::fprintf(stderr, "kestrelix-check: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    try {
        DataFolder::enter(data);
        const auto problems = contentcheck::checkAll();
        std::size_t refused = 0;
        for (const auto& problem : problems) {
            refused += problem.refused ? 1 : 0;
            std::printf("kestrelix-check: %s%s: %s\n",
                        problem.refused ? "" : "warning: ", problem.file.c_str(),
                        problem.text.c_str());
        }
        const std::size_t warnings = problems.size() - refused;
        if (refused > 0) {
            std::printf("kestrelix-check: %zu problem%s the game refuses", refused,
                        plural(refused));
        } else {
            std::printf("kestrelix-check: no problems");
        }
        if (warnings > 0) {
            std::printf(", %zu warning%s", warnings, plural(warnings));
        }
        std::printf("\n");
        return refused > 0 || (strict && warnings > 0) ? 1 : 0;
    } catch (const LoadError& error) {
        std::printf("kestrelix-check: %s\n", error.what());
        return 1;
    }
}
