// The user's data folder: where everything the programs write goes, never the program's folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/program_directory.h"

namespace {

// Sets or clears environment variables for one test and puts the old values back after it.
class ScopedEnv {
  public:
    void Set(const char* name, const char* value) {
        Remember(name);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

  private:
    void Remember(const char* name) {
        for (const auto& entry : saved_)
            if (entry.first == name) return;
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(UserDataDirectory, ChoosesTheFirstUsableOfTheOverrideXdgAndHome) {
    ScopedEnv env;
    env.Set("HALVEX_DATA", "/tmp/halvex-data");
    env.Set("XDG_DATA_HOME", "/xdg");
    env.Set("HOME", "/home/user");
    EXPECT_EQ(platform::UserDataDirectory(), "/tmp/halvex-data/");  // separator added

    env.Set("HALVEX_DATA", "");
    EXPECT_EQ(platform::UserDataDirectory(), "/xdg/Halvex/");
    env.Set("XDG_DATA_HOME", "/xdg/");
    EXPECT_EQ(platform::UserDataDirectory(), "/xdg/Halvex/");

    // A relative XDG_DATA_HOME is not a valid setting: the home folder's default is used.
    env.Set("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(platform::UserDataDirectory(), "/home/user/.local/share/Halvex/");
    env.Set("XDG_DATA_HOME", nullptr);
    env.Set("HOME", "/home/user/");
    EXPECT_EQ(platform::UserDataDirectory(), "/home/user/.local/share/Halvex/");
}

TEST(UserDataDirectory, IsNeverTheProgramFolder) {
    ScopedEnv env;
    env.Set("HALVEX_DATA", nullptr);
    env.Set("XDG_DATA_HOME", nullptr);
    env.Set("HOME", nullptr);
    const std::string data = platform::UserDataDirectory();
    EXPECT_EQ(data.back(), '/');
    EXPECT_NE(data, platform::ProgramDirectory());
    EXPECT_NE(data.find("Halvex/"), std::string::npos);
}

}  // namespace
