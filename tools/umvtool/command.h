// The umvtool command table and the small helpers every command uses.
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace media {
class FrameIndex;
}

namespace umvtool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Command-line words after the command name: "--name value" options, "--flag" switches and
// positional words. Options that take a value must be declared.
class Args {
  public:
    Args(std::span<char* const> words, std::vector<std::string> valueOptions,
         std::vector<std::string> switches);

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    // Every value given for a repeatable option, in order.
    std::vector<std::string> values(const std::string& name) const;

  private:
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> positional_;
    std::string error_;
};

struct Command {
    const char* name;
    const char* synopsis;  // one usage line without the program name
    const char* summary;
    int (*run)(std::span<char* const> args);
};

std::span<const Command> Commands();

// Prints "umvtool: <message>" and the command's usage line on stderr; returns kExitUsage.
int UsageError(const char* command, const std::string& message);
// Prints the message on stderr (control characters escaped); returns kExitFailure.
int Fail(const std::string& message);
// The same for a message about one file: "PATH: message".
int FailFile(const std::string& path, const std::string& message);

// The warnings `info` prints about a recording's index (pictures beyond its capacity, records
// left out because the data file ends inside them), on stderr.
void WarnAboutIndex(const media::FrameIndex& index);

// Commands.
int RunInfo(std::span<char* const> args);
int RunFrames(std::span<char* const> args);
int RunReindex(std::span<char* const> args);
int RunMkrec(std::span<char* const> args);
int RunCalendar(std::span<char* const> args);
int RunStill(std::span<char* const> args);
int RunWatermark(std::span<char* const> args);
int RunLive(std::span<char* const> args);
int RunDecode(std::span<char* const> args);
int RunBackup(std::span<char* const> args);
int RunSearch(std::span<char* const> args);
int RunPlay(std::span<char* const> args);
int RunSnapshot(std::span<char* const> args);
int RunExport(std::span<char* const> args);
int RunVerify(std::span<char* const> args);
int RunUpgrade(std::span<char* const> args);

}  // namespace umvtool
