// kestrelix-check: checks the game's content in the working directory (run it from
// data/): every level and character that stageselect.ini lists is loaded with the game's
// own loaders and checked for data that would play wrong. Each problem is printed as
// "kestrelix-check: <file>: <problem>"; the status is 1 when there is any.

#include <cstdio>

#include "check/contentcheck.h"
#include "config/loaderror.h"

int main() {
    try {
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
