#include "client/net/channel_info.h"

#include <cstring>

namespace client {

void ChannelInfo::Clear() {
    std::memset(bytes_, 0, sizeof bytes_);
    bytes_[0] = 16;
}

bool ChannelInfo::Set(std::span<const uint8_t> payload) {
    if (payload.size() != 54 && payload.size() != 106 && payload.size() != 210) return false;
    std::memcpy(bytes_, payload.data(), payload.size());
    return true;
}

std::string_view ChannelInfo::Name(int channel) const {
    if (channel < 0 || channel >= 16) return {};
    const char* name = reinterpret_cast<const char*>(bytes_ + 2 + kNameSize * size_t(channel));
    size_t n = 0;
    while (n < kNameSize && name[n] != '\0')
        ++n;
    return {name, n};
}

}  // namespace client
