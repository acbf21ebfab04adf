// One decoder instance per channel, owned by the channel renderer: allocates each instance's
// memory once per open and feeds it frame after frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "decoder/decoder.h"

namespace decoder {

class DecoderBank {
  public:
    explicit DecoderBank(int count);
    ~DecoderBank();
    DecoderBank(const DecoderBank&) = delete;
    DecoderBank& operator=(const DecoderBank&) = delete;

    // Display type 1 shows RGB pictures, anything else YUY2. Full-height 704-wide pictures that
    // the renderer de-interlaces come out as YUY2 too (it converts them itself). `outputs` holds
    // one picture buffer per channel. False when the size is refused or memory runs out.
    bool Open(int displayType, bool deinterlace, int width, int height, uint8_t* const* outputs);
    void Close();
    bool isOpen() const { return open_; }

    // Decodes one frame for the channel into its output buffer; true when a picture came out.
    bool Decode(int channel, const uint8_t* data, size_t length);
    // Starts the channel's instance over (blank references), as after Open.
    void Reset(int channel);

    int count() const { return count_; }
    int outputFormat() const { return format_; }
    DecoderParams& params(int channel) { return params_[channel]; }
    FrameRequest& request(int channel) { return requests_[channel]; }

    // The output format for a display type, de-interlace switch and picture size.
    static int OutputFormatFor(int displayType, bool deinterlace, int width, int height);

  private:
    int count_;
    bool open_ = false;
    int format_ = 1;
    std::unique_ptr<DecoderParams[]> params_;
    std::unique_ptr<FrameRequest[]> requests_;
};

}  // namespace decoder
