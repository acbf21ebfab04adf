#include "decoder/headers.h"

#include <cstring>

#include "decoder/vlc_tables.h"

namespace decoder {
namespace {

// Reads a loaded quantisation matrix: up to 64 8-bit values in zigzag order, a 0 ending the
// list early with every later position taking the last value read.
void ReadMatrix(BitReader& r, uint16_t* raster) {
    int last = 0;
    int i = 0;
    for (; i < 64; ++i) {
        const int v = static_cast<int>(r.read_bits(8));
        if (v == 0) break;
        last = v;
        raster[kZigzagScan[i]] = static_cast<uint16_t>(v);
    }
    for (; i < 64; ++i)
        raster[kZigzagScan[i]] = static_cast<uint16_t>(last);
}

}  // namespace

int TimeIncrementBits(int resolution) {
    int bits = 1;
    while (bits < 16 && (1 << bits) < resolution)
        ++bits;
    return bits;
}

int NextStartCode(BitReader& r) {
    r.align_to_byte();
    const uint8_t* d = r.data();
    const size_t n = r.size();
    for (size_t i = r.bytePosition(); i + 3 < n; ++i) {
        if (d[i + 2] > 1) {
            i += 2;
            continue;
        }
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) {
            r.setPosition((i + 4) * 8);
            return d[i + 3];
        }
    }
    r.setPosition(n * 8);
    return -1;
}

int parse_vol_header(BitReader& r, ParsedVol* out) {
    VolHeader& v = out->vol;
    v = VolHeader{};
    out->loadIntra = out->loadInter = false;
    v.randomAccessible = r.read_bit();
    v.typeIndication = static_cast<int>(r.read_bits(8));
    if (r.read_bit()) {  // is_object_layer_identifier
        v.verid = static_cast<int>(r.read_bits(4));
        v.priority = static_cast<int>(r.read_bits(3));
    }
    v.aspectRatio = static_cast<int>(r.read_bits(4));
    if (v.aspectRatio == 0xF) r.skip_bits(16);  // par_width, par_height
    if (r.read_bit()) {                         // vol_control_parameters
        v.chromaFormat = static_cast<int>(r.read_bits(2));
        v.lowDelay = r.read_bit();
        if (r.read_bit()) r.skip_bits(15 + 1 + 15 + 1 + 15 + 1 + 3 + 11 + 1 + 15 + 1);  // vbv
    }
    v.shape = static_cast<int>(r.read_bits(2));
    if (v.shape == 3) return kStatusShapeOrPartitioned;
    if (v.shape != 0) return kStatusUnsupportedTool;
    int markers = r.read_bit();
    v.timeIncrementResolution = static_cast<int>(r.read_bits(16));
    markers &= r.read_bit();
    if (v.timeIncrementResolution == 0) return kDamagedHeader;
    v.timeIncrementBits = TimeIncrementBits(v.timeIncrementResolution);
    v.fixedVopRate = r.read_bit();
    if (v.fixedVopRate) r.skip_bits(static_cast<size_t>(v.timeIncrementBits));
    markers &= r.read_bit();
    v.width = static_cast<int>(r.read_bits(13));
    markers &= r.read_bit();
    v.height = static_cast<int>(r.read_bits(13));
    markers &= r.read_bit();
    if (!markers || v.width == 0 || v.height == 0) return kDamagedHeader;
    v.interlaced = r.read_bit();
    v.obmcDisable = r.read_bit();
    v.spriteEnable = static_cast<int>(r.read_bits(v.verid == 1 ? 1 : 2));
    if (v.spriteEnable != 0) return kStatusUnsupportedTool;
    if (r.read_bit()) {  // not_8_bit
        v.quantPrecision = static_cast<int>(r.read_bits(4));
        v.bitsPerPixel = static_cast<int>(r.read_bits(4));
        if (v.bitsPerPixel != 8 || v.quantPrecision != 5) return kStatusUnsupportedTool;
    }
    v.quantType = r.read_bit();
    if (v.quantType) {
        for (int i = 0; i < 64; ++i) {
            out->intraMatrix[i] = kDefaultIntraMatrix[i];
            out->interMatrix[i] = kDefaultInterMatrix[i];
        }
        out->loadIntra = r.read_bit();
        if (out->loadIntra) ReadMatrix(r, out->intraMatrix);
        out->loadInter = r.read_bit();
        if (out->loadInter) ReadMatrix(r, out->interMatrix);
    }
    if (v.verid != 1) v.quarterSample = r.read_bit();
    v.complexityEstimationDisable = r.read_bit();
    if (!v.complexityEstimationDisable) return kStatusComplexityEstimation;
    v.resyncMarkerDisable = r.read_bit();
    v.dataPartitioned = r.read_bit();
    if (v.dataPartitioned) return kStatusShapeOrPartitioned;
    if (v.verid != 1) {
        if (r.read_bit()) return kStatusUnsupportedTool;  // newpred_enable
        if (r.read_bit()) return kStatusUnsupportedTool;  // reduced_resolution_vop_enable
    }
    v.scalability = r.read_bit();
    if (v.scalability) return kStatusScalability;
    if (v.chromaFormat != 1) return kStatusUnsupportedTool;
    if (v.quarterSample) return kStatusQuarterSample;
    return 0;
}

int parse_gov_header(BitReader& r) {
    const int hours = static_cast<int>(r.read_bits(5));
    const int minutes = static_cast<int>(r.read_bits(6));
    r.skip_bits(1);
    const int seconds = static_cast<int>(r.read_bits(6));
    r.skip_bits(2);  // closed_gov, broken_link
    return seconds + 60 * (minutes + 60 * hours);
}

int parse_vop_header(BitReader& r, const VolHeader& vol, VopHeader* vop) {
    vop->codingType = static_cast<int>(r.read_bits(2));
    int modulo = 0;
    while (r.read_bit() && !r.overrun())
        ++modulo;
    if (!r.read_bit()) return kDamagedHeader;  // marker
    vop->timeIncrement = static_cast<int>(r.read_bits(vol.timeIncrementBits));
    if (!r.read_bit()) return kDamagedHeader;  // marker
    vop->coded = r.read_bit();
    if (!vop->coded) return modulo;
    vop->roundingType = vop->codingType == kVopP ? r.read_bit() : 0;
    vop->intraDcVlcThr = static_cast<int>(r.read_bits(3));
    if (vol.interlaced) {
        vop->topFieldFirst = r.read_bit();
        vop->alternateVerticalScan = r.read_bit();
    } else {
        vop->topFieldFirst = 1;
        vop->alternateVerticalScan = 0;
    }
    vop->quant = static_cast<int>(r.read_bits(vol.quantPrecision));
    vop->fcodeForward = vop->codingType != kVopI ? static_cast<int>(r.read_bits(3)) : 1;
    vop->fcodeBackward = vop->codingType == kVopB ? static_cast<int>(r.read_bits(3)) : 1;
    return modulo;
}

}  // namespace decoder
