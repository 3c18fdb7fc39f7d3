#include "toolrun.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ToolResult runTool(const ScratchDir& scratch, const std::string& arguments) {
    const std::filesystem::path out = scratch.path() / "out.txt";
    const std::filesystem::path err = scratch.path() / "err.txt";
    const std::string command = "cd '" + (sourceDir() / "data").string() + "' && '" +
                                KESTRELIX_REPLAY_TOOL + "' " + arguments + " >'" + out.string() +
                                "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    ToolResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = slurp(out);
    result.err = slurp(err);
    return result;
}

std::string scriptPath(const ScratchDir& scratch, const std::string& name) {
    return "'" + (scratch.path() / name).string() + "'";
}
