#include "player/quenby/quenby_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace quenby {
namespace {

std::string LowerExtension(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

std::vector<std::string> RecordingsOf(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const fs::path& p = entry.path();
        const std::string ext = LowerExtension(p);
        if (ext == ".idx") {
            out.push_back(p.filename().string());
        } else if (ext == ".umv") {
            fs::path index = p;
            index.replace_extension(".idx");
            fs::path upper = p;
            upper.replace_extension(".IDX");
            if (!fs::exists(index, ec) && !fs::exists(upper, ec))
                out.push_back(p.filename().string());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace quenby
