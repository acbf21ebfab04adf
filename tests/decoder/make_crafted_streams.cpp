// Writes the crafted streams of the decoder corpus: coding choices that ffmpeg's encoder never
// makes, decoded by ffmpeg for reference digests by scripts/make-decoder-corpus.
//   make_crafted_streams OUT_DIR
#include <cstdio>
#include <string>

#include "tests/decoder/stream_writer.h"

namespace {

using namespace testsupport;

bool Save(const std::string& dir, const char* name, const BitWriter& w) {
    const std::string path = dir + "/" + name + ".m4v";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(w.bytes().data(), 1, w.bytes().size(), f) == w.bytes().size();
    return std::fclose(f) == 0 && ok;
}

// Vectors far beyond the 32-pixel border in every direction, with half-pel parts and both
// rounding values, one and four vectors per macroblock.
BitWriter BigVectors() {
    BitWriter w;
    VolSpec vol;
    WriteVol(w, vol);
    VopSpec i;
    WriteTexturedIVop(w, vol, i, 1);
    const int moves[][2] = {{300, 200}, {-401, -57}, {0, 701}, {-700, 3}, {1001, -999}, {5, -3}};
    int t = 1;
    for (const auto& m : moves) {
        VopSpec p;
        p.type = 1;
        p.timeIncrement = t % 25;
        p.fcodeForward = 7;
        p.rounding = t & 1;
        WriteUniformPVop(w, vol, p, m[0], m[1], t % 3 == 0 ? 2 : 0);
        ++t;
    }
    const int fx[4] = {-333, 251, 97, -1203};
    const int fy[4] = {-77, 431, -690, 15};
    VopSpec p;
    p.type = 1;
    p.timeIncrement = t;
    p.fcodeForward = 7;
    p.rounding = 1;
    WriteFourVectorPVop(w, vol, p, fx, fy);
    return w;
}

// Intra DC coefficients coded among the AC coefficients (intra_dc_vlc_thr 7).
BitWriter DcAsCoefficient() {
    BitWriter w;
    VolSpec vol;
    WriteVol(w, vol);
    VopSpec i;
    i.intraDcThr = 7;
    WriteVopHeader(w, vol, i);
    Lcg rng(7);
    DcTracker dc(22, 18, i.quant);
    for (int m = 0; m < (vol.width / 16) * (vol.height / 16); ++m) {
        IntraMb mb;
        mb.dcAsCoefficient = true;
        for (int n = 0; n < 6; ++n) {
            const int level = rng.Next(20, 100);
            mb.dc[n] = dc.Code(m % 22, m / 22, n, level);
            if (mb.dc[n] == 0) mb.dc[n] = dc.Code(m % 22, m / 22, n, level + 1);  // 0 has no code
        }
        WriteIntraMb(w, vol, false, mb);
    }
    EndVop(w);
    VopSpec p;
    p.type = 1;
    p.timeIncrement = 1;
    p.fcodeForward = 2;
    WriteUniformPVop(w, vol, p, 7, -5, 1);
    return w;
}

// Macroblock stuffing in front of macroblocks of I- and P-VOPs.
BitWriter Stuffing() {
    BitWriter w;
    VolSpec vol;
    WriteVol(w, vol);
    VopSpec i;
    WriteTexturedIVop(w, vol, i, 3, 5);
    VopSpec p;
    p.type = 1;
    p.timeIncrement = 1;
    p.fcodeForward = 1;
    WriteUniformPVop(w, vol, p, 3, 1, 1, 7);
    return w;
}

// MPEG quantisation with loaded matrices whose lists end early with a 0.
BitWriter ShortMatrices() {
    BitWriter w;
    VolSpec vol;
    vol.quantType = true;
    vol.intraMatrix = {16, 20, 0};
    vol.interMatrix = {30, 28, 24, 0};
    WriteVol(w, vol);
    VopSpec i;
    WriteTexturedIVop(w, vol, i, 5);
    VopSpec p;
    p.type = 1;
    p.timeIncrement = 1;
    p.fcodeForward = 1;
    WriteUniformPVop(w, vol, p, -2, 3, 2);
    return w;
}

// Field prediction with vectors far outside the picture, both field selects.
BitWriter FieldVectors() {
    BitWriter w;
    VolSpec vol;
    vol.interlaced = true;
    WriteVol(w, vol);
    WriteTexturedIVop(w, vol, VopSpec{}, 11);
    const struct {
        int x[2], y[2], select[2];
    } moves[] = {{{301, -250}, {-211, 173}, {1, 0}},
                 {{-1003, 999}, {401, -399}, {0, 1}},
                 {{7, -9}, {-5, 3}, {1, 1}},
                 {{-3, 650}, {1200, -1}, {0, 0}}};
    int t = 1;
    for (const auto& m : moves) {
        VopSpec p;
        p.type = 1;
        p.timeIncrement = t;
        p.fcodeForward = 7;
        p.rounding = t & 1;
        WriteFieldPVop(w, vol, p, m.x, m.y, m.select);
        ++t;
    }
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_crafted_streams OUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = Save(dir, "crafted_bigmv_352x288", BigVectors()) &&
                    Save(dir, "crafted_dcthr_352x288", DcAsCoefficient()) &&
                    Save(dir, "crafted_stuffing_352x288", Stuffing()) &&
                    Save(dir, "crafted_matrix0_352x288", ShortMatrices()) &&
                    Save(dir, "crafted_fieldmv_352x288", FieldVectors());
    if (!ok) std::fprintf(stderr, "make_crafted_streams: cannot write to %s\n", dir.c_str());
    return ok ? 0 : 1;
}
