// String settings kept the way the recorder software keeps them in the registry: one text value
// per (hive, key path, name). Stored in an INI file whose sections are named after hive and key
// path, shared safely by every program of the suite.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class Hive { kLocalMachine, kCurrentUser };

// The key under which both programs keep their settings.
inline constexpr std::string_view kEnvironmentsKey = "Software\\Halvex\\Environments\\";

class RegistryStore {
  public:
    // A store over the given INI file (created on the first write, folders included).
    explicit RegistryStore(std::string iniPath);

    // $HALVEX_CONFIG if set, else $XDG_CONFIG_HOME/Halvex/Environments.ini, else
    // ~/.config/Halvex/Environments.ini.
    static std::string DefaultPath();
    // The process-wide store at DefaultPath() (resolved on first use).
    static RegistryStore& Default();

    // False when the value does not exist (or the file cannot be read).
    bool ReadString(Hive hive, std::string_view keyPath, std::string_view name,
                    std::string* value) const;
    // False when the file cannot be written; the file is never left half-written.
    bool WriteString(Hive hive, std::string_view keyPath, std::string_view name,
                     std::string_view value);
    // The value, or `defaultValue` written back at once when the value is missing.
    std::string ReadOrInit(Hive hive, std::string_view keyPath, std::string_view name,
                           std::string_view defaultValue);

    const std::string& path() const { return path_; }

    // "HKEY_LOCAL_MACHINE\Software\Halvex\Environments" for the key above (no trailing '\').
    static std::string SectionName(Hive hive, std::string_view keyPath);

  private:
    std::string path_;
};

}  // namespace platform
