#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The --all mode of the content tools: converts every source file of a folder (those
// isSource accepts) to outputFolder/<stem><outputExtension>, in name order so that every
// run prints the same, and prints "source -> output" for each. Throws LoadError when the
// folder cannot be listed or holds no source ("holds no <sourcesName> sources").
void convertFolder(const std::filesystem::path& sourceFolder,
                   const std::filesystem::path& outputFolder,
                   const std::function<bool(const std::filesystem::path&)>& isSource,
                   const std::string& sourcesName, const std::string& outputExtension,
                   const std::function<void(const std::filesystem::path& source,
                                            const std::filesystem::path& output)>& convert);

// The command line the content tools share: "<source> <output>" converts one file,
// "--all <source folder> <output folder>" every source of a folder (convertFolder).
// otherMode, when set, is offered the arguments first and returns whether it took them.
// A refused source is one line, "<name>: <file>: <problem>", and status 1; arguments no
// mode takes print the usage and give status 2.
struct ConverterTool {
    std::string name;
    std::string usage;
    std::function<bool(const std::filesystem::path&)> isSource;
    std::string sourcesName;
    std::string outputExtension;
    std::function<void(const std::filesystem::path& source, const std::filesystem::path& output)>
        convert;
    std::function<bool(const std::vector<std::string>& args)> otherMode;
};
int runConverterTool(const ConverterTool& tool, int argc, char** argv);
