#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/regular_file.h"

namespace platform {
namespace {

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
};

// Values may hold any byte; backslash, CR and LF are escaped so one value stays on one line.
std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char n = text[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<Section> Parse(const std::string& path) {
    std::vector<Section> sections;
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path, &bytes)) return sections;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            sections.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || sections.empty()) continue;
        sections.back().values.emplace_back(line.substr(0, eq), Unescape(line.substr(eq + 1)));
    }
    return sections;
}

bool Serialize(const std::string& path, const std::vector<Section>& sections) {
    std::ostringstream out;
    for (const Section& s : sections) {
        out << '[' << s.name << "]\n";
        for (const auto& [key, value] : s.values)
            out << key << '=' << Escape(value) << '\n';
        out << '\n';
    }
    const std::string text = out.str();
    const std::string temp = path + ".tmp." + std::to_string(getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<size_t>(n);
    }
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Serialises writers of this process (mutex) and of other processes (flock on a side file).
class FileLock {
  public:
    explicit FileLock(const std::string& path) : guard_(Mutex()) {
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    static std::mutex& Mutex() {
        static std::mutex m;
        return m;
    }
    std::lock_guard<std::mutex> guard_;
    int fd_ = -1;
};

}  // namespace

RegistryStore::RegistryStore(std::string iniPath) : path_(std::move(iniPath)) {}

std::string RegistryStore::DefaultPath() {
    if (const char* explicitPath = std::getenv("HALVEX_CONFIG"); explicitPath && *explicitPath)
        return explicitPath;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".";
    }
    return base + "/Halvex/Environments.ini";
}

RegistryStore& RegistryStore::Default() {
    static RegistryStore store(DefaultPath());
    return store;
}

std::string RegistryStore::SectionName(Hive hive, std::string_view keyPath) {
    std::string name = hive == Hive::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    while (!keyPath.empty() && keyPath.back() == '\\')
        keyPath.remove_suffix(1);
    while (!keyPath.empty() && keyPath.front() == '\\')
        keyPath.remove_prefix(1);
    if (!keyPath.empty()) {
        name += '\\';
        name += keyPath;
    }
    return name;
}

bool RegistryStore::ReadString(Hive hive, std::string_view keyPath, std::string_view name,
                               std::string* value) const {
    const std::string section = SectionName(hive, keyPath);
    for (const Section& s : Parse(path_)) {
        if (s.name != section) continue;
        for (const auto& [key, v] : s.values) {
            if (key == name) {
                if (value) *value = v;
                return true;
            }
        }
    }
    return false;
}

bool RegistryStore::WriteString(Hive hive, std::string_view keyPath, std::string_view name,
                                std::string_view value) {
    if (name.empty() || name.find_first_of("=\n\r") != std::string_view::npos) return false;
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path_).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);

    FileLock lock(path_);
    std::vector<Section> sections = Parse(path_);
    const std::string sectionName = SectionName(hive, keyPath);
    Section* section = nullptr;
    for (Section& s : sections)
        if (s.name == sectionName) section = &s;
    if (section == nullptr) {
        sections.push_back({sectionName, {}});
        section = &sections.back();
    }
    bool replaced = false;
    for (auto& [key, v] : section->values) {
        if (key == name) {
            v = std::string(value);
            replaced = true;
        }
    }
    if (!replaced) section->values.emplace_back(std::string(name), std::string(value));
    return Serialize(path_, sections);
}

std::string RegistryStore::ReadOrInit(Hive hive, std::string_view keyPath, std::string_view name,
                                      std::string_view defaultValue) {
    std::string value;
    if (ReadString(hive, keyPath, name, &value)) return value;
    WriteString(hive, keyPath, name, defaultValue);
    return std::string(defaultValue);
}

}  // namespace platform
