// The client's language packs against its built-in English table: a German or Korean user sees
// every text translated, and whole.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <unordered_map>

#include "client/net/client_strings.h"
#include "ui/language.h"

namespace {

std::unordered_map<int, std::string> PackSource(const std::string& name) {
    std::ifstream in(std::string(DVR_SOURCE_DIR) + "/ui/lang/" + name + ".txt", std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    auto texts = ui::ParseStringPack(text.str(), &error);
    EXPECT_TRUE(texts) << name << ": " << error;
    return texts ? *texts : std::unordered_map<int, std::string>{};
}

bool EndsOpen(const std::string& text) {
    return !text.empty() && (text.back() == ' ' || text.back() == ':');
}

// Every English text has its translation, and no translation stops where its English goes on
// (a text cut after "press" leaves the user without the key to press).
TEST(ClientLanguagePacks, TranslateEveryTextWhole) {
    for (const char* name : {"Telva_M4_German", "Telva_M4_Korean"}) {
        const auto pack = PackSource(name);
        for (int id = 1; id < 10000; ++id) {
            const std::string english = client::ClientText(id);
            if (english.empty()) continue;
            const auto it = pack.find(id);
            if (it == pack.end()) {
                ADD_FAILURE() << name << " lacks " << id << " (" << english << ")";
                continue;
            }
            EXPECT_FALSE(EndsOpen(it->second) && !EndsOpen(english))
                << name << " " << id << " is cut short: \"" << it->second << "\"";
        }
    }
}

}  // namespace
