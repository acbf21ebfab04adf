#include "client/net/event_search.h"

namespace client {
namespace {

bool AllDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

// "YYMMDD", "hhmmss" -> "YY-MM-DD hh:mm:ss".
std::string TimeDisplay(std::string_view date, std::string_view time) {
    std::string out;
    out.reserve(17);
    out.append(date.substr(0, 2)).append("-").append(date.substr(2, 2)).append("-");
    out.append(date.substr(4, 2)).append(" ").append(time.substr(0, 2)).append(":");
    out.append(time.substr(2, 2)).append(":").append(time.substr(4, 2));
    return out;
}

SearchEntry ParseLine(std::string_view line) {
    SearchEntry e;
    const size_t comma = line.find(',');
    const std::string_view first = line.substr(0, comma);
    e.path.assign(first);
    if (first.size() >= kSearchPathMin) {
        e.start = StartTimeDisplay(first.substr(kSearchStartAt, 13));
        const std::string_view ch = first.substr(kSearchChannelAt, 2);
        if (AllDigits(ch)) e.channel = std::to_string((ch[0] - '0') * 10 + (ch[1] - '0') + 1);
    }
    if (comma == std::string_view::npos) return e;
    const std::string_view rest = line.substr(comma + 1);
    const std::string_view second = rest.substr(0, rest.find(','));
    if (second.size() > 11) e.end = EndTimeDisplay(second.substr(0, 12));
    e.event.assign(EventName(line.substr(line.rfind(',') + 1)));
    return e;
}

}  // namespace

std::string_view EventName(std::string_view code) {
    while (!code.empty() && (code.back() == ' ' || code.back() == '\r'))
        code.remove_suffix(1);
    while (!code.empty() && code.front() == ' ')
        code.remove_prefix(1);
    if (code.size() != 1) return {};
    switch (code[0]) {
        case '0':
        case '3':
            return "Forced";
        case '1':
            return "Motion";
        case '2':
            return "Sensor";
        default:
            return {};
    }
}

std::string StartTimeDisplay(std::string_view t) {
    if (t.size() < 13) return {};
    return TimeDisplay(t.substr(0, 6), t.substr(7, 6));
}

std::string EndTimeDisplay(std::string_view t) {
    if (t.size() < 12) return {};
    return TimeDisplay(t.substr(0, 6), t.substr(6, 6));
}

std::vector<SearchEntry> ParseEventSearch(std::string_view body) {
    std::vector<SearchEntry> entries;
    size_t at = 0;
    for (size_t lf = body.find('\n'); lf != std::string_view::npos; lf = body.find('\n', at)) {
        std::string_view line = body.substr(at, lf - at);
        at = lf + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == ',') continue;
        entries.push_back(ParseLine(line));
    }
    return entries;
}

std::vector<SearchEntry> ParseEventSearch(std::span<const uint8_t> body) {
    return ParseEventSearch(
        std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
}

}  // namespace client
