#include "client/app/settings/recording_choice.h"

#include <algorithm>
#include <tuple>

namespace client {

int RecordingChoice::ChosenChannelCount() const {
    return static_cast<int>(std::count(channels.begin(), channels.end(), true));
}

int RecordingChoice::RecordingView() const {
    const int count = ChosenChannelCount();
    if (count == 0) return -1;
    if (count > 1) return 22;
    return static_cast<int>(std::find(channels.begin(), channels.end(), true) - channels.begin());
}

int SelectableChannelBoxes(int channelCount) {
    return std::clamp(channelCount, 0, kRecordingChannels);
}

bool IsEndInFuture(const EndChoice& end, const std::tm& now) {
    const int nowYear = now.tm_year + 1900, nowMonth = now.tm_mon + 1;
    const auto date = std::tie(end.date.year, end.date.month, end.date.day);
    const auto today = std::tie(nowYear, nowMonth, now.tm_mday);
    if (date != today) return date > today;
    return end.hour * 60 + end.minute > now.tm_hour * 60 + now.tm_min;
}

std::tm LocalTimeOf(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

std::time_t EndMomentOf(const EndChoice& end) {
    std::tm t{};
    t.tm_year = end.date.year - 1900;
    t.tm_mon = end.date.month - 1;
    t.tm_mday = end.date.day;
    t.tm_hour = end.hour;
    t.tm_min = end.minute;
    t.tm_sec = 0;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

EndChoice DefaultEndChoice(std::time_t now) {
    const std::tm t = LocalTimeOf(now + 10 * 60);
    return {{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday}, t.tm_hour, t.tm_min};
}

bool IsKeywordCharacterAllowed(char32_t c) {
    if (c < 0x20 || c == 0x7F) return false;
    static constexpr std::u32string_view kForbidden = U"*/,\\|:<>?\"";
    return kForbidden.find(c) == std::u32string_view::npos;
}

std::string CleanKeyword(std::string_view utf8) {
    std::string out;
    int characters = 0;
    for (size_t i = 0; i < utf8.size() && characters < kRecordKeywordMaxLength;) {
        // One UTF-8 sequence: its lead byte tells its length; continuation bytes never start one.
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80    ? 1
                        : lead >= 0xF0 ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC0 ? 2
                                       : 0;
        if (length == 0 || i + length > utf8.size()) {  // stray or cut byte: dropped
            ++i;
            continue;
        }
        if (length == 1 && !IsKeywordCharacterAllowed(lead)) {
            ++i;
            continue;
        }
        out.append(utf8.substr(i, length));
        ++characters;
        i += length;
    }
    return out;
}

}  // namespace client
