#include <algorithm>
#include <cstring>

#include "tools/umvtool/command.h"
#include "tools/umvtool/printable.h"

namespace umvtool {

Args::Args(std::span<char* const> words, std::vector<std::string> valueOptions,
           std::vector<std::string> switches) {
    auto contains = [](const std::vector<std::string>& list, const std::string& s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    for (size_t i = 0; i < words.size(); ++i) {
        std::string word = words[i];
        if (word.size() > 2 && word.rfind("--", 0) == 0) {
            std::string name = word.substr(2);
            std::string inlineValue;
            bool hasInline = false;
            if (size_t eq = name.find('='); eq != std::string::npos) {
                inlineValue = name.substr(eq + 1);
                name = name.substr(0, eq);
                hasInline = true;
            }
            if (contains(valueOptions, name)) {
                if (hasInline) {
                    options_.emplace_back(name, inlineValue);
                } else if (i + 1 < words.size()) {
                    options_.emplace_back(name, words[++i]);
                } else {
                    error_ = "option --" + name + " needs a value";
                    return;
                }
            } else if (contains(switches, name) && !hasInline) {
                options_.emplace_back(name, "");
            } else {
                error_ = "unknown option --" + name;
                return;
            }
        } else {
            positional_.push_back(word);
        }
    }
}

bool Args::has(const std::string& name) const {
    return std::any_of(options_.begin(), options_.end(),
                       [&](const auto& o) { return o.first == name; });
}

std::optional<std::string> Args::value(const std::string& name) const {
    std::optional<std::string> last;
    for (const auto& [n, v] : options_)
        if (n == name) last = v;
    return last;
}

std::vector<std::string> Args::values(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& [n, v] : options_)
        if (n == name) out.push_back(v);
    return out;
}

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "umvtool: %s\n", Printable(message).c_str());
    for (const Command& c : Commands())
        if (std::strcmp(c.name, command) == 0)
            std::fprintf(stderr, "usage: umvtool %s\n", c.synopsis);
    return kExitUsage;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", Printable(message).c_str());
    return kExitFailure;
}

int FailFile(const std::string& path, const std::string& message) {
    return Fail(path + ": " + message);
}

}  // namespace umvtool
