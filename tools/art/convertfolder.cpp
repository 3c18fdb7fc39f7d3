#include "convertfolder.h"

#include <algorithm>
#include <iostream>
#include <system_error>
#include <vector>

#include "config/loaderror.h"

namespace fs = std::filesystem;

void convertFolder(const fs::path& sourceFolder, const fs::path& outputFolder,
                   const std::function<bool(const fs::path&)>& isSource,
                   const std::string& sourcesName, const std::string& outputExtension,
                   const std::function<void(const fs::path&, const fs::path&)>& convert) {
    std::error_code error;
    std::vector<fs::path> sources;
    for (const fs::directory_entry& entry : fs::directory_iterator(sourceFolder, error)) {
        if (entry.is_regular_file() && isSource(entry.path())) {
            sources.push_back(entry.path());
        }
    }
    if (error) {
        throw LoadError(sourceFolder.string(), "cannot list the folder");
    }
    if (sources.empty()) {
        throw LoadError(sourceFolder.string(), "holds no " + sourcesName + " sources");
    }
    std::sort(sources.begin(), sources.end());  // same order, same messages, every run
    for (const fs::path& source : sources) {
        const fs::path output = outputFolder / source.stem().concat(outputExtension);
        convert(source, output);
        std::cout << source.string() << " -> " << output.string() << "\n";
    }
}

int runConverterTool(const ConverterTool& tool, int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (tool.otherMode && tool.otherMode(args)) {
            return 0;
        }
        if (args.size() == 3 && args[0] == "--all") {
            convertFolder(args[1], args[2], tool.isSource, tool.sourcesName, tool.outputExtension,
                          tool.convert);
        } else if (args.size() == 2 && args[0].rfind("--", 0) != 0) {
            tool.convert(args[0], args[1]);
        } else {
            std::cerr << tool.usage;
            return 2;
        }
    } catch (const LoadError& error) {
        std::cerr << tool.name << ": " << error.file() << ": " << error.problem() << "\n";
        return 1;
    }
    return 0;
}
