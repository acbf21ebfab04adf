#include "player/search/still_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "media/still_image.h"
#include "player/search/name_pattern.h"

namespace player {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kAnyTime14 = "??????????????";
constexpr std::string_view kAnyTime13 = "?????????????";

bool SixDigitsAt(std::string_view s, size_t pos) {
    if (pos + 6 > s.size()) return false;
    for (size_t i = pos; i < pos + 6; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

int TwoDigits(std::string_view s, size_t pos) {
    return (s[pos] - '0') * 10 + (s[pos + 1] - '0');
}

std::string ChannelText(int channel) {
    return channel == kStillChannelMulti ? std::string("M") : std::to_string(channel);
}

bool EndsWithJpg(std::string_view name) {
    return name.size() >= 4 && MatchNamePattern("*.jpg", name.substr(name.size() - 4));
}

// Characters [pos, pos + 2) of `s`, or what is left of them.
std::string Part(std::string_view s, size_t pos) {
    return pos < s.size() ? std::string(s.substr(pos, 2)) : std::string();
}

}  // namespace

std::vector<std::string> StillPatterns(const StillCriteria& c) {
    const bool name = !c.recorder.empty();
    const bool channel = c.channel != 0;
    const bool keyword = !c.keyword.empty();
    if (!name) {
        if (!channel) return {keyword ? "*" + c.keyword + ".jpg" : std::string("*.jpg")};
        return {"*," + ChannelText(c.channel) + "," + (keyword ? c.keyword : "*") + ".jpg"};
    }
    if (!channel && !keyword) return {c.recorder + ",*.jpg"};
    std::vector<std::string> patterns;
    for (std::string_view time : {kAnyTime14, kAnyTime13}) {
        std::string p = c.recorder + "," + std::string(time) + ",";
        if (channel)
            p += ChannelText(c.channel) + "," + (keyword ? c.keyword : "*") + ".jpg";
        else
            p += "*" + c.keyword + ".jpg";
        patterns.push_back(std::move(p));
    }
    return patterns;
}

int StillYear(int twoDigits) {
    int year = twoDigits + 2000;
    return year > 2038 ? twoDigits + 1900 : year;
}

std::optional<StillDate> StillNameDate(std::string_view fileName) {
    if (fileName.size() <= 20) return std::nullopt;
    const size_t comma = fileName.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    size_t at = comma + 1;
    if (!SixDigitsAt(fileName, at)) {
        at = comma + 8;
        if (!SixDigitsAt(fileName, at)) return std::nullopt;
    }
    return StillDate{StillYear(TwoDigits(fileName, at)), TwoDigits(fileName, at + 2),
                     TwoDigits(fileName, at + 4)};
}

StillRow MakeStillRow(const std::string& folder, std::string_view fileName) {
    StillRow row;
    row.path = folder + std::string(fileName);
    std::string_view rest = fileName;
    if (EndsWithJpg(rest)) rest.remove_suffix(4);
    std::string fields[4];
    for (int i = 0; i < 4; ++i) {
        size_t comma = i < 3 ? rest.find(',') : std::string_view::npos;
        fields[i] = std::string(rest.substr(0, comma));
        if (comma == std::string_view::npos) {
            rest = {};
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    row.recorder = fields[0];
    const std::string& t = fields[1];  // "yymmdd_hhmmss"
    if (!t.empty())
        row.time = Part(t, 0) + "-" + Part(t, 2) + "-" + Part(t, 4) + " " + Part(t, 7) + ":" +
                   Part(t, 9) + ":" + Part(t, 11);
    row.channel = fields[2];
    row.keyword = fields[3];
    return row;
}

std::string GroupThousands(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::vector<std::string> ListStillFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        std::string name = it->path().filename().string();
        if (EndsWithJpg(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> StillRecorderNames(const std::vector<std::string>& fileNames) {
    std::vector<std::string> recorders;
    for (const std::string& name : fileNames) {
        if (!media::IsStillName(name)) continue;
        std::string recorder = name.substr(0, name.find(','));
        if (std::find(recorders.begin(), recorders.end(), recorder) == recorders.end())
            recorders.push_back(std::move(recorder));
    }
    std::sort(recorders.begin(), recorders.end());
    return recorders;
}

StillSearchResult StillSearch::Run(const std::string& folder, const StillCriteria& criteria,
                                   const std::atomic<bool>& stop, const Progress& progress) {
    return Run(folder, ListStillFiles(folder), criteria, stop, progress);
}

StillSearchResult StillSearch::Run(const std::string& folder,
                                   const std::vector<std::string>& fileNames,
                                   const StillCriteria& criteria, const std::atomic<bool>& stop,
                                   const Progress& progress) {
    StillSearchResult result;
    const std::vector<std::string> patterns = StillPatterns(criteria);
    std::vector<const std::string*> matched;
    for (const std::string& name : fileNames) {
        for (const std::string& pattern : patterns) {
            if (MatchNamePattern(pattern, name)) {
                matched.push_back(&name);
                break;
            }
        }
    }
    result.matched = matched.size();
    if (matched.empty()) {
        result.status = StillSearchStatus::kNoFiles;
        return result;
    }
    for (size_t i = 0; i < matched.size(); ++i) {
        if (stop.load(std::memory_order_relaxed)) {
            result.status = StillSearchStatus::kStopped;
            return result;
        }
        const std::string& name = *matched[i];
        std::optional<StillDate> date = StillNameDate(name);
        bool keep = date.has_value();
        if (keep && criteria.date)
            keep = date->year >= 1970 && date->year <= 2038 && *date == *criteria.date;
        if (keep) result.rows.push_back(MakeStillRow(folder, name));
        if (progress) progress(i + 1, matched.size());
    }
    return result;
}

std::string StillSearch::CounterText(size_t done, size_t total) {
    return GroupThousands(done) + " / " + GroupThousands(total);
}

}  // namespace player
