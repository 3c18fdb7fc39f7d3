#pragma once

#include <filesystem>
#include <string>

#include "scratchdir.h"

// Runs kestrelix-replay as a user does, in the shipped data directory, and keeps what it
// said: the exit status and both output streams.
struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

ToolResult runTool(const ScratchDir& scratch, const std::string& arguments);
// A file's bytes.
std::string slurp(const std::filesystem::path& path);
// A file in the scratch directory, quoted for the shell.
std::string scriptPath(const ScratchDir& scratch, const std::string& name);
