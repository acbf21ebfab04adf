#include "platform/path_component.h"

namespace platform {

std::string SafePathComponent(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        out += b < 0x20 || b == 0x7F || c == '/' ? '_' : c;
    }
    if (out.size() > kComponentMax) {
        size_t cut = kComponentMax;
        // Step back over continuation bytes so the last character stays whole.
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
        out.resize(cut);
    }
    if (out.empty() || out == "." || out == "..") return std::string(kUnnamedComponent);
    return out;
}

}  // namespace platform
