#include "tools/umvtool/printable.h"

#include <cstdio>

namespace umvtool {

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char escape[8];
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 || b == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02X", b);
            out += escape;
        } else if (b == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(text[++i]));
            out += escape;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace umvtool
