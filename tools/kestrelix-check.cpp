// kestrelix-check: checks the game's content where the game finds it (--data DIR, the
// working directory, the installed data, the source tree's data/ from a build tree): every level
// and character that stageselect.ini lists is loaded with the game's own loaders and checked for
// data that would play wrong. Each problem is printed as "kestrelix-check: <file>: <problem>"; the
// status is 1 when there is any.

#include <cstdio>
#include <cstring>

#include "check/contentcheck.h"
#include "config/datafolder.h"
#include "config/loaderror.h"

int main(int argc, char* argv[]) {
    const char* data = "";
    if (argc == 3 && std::strcmp(argv[1], "--data") == 0) {
        data = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "kestrelix-check: usage: kestrelix-check [--data DIR]\n");
        return 2;
    }
    try {
        DataFolder::enter(data);
        const auto problems = contentcheck::checkAll();
        for (const auto& problem : problems) {
            std::printf("kestrelix-check: %s: %s\n", problem.file.c_str(), problem.text.c_str());
        }
        if (!problems.empty()) {
            std::printf("kestrelix-check: %zu problem%s\n", problems.size(),
                        problems.size() == 1 ? "" : "s");
            return 1;
        }
        std::printf("kestrelix-check: no problems\n");
        return 0;
    } catch (const LoadError& error) {
        std::printf("kestrelix-check: %s\n", error.what());
        return 1;
    }
}
