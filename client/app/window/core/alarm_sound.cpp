#include "client/app/window/core/alarm_sound.h"

#include <algorithm>
#include <cstring>

namespace client_app {
namespace {

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

std::vector<int16_t> DecodeWaveForDevice(std::span<const uint8_t> b) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return {};
    int channels = 0, bits = 0;
    uint32_t rate = 0;
    std::span<const uint8_t> data;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint8_t* chunk = b.data() + at;
        const uint64_t size = Le32(chunk + 4);
        const size_t body = at + 8;
        const size_t available = b.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && available >= 16) {
            if (Le16(chunk + 8) != 1) return {};  // PCM only
            channels = Le16(chunk + 10);
            rate = Le32(chunk + 12);
            bits = Le16(chunk + 22);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = b.subspan(body, static_cast<size_t>(std::min<uint64_t>(size, available)));
        }
        if (size > available) break;
        at = body + static_cast<size_t>(size) + (size & 1);
    }
    if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) || rate < 1000 ||
        rate > 192000)
        return {};
    const size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
    const size_t frames = data.size() / frameBytes;
    auto sample = [&](size_t frame) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
            const uint8_t* p = data.data() + frame * frameBytes + c * (bits / 8);
            sum += bits == 8 ? (p[0] - 128) * 256 : static_cast<int16_t>(Le16(p));
        }
        return sum / channels;
    };
    // Linear interpolation to the device's rate.
    std::vector<int16_t> out;
    if (frames == 0) return out;
    const uint64_t count = static_cast<uint64_t>(frames) * output::kSampleRate / rate;
    out.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const double at = static_cast<double>(i) * rate / output::kSampleRate;
        const size_t f = static_cast<size_t>(at);
        const double t = at - static_cast<double>(f);
        const int a = sample(f), c = sample(std::min(f + 1, frames - 1));
        out.push_back(static_cast<int16_t>(a + (c - a) * t));
    }
    return out;
}

void AlarmSound::SetSamples(std::vector<int16_t> samples) {
    std::lock_guard lock(mutex_);
    samples_ = std::move(samples);
    next_ = 0;
}

void AlarmSound::WriteNextLocked() {
    if (samples_.empty()) return;
    const size_t count = std::min(kBlock, samples_.size() - next_);
    device_.Write(samples_.data() + next_, count);
    next_ = (next_ + count) % samples_.size();
}

bool AlarmSound::Play() {
    {
        std::lock_guard lock(mutex_);
        if (playing_) return true;
        if (samples_.empty()) return false;
    }
    // Each block played brings the next one: two stay queued, so the loop never runs dry.
    const bool opened = device_.Open([this] {
        std::lock_guard lock(mutex_);
        if (playing_) WriteNextLocked();
    });
    if (!opened) return false;
    std::lock_guard lock(mutex_);
    playing_ = true;
    next_ = 0;
    WriteNextLocked();
    WriteNextLocked();
    return true;
}

void AlarmSound::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (!playing_) return;
        playing_ = false;
    }
    device_.Close();
}

bool AlarmSound::playing() const {
    std::lock_guard lock(mutex_);
    return playing_;
}

}  // namespace client_app
