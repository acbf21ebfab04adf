// Decoding whole elementary streams in tests: frames split at VOP start codes, every shown
// picture as planar 4:2:0 and its MD5, in display order, the blank first picture left out.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "decoder/decoder.h"
#include "decoder/decoder_bank.h"
#include "decoder/kernels/kernels.h"
#include "platform/hex_digest.h"
#include "tests/support/temp_dir.h"
#include "tools/umvtool/elementary_stream.h"

namespace testsupport {

using platform::Md5Hex;

inline std::vector<std::span<const uint8_t>> SplitFrames(const std::vector<uint8_t>& stream) {
    std::vector<std::span<const uint8_t>> frames;
    for (const umvtool::EsFrame& f : umvtool::SplitElementaryStream(stream))
        frames.emplace_back(stream.data() + f.begin, f.end - f.begin);
    return frames;
}

inline size_t PlanarSize(int w, int h) {
    return static_cast<size_t>(w) * h + 2 * static_cast<size_t>((w + 1) / 2) * ((h + 1) / 2);
}

// One decoder instance with a planar output picture.
class PlanarDecoder {
  public:
    PlanarDecoder(int width, int height) : picture_(PlanarSize(width, height)), bank_(1) {
        uint8_t* outputs[1] = {picture_.data()};
        ok_ = bank_.Open(0, false, width, height, outputs);
        if (ok_) {
            bank_.params(0).outputFormat = 3;
            ok_ = decoder::decoder_command(1, decoder::kOpSetOutputFormat, &bank_.params(0),
                                           nullptr) == decoder::kResultOk;
        }
    }
    bool ok() const { return ok_; }
    void UseKernels(const decoder::kernels::KernelSet& set) {
        decoder::SelectKernels(bank_.params(0), set);
    }

    // Decodes one frame; returns the command's result.
    int Decode(std::span<const uint8_t> frame) {
        decoder::FrameRequest& req = bank_.request(0);
        req.data = frame.data();
        req.length = static_cast<uint32_t>(frame.size());
        return decoder::decoder_command(1, decoder::kOpDecodeFrame, &req, &bank_.params(0));
    }
    int Flush() { return decoder::FlushPicture(&bank_.request(0), &bank_.params(0)); }
    bool ShowedBlank() { return decoder::ShowedBlankPicture(bank_.params(0)); }
    int requestResult() { return bank_.request(0).result; }
    std::string PictureMd5() const { return Md5Hex(picture_.data(), picture_.size()); }
    const std::vector<uint8_t>& picture() const { return picture_; }
    const decoder::DecodeStats& stats() { return decoder::StatsOf(bank_.params(0)); }
    decoder::DecoderParams& params() { return bank_.params(0); }

    // Decodes all frames; the digests of every shown picture in display order plus the flush.
    std::vector<std::string> DecodeAll(const std::vector<std::span<const uint8_t>>& frames,
                                       std::vector<int>* results = nullptr) {
        std::vector<std::string> out;
        for (auto f : frames) {
            const int rc = Decode(f);
            if (results) results->push_back(rc);
            if (rc == decoder::kResultOk && !ShowedBlank()) out.push_back(PictureMd5());
        }
        if (Flush() == decoder::kResultOk) out.push_back(PictureMd5());
        return out;
    }

  private:
    std::vector<uint8_t> picture_;
    decoder::DecoderBank bank_;
    bool ok_ = false;
};

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string text;
    for (uint8_t c : ReadFile(path))
        text += static_cast<char>(c);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::string CorpusPath(const std::string& name) {
    return std::string(DVR_SOURCE_DIR) + "/tests/decoder/corpus/" + name;
}

}  // namespace testsupport
