// The inverse DCT against the transform of the reference decoder (libavcodec's AP-922 "xvid"
// inverse DCT, reached through its public AVDCT interface), block by block on every kind of
// input. Skipped, saying why, when the libavcodec development files are not installed.
#include <gtest/gtest.h>

#if DVR_HAVE_LIBAVCODEC
extern "C" {
#include <libavcodec/avdct.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

#include "tests/decoder/kernels/test_support.h"

namespace {

using namespace kerneltest;

class Oracle {
  public:
    Oracle() : dct_(avcodec_dct_alloc()) {
        ok_ = dct_ && av_opt_set(dct_, "idct", "xvid", AV_OPT_SEARCH_CHILDREN) >= 0 &&
              avcodec_dct_init(dct_) >= 0 && dct_->idct;
    }
    ~Oracle() { av_free(dct_); }
    Oracle(const Oracle&) = delete;
    Oracle& operator=(const Oracle&) = delete;
    bool ok() const { return ok_; }

    // The oracle's transform takes its coefficients in its own permuted order.
    void InverseDct(const int16_t* in, int16_t* out) const {
        alignas(16) int16_t permuted[64];
        for (int i = 0; i < 64; ++i)
            permuted[dct_->idct_permutation[i]] = in[i];
        dct_->idct(permuted);
        std::memcpy(out, permuted, sizeof(permuted));
    }

  private:
    AVDCT* dct_;
    bool ok_ = false;
};

class IdctOracle : public testing::TestWithParam<const KernelSet*> {};

TEST_P(IdctOracle, IdenticalOnEveryBlock) {
    Oracle oracle;
    ASSERT_TRUE(oracle.ok());
    int kindIndex = 0;
    for (BlockKind kind : kAllBlockKinds) {
        Random rng(77 + kindIndex++);
        int mismatches = 0;
        for (int i = 0; i < 100000 && mismatches < 3; ++i) {
            alignas(16) int16_t in[64], want[64], got[64];
            RandomBlock(rng, kind, in);
            oracle.InverseDct(in, want);
            std::memcpy(got, in, sizeof(in));
            GetParam()->inverseDct(got);
            if (std::memcmp(got, want, sizeof(got)) != 0) {
                ++mismatches;
                ADD_FAILURE() << "block kind " << kindIndex - 1 << ", block " << i
                              << testing::PrintToString(std::vector<int16_t>(in, in + 64));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, IdctOracle, testing::ValuesIn(AllSets()), SetName());

}  // namespace

#else

TEST(IdctOracle, IdenticalOnEveryBlock) {
    GTEST_SKIP() << "the reference decoder's inverse DCT is not available: install libavcodec-dev "
                    "and configure again";
}

#endif
