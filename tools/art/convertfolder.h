#pragma once

#include <filesystem>
#include <functional>
#include <string>

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
