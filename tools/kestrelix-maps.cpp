// kestrelix-maps: compiles the text tile maps of assets/levels into the binary .map files
// the game loads.
//
//   kestrelix-maps <source.txt> <target.map>
//   kestrelix-maps --all <source dir> <target dir>
//
// Problems are printed as "kestrelix-maps: <file>:<line>: <problem>" with status 1.

#include <cstdio>
#include <cstring>

#include "config/loaderror.h"
#include "maps/mapsource.h"

int main(int argc, char* argv[]) {
    try {
        if (argc == 4 && std::strcmp(argv[1], "--all") == 0) {
            const int count = mapsource::compileAll(argv[2], argv[3]);
            std::printf("kestrelix-maps: %d map%s written to %s\n", count, count == 1 ? "" : "s",
                        argv[3]);
            return 0;
        }
        if (argc == 3 && argv[1][0] != '-') {
            mapsource::compileFile(argv[1], argv[2]);
            return 0;
        }
    } catch (const LoadError& error) {
        std::fprintf(stderr, "kestrelix-maps: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr,
                 "kestrelix-maps: usage: kestrelix-maps <source.txt> <target.map>\n"
                 "                       kestrelix-maps --all <source dir> <target dir>\n");
    return 2;
}
