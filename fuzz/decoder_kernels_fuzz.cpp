// Runs one kernel, chosen and sized by the input, in every kernel set on the same bytes and
// stops at the first sample where a SIMD set differs from the reference. The sanitizers catch
// any access outside the buffers, which end exactly where each kernel may read or write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "decoder/kernels/kernels.h"

namespace {

using decoder::kernels::KernelSet;

// Hands out the input's bytes; zeros once they run out.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int Between(int lo, int hi) { return lo + Byte() % (hi - lo + 1); }
    // The rest of the input repeated over `n` bytes (zeros for an empty rest).
    std::vector<uint8_t> Bytes(size_t n) {
        std::vector<uint8_t> v(n, 0);
        const size_t rest = size_ - pos_;
        for (size_t i = 0; rest && i < n; ++i)
            v[i] = data_[pos_ + i % rest];
        return v;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

size_t Extent(ptrdiff_t stride, int rows, size_t lastRowBytes) {
    return static_cast<size_t>(stride) * static_cast<size_t>(rows - 1) + lastRowBytes;
}

void Same(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a != b) std::abort();
}

// Runs `run(set, buffer)` on a copy of `initial` for every set and compares with the reference.
template <class Run>
void Compare(const std::vector<uint8_t>& initial, Run run) {
    const KernelSet* sets[] = {&decoder::kernels::ReferenceKernels(),
                               &decoder::kernels::Sse2Kernels(),
                               &decoder::kernels::ActiveKernels()};
    std::vector<uint8_t> want = initial;
    run(*sets[0], want);
    for (const KernelSet* set : {sets[1], sets[2]}) {
        std::vector<uint8_t> got = initial;
        run(*set, got);
        Same(want, got);
    }
}

void Idct(Input& in) {
    Compare(in.Bytes(128), [](const KernelSet& k, std::vector<uint8_t>& b) {
        int16_t block[64];
        std::memcpy(block, b.data(), sizeof(block));
        k.inverseDct(block);
        std::memcpy(b.data(), block, sizeof(block));
    });
}

void Transfer(Input& in) {
    const bool add = in.Byte() & 1;
    const int stride = in.Between(8, 40);
    std::vector<uint8_t> coefficients = in.Bytes(128);
    int16_t block[64];
    std::memcpy(block, coefficients.data(), sizeof(block));
    Compare(in.Bytes(Extent(stride, 8, 8)), [&](const KernelSet& k, std::vector<uint8_t>& b) {
        (add ? k.addBlock : k.storeBlock)(block, b.data(), stride);
    });
}

void Predict(Input& in) {
    const int index = in.Byte() & 15;
    const bool average = in.Byte() & 1;
    const int height = in.Between(1, 17);
    const int width = index & 8 ? 16 : 8, hx = index & 1, hy = (index >> 1) & 1;
    const int srcStride = width + hx + in.Between(0, 20);
    const int dstStride = width + in.Between(0, 20);
    const std::vector<uint8_t> src = in.Bytes(Extent(srcStride, height + hy, width + hx));
    Compare(in.Bytes(Extent(dstStride, height, width)), [&](const KernelSet& k,
                                                            std::vector<uint8_t>& b) {
        (average ? k.avg : k.put)[index](b.data(), dstStride, src.data(), srcStride, height);
    });
}

// The transform straight into the picture (store or add); the block must come back all zero.
void TransformInto(Input& in) {
    const bool add = in.Byte() & 1;
    const int stride = in.Between(8, 40);
    const std::vector<uint8_t> coefficients = in.Bytes(128);
    Compare(in.Bytes(Extent(stride, 8, 8)), [&](const KernelSet& k, std::vector<uint8_t>& b) {
        int16_t block[64];
        std::memcpy(block, coefficients.data(), sizeof(block));
        (add ? k.inverseDctAdd : k.inverseDctStore)(block, b.data(), stride);
        for (const int16_t v : block)
            if (v != 0) std::abort();
    });
}

// Both chroma blocks with one kernel: two sources of their exact extent, the two destinations
// in one buffer with a gap between them.
void PredictPair(Input& in) {
    const int index = in.Byte() & 7;
    const bool average = in.Byte() & 1;
    const int height = in.Between(1, 9);
    const int hx = index & 1, hy = (index >> 1) & 1;
    const int srcStride = 8 + hx + in.Between(0, 20);
    const int dstStride = 8 + in.Between(0, 20);
    const size_t gap = static_cast<size_t>(in.Between(0, 9));
    const std::vector<uint8_t> srcA = in.Bytes(Extent(srcStride, height + hy, 8 + hx));
    const std::vector<uint8_t> srcB = in.Bytes(srcA.size());
    const size_t second = Extent(dstStride, height, 8) + gap;
    Compare(in.Bytes(second + Extent(dstStride, height, 8)),
            [&](const KernelSet& k, std::vector<uint8_t>& b) {
                (average ? k.avgPair : k.putPair)[index](b.data(), b.data() + second, dstStride,
                                                         srcA.data(), srcB.data(), srcStride,
                                                         height);
            });
}

// Both directions of a B-VOP in one pass: each source of its exact extent, the chroma pair's
// two destinations in one buffer with a gap between them.
void PredictBi(Input& in) {
    const int index = in.Byte() & 31;
    const int width = index >= 16 ? 16 : 8;
    const bool pair = width == 8 && (in.Byte() & 1);
    const int height = in.Between(1, 17);
    const int f = index & 3, b = (index >> 2) & 3;
    const int srcStride = width + 1 + in.Between(0, 20);
    const int dstStride = width + in.Between(0, 20);
    const auto source = [&](int halves) {
        return in.Bytes(
            Extent(srcStride, height + (halves >> 1), static_cast<size_t>(width) + (halves & 1)));
    };
    const std::vector<uint8_t> forward = source(f), backward = source(b);
    const std::vector<uint8_t> forwardCr = pair ? source(f) : forward;
    const std::vector<uint8_t> backwardCr = pair ? source(b) : backward;
    const size_t block = Extent(dstStride, height, static_cast<size_t>(width));
    const size_t second = block + static_cast<size_t>(in.Between(0, 9));
    Compare(in.Bytes(pair ? second + block : block), [&](const KernelSet& k,
                                                         std::vector<uint8_t>& out) {
        if (pair) {
            k.biPair[index](out.data(), out.data() + second, dstStride, forward.data(),
                            forwardCr.data(), backward.data(), backwardCr.data(), srcStride,
                            height);
        } else {
            k.bi[index](out.data(), dstStride, forward.data(), backward.data(), srcStride, height);
        }
    });
}

void Pad(Input& in) {
    const int width = in.Between(1, 60), height = in.Between(1, 12), border = in.Between(1, 33);
    const int stride = width + 2 * border + in.Between(0, 9);
    Compare(in.Bytes(Extent(stride, height + 2 * border, width + 2 * border)),
            [&](const KernelSet& k, std::vector<uint8_t>& b) {
                k.padPlane(b.data() + border * stride + border, stride, width, height, border);
            });
}

void Convert(Input& in) {
    const int format = in.Between(1, 11);
    const int width = in.Between(1, 80), height = in.Between(1, 20);
    const int sign = in.Byte() & 1 ? -1 : 1;
    const int yStride = width + in.Between(0, 9), cStride = (width + 1) / 2 + in.Between(0, 9);
    const int cw = (width + 1) / 2, ch = (height + 1) / 2;
    const std::vector<uint8_t> y = in.Bytes(Extent(yStride, height, width));
    const std::vector<uint8_t> cb = in.Bytes(Extent(cStride, ch, cw));
    const std::vector<uint8_t> cr = in.Bytes(Extent(cStride, ch, cw));
    const decoder::kernels::PlanarPicture picture{y.data(), cb.data(), cr.data(), yStride,
                                                  cStride,  width,     height};
    const int outStride = width + in.Between(0, 9);
    const int bpp = decoder::kernels::OutputBytesPerPixel(format);
    const int cOut = (outStride + 1) / 2;
    const size_t outBytes = format == 3
                                ? static_cast<size_t>(outStride) * height +
                                      static_cast<size_t>(cOut) * ch + Extent(cOut, ch, cw)
                                : Extent(outStride * bpp, height, static_cast<size_t>(width) * bpp);
    Compare(std::vector<uint8_t>(outBytes, 0xA5), [&](const KernelSet& k, std::vector<uint8_t>& b) {
        k.convert[format](picture, b.data(), outStride, sign * height);
    });
}

void Deinterlace(Input& in) {
    const int width = in.Between(1, 40), height = 478 + in.Between(0, 4);
    const bool inPlace = in.Byte() & 1;
    const int stride = 2 * width + in.Between(0, 5);
    const std::vector<uint8_t> picture = in.Bytes(Extent(stride, height, 2 * size_t(width)));
    if (inPlace) {
        Compare(picture, [&](const KernelSet& k, std::vector<uint8_t>& b) {
            k.deinterlace(b.data(), b.data(), stride, width, height);
        });
    } else {
        Compare(std::vector<uint8_t>(picture.size(), 0),
                [&](const KernelSet& k, std::vector<uint8_t>& b) {
                    k.deinterlace(picture.data(), b.data(), stride, width, height);
                });
    }
}

void Yuy2ToRgb(Input& in) {
    const int width = in.Between(1, 64), height = in.Between(1, 8);
    const int inStride = 2 * width + in.Between(0, 5), outStride = 3 * width + in.Between(0, 5);
    const std::vector<uint8_t> picture = in.Bytes(Extent(inStride, height, 2 * size_t(width)));
    Compare(std::vector<uint8_t>(Extent(outStride, height, 3 * size_t(width)), 0x5A),
            [&](const KernelSet& k, std::vector<uint8_t>& b) {
                k.yuy2ToRgb(picture.data(), inStride, b.data(), outStride, width, height);
            });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    switch (in.Byte() % 10) {
        case 0:
            Idct(in);
            break;
        case 1:
            Transfer(in);
            break;
        case 2:
            Predict(in);
            break;
        case 3:
            Pad(in);
            break;
        case 4:
            Convert(in);
            break;
        case 5:
            Deinterlace(in);
            break;
        case 6:
            TransformInto(in);
            break;
        case 7:
            PredictPair(in);
            break;
        case 8:
            PredictBi(in);
            break;
        default:
            Yuy2ToRgb(in);
            break;
    }
    return 0;
}
