#include "platform/program_directory.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path.push_back('/');
    return path;
}

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

}  // namespace

std::string ProgramDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path dir = ec ? std::filesystem::current_path(ec) : exe.parent_path();
    return WithSeparator(dir.string());
}

std::string UserDataDirectory() {
    if (const char* explicitPath = NonEmptyEnv("HALVEX_DATA")) return WithSeparator(explicitPath);
    if (const char* xdg = NonEmptyEnv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return WithSeparator(xdg) + "Halvex/";
    if (const char* home = NonEmptyEnv("HOME")) return WithSeparator(home) + ".local/share/Halvex/";
    // Neither is set: a folder under the current one, as the settings file does.
    std::error_code ec;
    return WithSeparator(std::filesystem::current_path(ec).string()) + "Halvex/";
}

}  // namespace platform
