#include "platform/program_directory.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string ProgramDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path dir = ec ? std::filesystem::current_path(ec) : exe.parent_path();
    std::string text = dir.string();
    if (text.empty() || text.back() != '/') text.push_back('/');
    return text;
}

}  // namespace platform
