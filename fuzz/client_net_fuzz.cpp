// Arbitrary chunk sequences through the packet scanner and the record handler. Besides not
// crashing, the scanner must find the same packets however the bytes are cut into chunks.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "client/net/packet_scanner.h"
#include "client/net/stream_handler.h"

namespace {

using namespace client;

class Collect final : public PacketHandler {
  public:
    ScanVerdict OnResult(ClientId, uint8_t code) override {
        events.push_back({1, {code}});
        return ScanVerdict::Stop;
    }
    ScanVerdict OnChannelInfo(ClientId, std::span<const uint8_t> p) override {
        events.push_back({2, {p.begin(), p.end()}});
        return ScanVerdict::Continue;
    }
    void OnUnsupportedChannelInfo(ClientId, uint32_t) override { events.push_back({3, {}}); }
    ScanVerdict OnMedia(ClientId, std::span<const uint8_t> r) override {
        events.push_back({4, {r.begin(), r.end()}});
        return ScanVerdict::Continue;
    }
    std::vector<std::pair<int, std::vector<uint8_t>>> events;
};

class Quiet final : public FrameSink, public Notifier, public StreamHooks {
  public:
    void ShowPicture(int, CellPicture) override {}
    void SetTitle(int, std::string_view t) override { sum += t.size(); }
    void SetChannelInfo(const ChannelInfo& info) override {
        for (int c = 0; c < 16; ++c)
            sum += info.Name(c).size();
    }
    void SetMark(int, CellMark, bool) override {}
    void SetSizeCode(int) override {}
    void Picture(int channel, const media::FrameHeader&, std::span<const uint8_t> r) override {
        if (channel < 0 || channel > 15) std::abort();
        sum += r.size() ? r[r.size() - 1] : 0;
    }
    void Post(client::Notification, int) override {}
    void ShowMessage(int, std::string_view) override {}
    void ShowTime(std::string_view) override {}
    void LeaveRecorder() override {}
    void StartAudio(int, ClientId) override { audio = true; }
    void StopAudio() override { audio = false; }
    bool AudioRunning() const override { return audio; }
    bool LocalRecording() const override { return recording; }

    bool audio = false;
    bool recording = false;
    size_t sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto kind = static_cast<StreamKind>(in.ConsumeIntegralInRange(1, 4));
    const bool recording = in.ConsumeBool();
    std::vector<size_t> cuts;
    for (int i = 0; i < 64 && in.remaining_bytes() > 0 && in.ConsumeBool(); ++i)
        cuts.push_back(in.ConsumeIntegralInRange<size_t>(0, 12000));
    const std::vector<uint8_t> stream = in.ConsumeRemainingBytes<uint8_t>();

    // The scanners hold large buffers: made once, reset for every input.
    static Collect whole;
    static Collect chunked;
    static Quiet quiet;
    static MessageTable messages;
    static std::atomic<bool> stop{false};
    static StreamHandler handler(quiet, quiet, quiet, messages, stop);
    static PacketScanner s1(whole);
    static PacketScanner s2(chunked);
    static PacketScanner s3(handler, &stop);
    whole.events.clear();
    chunked.events.clear();
    s1.Reset();
    s2.Reset();
    s3.Reset();
    stop = false;
    quiet.audio = false;
    quiet.recording = recording;
    handler.Reset(kind);

    // One chunk.
    s1.Scan(stream);

    // The same bytes in the chosen chunks, stopping where a scan says so.
    bool chunkedStopped = false;
    bool handlerStopped = false;
    size_t at = 0;
    for (size_t i = 0; at < stream.size(); ++i) {
        const size_t n =
            i < cuts.size() ? std::min(cuts[i], stream.size() - at) : stream.size() - at;
        const std::span<const uint8_t> chunk(stream.data() + at, n);
        if (!chunkedStopped) chunkedStopped = s2.Scan(chunk) == ScanVerdict::Stop;
        if (!handlerStopped) handlerStopped = s3.Scan(chunk) == ScanVerdict::Stop;
        at += n;
    }
    if (whole.events != chunked.events) std::abort();
    return 0;
}
