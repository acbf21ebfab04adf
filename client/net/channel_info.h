// The recorder's channel count and channel names, sent in a class-20 packet at the start of
// every stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace client {

class ChannelInfo {
  public:
    static constexpr size_t kSize = 210;
    static constexpr size_t kNameSize = 13;

    ChannelInfo() { Clear(); }
    void Clear();
    // Copies a payload of 54, 106 or 210 bytes over the start of the table (the names of the
    // channels it covers; the others keep theirs). False for any other size.
    bool Set(std::span<const uint8_t> payload);

    int channelCount() const { return bytes_[0]; }
    // The name of channel c (0..15): its 13 bytes up to the first zero, never beyond them.
    std::string_view Name(int channel) const;

  private:
    uint8_t bytes_[kSize];
};

}  // namespace client
