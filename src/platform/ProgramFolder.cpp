// The program's own folder as its current directory.
#include "platform/ProgramFolder.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return program.parent_path().string();
}

bool EnterProgramFolder() {
    const std::string folder = ProgramFolder();
    return !folder.empty() && chdir(folder.c_str()) == 0;
}
