#include "client/app/settings/client_settings.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "media/watermark.h"
#include "platform/program_directory.h"

namespace client {
namespace {

using platform::Hive;
using platform::kEnvironmentsKey;

std::string EnvFolder(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? WithTrailingSlash(value) : std::string();
}

}  // namespace

std::string WithTrailingSlash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

int SettingsNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;
            break;
        }
    }
    if (negative) return static_cast<int>(std::max(-value, static_cast<long long>(INT_MIN)));
    return static_cast<int>(std::min(value, static_cast<long long>(INT_MAX)));
}

std::string ClientDataDirectory() {
    if (std::string dir = EnvFolder("HALVEX_DATA"); !dir.empty()) return dir;
    if (std::string dir = EnvFolder("XDG_DATA_HOME"); !dir.empty()) return dir + "Halvex/";
    if (std::string home = EnvFolder("HOME"); !home.empty()) return home + ".local/share/Halvex/";
    return "./";
}

ClientSettings::ClientSettings(platform::RegistryStore& store, std::string programDir,
                               std::string dataDir)
    : store_(store), programDir_(std::move(programDir)), dataDir_(std::move(dataDir)) {}

ClientSettings ClientSettings::ForThisProgram() {
    return ClientSettings(platform::RegistryStore::Default(), platform::ProgramDirectory(),
                          ClientDataDirectory());
}

bool ClientSettings::Read(std::string_view name, std::string* value) const {
    return store_.ReadString(Hive::kLocalMachine, kEnvironmentsKey, name, value);
}

bool ClientSettings::Write(std::string_view name, std::string_view value) {
    return store_.WriteString(Hive::kLocalMachine, kEnvironmentsKey, name, value);
}

std::string ClientSettings::File(std::string_view name, const std::string& defaultFile) {
    std::string value;
    // An empty value names no file or folder: it is treated as missing rather than as the
    // current directory.
    if (Read(name, &value) && !value.empty()) return value;
    Write(name, defaultFile);
    return defaultFile;
}

std::string ClientSettings::Folder(std::string_view name, std::string_view defaultFolder) {
    return WithTrailingSlash(File(name, dataDir_ + std::string(defaultFolder)));
}

int ClientSettings::Number(std::string_view name, int defaultValue) {
    std::string value;
    if (Read(name, &value)) return SettingsNumber(value);
    Write(name, std::to_string(defaultValue));
    return defaultValue;
}

std::string ClientSettings::RecordPath() {
    return Folder("RecordPath", "Record/");
}
std::string ClientSettings::BackupPath() {
    return Folder("BackupPath", "Backup/");
}
std::string ClientSettings::CapturePath() {
    return Folder("CapturePath", "Frame/");
}
std::string ClientSettings::WaterMark() {
    return File("WaterMark", programDir_ + media::kDefaultMarkFileName);
}

bool ClientSettings::SetRecordPath(std::string_view folder) {
    return Write("RecordPath", WithTrailingSlash(std::string(folder)));
}
bool ClientSettings::SetBackupPath(std::string_view folder) {
    return Write("BackupPath", WithTrailingSlash(std::string(folder)));
}
bool ClientSettings::SetCapturePath(std::string_view folder) {
    return Write("CapturePath", WithTrailingSlash(std::string(folder)));
}
bool ClientSettings::SetWaterMark(std::string_view file) {
    return Write("WaterMark", file);
}

bool ClientSettings::EventSound() {
    return Number("EventSound", 0) != 0;
}
int ClientSettings::DisplayType() {
    return Number("DisplayType", 0) == 1 ? 1 : 0;
}
bool ClientSettings::DeInterlaced() {
    return Number("DeInterlaced", 1) != 0;
}
bool ClientSettings::CopyQuenby() {
    return Number("CopyQuenby", 0) != 0;
}

bool ClientSettings::SetEventSound(bool on) {
    return Write("EventSound", on ? "1" : "0");
}
bool ClientSettings::SetDisplayType(int type) {
    return Write("DisplayType", type == 1 ? "1" : "0");
}
bool ClientSettings::SetDeInterlaced(bool on) {
    return Write("DeInterlaced", on ? "1" : "0");
}
bool ClientSettings::SetCopyQuenby(bool on) {
    return Write("CopyQuenby", on ? "1" : "0");
}

std::optional<ui::Language> ClientSettings::Language() const {
    std::string word;
    if (!Read("Language", &word)) return std::nullopt;
    return ui::LanguageFromSettingsWord(word);
}

bool ClientSettings::SetLanguage(ui::Language language) {
    return Write("Language", ui::InfoOf(language).settingsWord);
}

bool ClientSettings::LanguageWord(std::string* word) const {
    word->clear();
    return Read("Language", word);
}

RecordingEndType ClientSettings::RecordingEnd(RecordingEndType current) const {
    std::string value;
    if (!Read("RecordingEndType", &value) || value.empty() || value == "0")
        return RecordingEndType::kContinuous;
    if (value == "1") return RecordingEndType::kDuration;
    if (value == "2") return RecordingEndType::kEndTime;
    return current;
}

int ClientSettings::RecordingTime() const {
    std::string value;
    if (Read("RecordingTime", &value)) {
        const int minutes = SettingsNumber(value);
        if (std::find(kRecordingDurations.begin(), kRecordingDurations.end(), minutes) !=
            kRecordingDurations.end())
            return minutes;
    }
    // A duration outside the list would never be reached by the minute count.
    return kRecordingDurations.front();
}

std::string ClientSettings::RecordKeyword() const {
    std::string value;
    Read("RecordKeyword", &value);
    return value;
}

bool ClientSettings::StoreRecordingChoice(RecordingEndType type, int durationMinutes,
                                          std::string_view keyword) {
    bool ok = Write("RecordingEndType", std::to_string(static_cast<int>(type)));
    if (type == RecordingEndType::kDuration)
        ok = Write("RecordingTime", std::to_string(durationMinutes)) && ok;
    return Write("RecordKeyword", keyword) && ok;
}

}  // namespace client
