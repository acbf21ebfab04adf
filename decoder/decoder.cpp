// The command entry: instance set-up, the per-frame decode sequence (headers, reference
// bookkeeping, macroblocks, border padding, output) and the size probe.
#include "decoder/decoder.h"

#include <algorithm>
#include <cstring>

#include "decoder/decoder_state.h"
#include "decoder/headers.h"
#include "decoder/macroblock.h"
#include "decoder/vlc_tables.h"

namespace decoder {
namespace {

constexpr int kStateMagic = 0x4D503456;  // instance initialised

struct Instance {
    DecoderState* state;
    DecoderTables* tables;
    BitReader* reader;
};

PictureGeometry GeometryFor(int width, int height) {
    PictureGeometry g;
    g.width = width;
    g.height = height;
    g.mbWidth = (width + 15) / 16;
    g.mbHeight = (height + 15) / 16;
    g.codedWidth = g.mbWidth * 16;
    g.codedHeight = g.mbHeight * 16;
    g.yStride = g.codedWidth + 2 * kLumaBorder;
    g.cStride = g.codedWidth / 2 + 2 * kChromaBorder;
    const size_t yBytes = static_cast<size_t>(g.yStride) * (g.codedHeight + 2 * kLumaBorder);
    const size_t cBytes = static_cast<size_t>(g.cStride) * (g.codedHeight / 2 + 2 * kChromaBorder);
    g.yOrigin = static_cast<size_t>(kLumaBorder * g.yStride + kLumaBorder);
    g.cbOrigin = yBytes + static_cast<size_t>(kChromaBorder * g.cStride + kChromaBorder);
    g.crOrigin = g.cbOrigin + cBytes;
    g.pictureBytes = yBytes + 2 * cBytes;
    return g;
}

bool SizeAccepted(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxWidth && height <= kMaxHeight;
}

MemoryRequirements RequirementsFor(int width, int height) {
    const PictureGeometry g = GeometryFor(width, height);
    MemoryRequirements m;
    const uint32_t w = static_cast<uint32_t>(g.codedWidth);
    const uint32_t h = static_cast<uint32_t>(g.codedHeight);
    const uint32_t picture = (w + 64) * (h + 64) + 2 * ((w / 2 + 64) * (h / 2 + 64));
    m.size[0] = m.size[1] = m.size[2] =
        std::max<uint32_t>(picture, static_cast<uint32_t>(g.pictureBytes));
    const uint32_t cw = static_cast<uint32_t>((width + 1) / 2);
    const uint32_t ch = static_cast<uint32_t>((height + 1) / 2);
    m.size[3] = static_cast<uint32_t>(width * height) + 2 * cw * ch;
    m.size[4] = sizeof(DecoderState);
    m.size[5] = sizeof(DecoderTables);
    m.size[6] = sizeof(BitReader);
    return m;
}

bool InstanceOf(const DecoderParams* p, Instance* out) {
    if (!p || !p->state || !p->tables || !p->reader || !p->picture[0] || !p->picture[1] ||
        !p->picture[2])
        return false;
    *out = {p->state, p->tables, p->reader};
    return true;
}

bool Initialised(const DecoderState& s) {
    return s.magic == kStateMagic;
}

PicturePlanes PlanesOf(const DecoderParams& p, const PictureGeometry& g, int index) {
    uint8_t* base = p.picture[index];
    return {base + g.yOrigin, base + g.cbOrigin, base + g.crOrigin};
}

void ClearPicture(uint8_t* base, const PictureGeometry& g) {
    const size_t yBytes =
        g.cbOrigin - static_cast<size_t>(kChromaBorder * g.cStride + kChromaBorder);
    std::memset(base, 16, yBytes);
    std::memset(base + yBytes, 128, g.pictureBytes - yBytes);
}

int Init(DecoderParams* p) {
    Instance in;
    if (!InstanceOf(p, &in) || p->codecKind != kCodecMpeg4 || !SizeAccepted(p->width, p->height) ||
        !kernels::IsOutputFormat(p->outputFormat))
        return kResultInvalid;
    DecoderState& s = *in.state;
    s = DecoderState{};
    s.magic = kStateMagic;
    s.outputFormat = p->outputFormat;
    s.kernels = &kernels::ActiveKernels();
    s.vol.width = p->width;
    s.vol.height = p->height;
    s.vol.timeIncrementResolution = 15;
    s.vol.timeIncrementBits = TimeIncrementBits(15);
    s.geometry = GeometryFor(p->width, p->height);
    const MemoryRequirements m = RequirementsFor(p->width, p->height);
    s.pictureCapacity = m.size[0];
    s.displayCapacity = m.size[3];
    s.setUpWidth = p->width;
    s.setUpHeight = p->height;
    s.stats.minQuant = 31;
    ResetPredictionMaps(&s);

    DecoderTables& t = *in.tables;
    std::memcpy(t.zigzag, kZigzagScan, 64);
    std::memcpy(t.alternateVertical, kAlternateVerticalScan, 64);
    std::memcpy(t.alternateHorizontal, kAlternateHorizontalScan, 64);
    for (int i = 0; i < 64; ++i) {
        t.intraMatrix[i] = kDefaultIntraMatrix[i];
        t.interMatrix[i] = kDefaultInterMatrix[i];
    }
    *in.reader = BitReader{};
    for (int i = 0; i < 3; ++i)
        ClearPicture(p->picture[i], s.geometry);
    s.newest = 1;
    return kResultOk;
}

void ConvertPicture(const DecoderState& s, const DecoderParams& p, FrameRequest* req, int index) {
    if (!(req->renderFlags & (kRenderConvert | kRenderViaDisplayBuffer)) || !req->output) return;
    const PictureGeometry& g = s.geometry;
    const PicturePlanes planes = PlanesOf(p, g, index);
    kernels::PlanarPicture pic{planes.y,  planes.cb, planes.cr, g.yStride,
                               g.cStride, g.width,   g.height};
    if ((req->renderFlags & kRenderViaDisplayBuffer) && p.display) {
        // Copy the visible planes into the contiguous display buffer and convert from there.
        const int cw = (g.width + 1) / 2;
        const int ch = (g.height + 1) / 2;
        uint8_t* y = p.display;
        uint8_t* cb = y + static_cast<size_t>(g.width) * g.height;
        uint8_t* cr = cb + static_cast<size_t>(cw) * ch;
        for (int r = 0; r < g.height; ++r)
            std::memcpy(y + static_cast<size_t>(r) * g.width, planes.y + r * g.yStride,
                        static_cast<size_t>(g.width));
        for (int r = 0; r < ch; ++r) {
            std::memcpy(cb + static_cast<size_t>(r) * cw, planes.cb + r * g.cStride,
                        static_cast<size_t>(cw));
            std::memcpy(cr + static_cast<size_t>(r) * cw, planes.cr + r * g.cStride,
                        static_cast<size_t>(cw));
        }
        pic = {y, cb, cr, g.width, cw, g.width, g.height};
    }
    const int stride = req->stride > 0 ? req->stride : g.width;
    s.kernels->convert[s.outputFormat](pic, req->output, stride,
                                       kernels::OutputSignedHeight(s.outputFormat, g.height));
}

void PadPicture(const DecoderState& s, const PicturePlanes& planes) {
    const PictureGeometry& g = s.geometry;
    s.kernels->padPlane(planes.y, g.yStride, g.codedWidth, g.codedHeight, kLumaBorder);
    s.kernels->padPlane(planes.cb, g.cStride, g.codedWidth / 2, g.codedHeight / 2, kChromaBorder);
    s.kernels->padPlane(planes.cr, g.cStride, g.codedWidth / 2, g.codedHeight / 2, kChromaBorder);
}

int RoundedDiv64(int64_t a, int b) {
    return static_cast<int>((a >= 0 ? a + (b >> 1) : a - (b >> 1)) / b);
}

// Updates the clock from a VOP header and, for a B-VOP, the temporal distances its direct mode
// scales by. A B-VOP whose time does not lie between its references (a recorder that does not keep
// time) is predicted as if it lay halfway instead of being left out.
void UpdateTiming(DecoderState& s, int modulo) {
    const int64_t resolution = s.vol.timeIncrementResolution;
    if (s.vop.codingType != kVopB) {
        s.lastTimeBase = s.timeBase;
        s.timeBase += modulo;
        s.time = s.timeBase * resolution + s.vop.timeIncrement;
        s.ppTime = static_cast<uint16_t>(s.time - s.lastNonBTime);
        s.lastNonBTime = s.time;
        return;
    }
    s.time = (s.lastTimeBase + modulo) * resolution + s.vop.timeIncrement;
    s.pbTime = static_cast<uint16_t>(s.ppTime - (s.lastNonBTime - s.time));
    if (s.ppTime <= s.pbTime || s.ppTime <= static_cast<uint16_t>(s.ppTime - s.pbTime) ||
        s.ppTime == 0) {
        ++s.stats.retimedBVops;
        s.directTrd = 2;
        s.directTrb = 1;
        s.ppFieldTime = 4;
        s.pbFieldTime = 2;
        return;
    }
    s.directTrd = s.ppTime;
    s.directTrb = s.pbTime;
    if (s.frameTicks == 0) s.frameTicks = s.pbTime;
    const int64_t pastRef = s.lastNonBTime - s.ppTime;
    s.ppFieldTime = static_cast<uint16_t>(
        (RoundedDiv64(s.lastNonBTime, s.frameTicks) - RoundedDiv64(pastRef, s.frameTicks)) * 2);
    s.pbFieldTime = static_cast<uint16_t>(
        (RoundedDiv64(s.time, s.frameTicks) - RoundedDiv64(pastRef, s.frameTicks)) * 2);
    if (s.ppFieldTime <= s.pbFieldTime || s.pbFieldTime <= 1) {
        if (s.vol.interlaced) ++s.stats.retimedBVops;
        s.pbFieldTime = 2;
        s.ppFieldTime = 4;
    }
}

// A layer of another size: decoded at its own size when it is no wider and no taller than the
// instance was set up for (the references start over, blank). The caller's output picture was
// sized for the instance, so a layer of the same area in another shape would overrun it.
bool Resize(DecoderState& s, const DecoderParams& p, int width, int height) {
    if (!SizeAccepted(width, height) || width > s.setUpWidth || height > s.setUpHeight)
        return false;
    const PictureGeometry g = GeometryFor(width, height);
    const MemoryRequirements m = RequirementsFor(width, height);
    if (g.pictureBytes > s.pictureCapacity || m.size[3] > s.displayCapacity) return false;
    s.geometry = g;
    ResetPredictionMaps(&s);
    for (int i = 0; i < 3; ++i)
        ClearPicture(p.picture[i], g);
    s.references = 0;
    s.lastShown = -1;
    return true;
}

int Unsupported(DecoderState& s, FrameRequest* req, int status) {
    s.unsupportedStatus = status;
    req->result = status;
    return kResultUnsupported;
}

int DecodeFrame(FrameRequest* req, DecoderParams* p) {
    Instance in;
    if (!req || !InstanceOf(p, &in) || !Initialised(*in.state)) return kResultInvalid;
    DecoderState& s = *in.state;
    DecoderTables& t = *in.tables;
    BitReader& r = *in.reader;
    req->result = 0;
    s.errorFlag = 0;
    r.begin_read(req->data, req->data ? req->length : 0);

    // Headers up to the VOP.
    int modulo = 0;
    bool damagedHeader = false;
    for (;;) {
        const int code = NextStartCode(r);
        if (code < 0) return kResultNoPicture;
        if (code <= kVoCodeLast) {
            if (r.bitsLeft() < 32) return kResultNoPicture;  // the frame ends here
            const bool volFollows =
                r.peek_bits(24) == 1 && (r.peek_bits(32) & 0xF0) == kVolCodeFirst;
            // A stray video object start code in a stream whose layer is known is ignored.
            if (!volFollows && !s.volInForce) return Unsupported(s, req, kStatusNoVolAfterVo);
            continue;
        }
        if (code >= kVolCodeFirst && code <= kVolCodeLast) {
            ParsedVol parsed;
            const int status = parse_vol_header(r, &parsed);
            if (r.overrun()) return kResultNoPicture;  // cut short: the layer in force stays
            if (status == kDamagedHeader) {
                // Damaged on the way: the layer in force stays (encoders write it only once).
                damagedHeader = true;
                continue;
            }
            if (status != 0) return Unsupported(s, req, status);
            if (parsed.vol.width != s.geometry.width || parsed.vol.height != s.geometry.height) {
                if (!Resize(s, *p, parsed.vol.width, parsed.vol.height))
                    return Unsupported(s, req, kStatusPictureSize);
            }
            s.vol = parsed.vol;
            if (parsed.vol.quantType) {
                std::memcpy(t.intraMatrix, parsed.intraMatrix, sizeof t.intraMatrix);
                std::memcpy(t.interMatrix, parsed.interMatrix, sizeof t.interMatrix);
                s.stats.loadedMatrices += parsed.loadIntra + parsed.loadInter;
            }
            s.unsupportedStatus = 0;
            s.volInForce = 1;
            continue;
        }
        if (code == kGovCode) {
            s.timeBase = parse_gov_header(r);
            continue;
        }
        if (code == kVopCode) {
            if (s.unsupportedStatus) return Unsupported(s, req, s.unsupportedStatus);
            modulo = parse_vop_header(r, s.vol, &s.vop);
            break;
        }
        // Anything else (sequence headers, user data, ...) is skipped.
    }
    req->result = damagedHeader ? 1 : 0;
    if (r.overrun()) return kResultNoPicture;
    if (modulo == kDamagedHeader) {
        // A VOP header with a broken marker: its type and coded flag cannot be trusted.
        ++s.stats.damagedVops;
        req->result = 1;
        return kResultNoPicture;
    }
    const int type = s.vop.codingType == kVopS ? kVopP : s.vop.codingType;
    s.vop.codingType = type;
    const int64_t newestTime = s.lastNonBTime;
    UpdateTiming(s, modulo);
    const bool placeholder = type != kVopB && s.references > 0 && s.time == newestTime;

    const PictureGeometry& g = s.geometry;
    if (!s.vop.coded) {
        // Nothing changed; the references stay as they are. A not-coded VOP at the time of the
        // newest reference is the placeholder that packed streams put behind a P+B pair: it
        // shows the held-back reference once, at its place in display order. One at a later
        // time stands for a frame the recorder skipped: the picture is shown again.
        ++s.stats.notCodedVops;
        int show = -1;
        if (type == kVopB) {
            show = s.lastShown;
        } else if (s.references > 0 && !s.newestShown) {
            show = s.newest;
            if (placeholder) {
                s.newestShown = 1;
                ++s.stats.placeholderVops;
            }
        }
        if (show < 0) return kResultNoPicture;
        ConvertPicture(s, *p, req, show);
        s.lastShown = show;
        s.lastShownBlank = 0;
        return kResultOk;
    }
    if (s.vop.quant == 0 || (type != kVopI && s.vop.fcodeForward == 0) ||
        (type == kVopB && s.vop.fcodeBackward == 0))
        return kResultNoPicture;
    if (type == kVopB && s.references < 2) return kResultNoPicture;

    static constexpr int kDcThreshold[8] = {99, 13, 15, 17, 19, 21, 23, 0};
    s.intraDcThreshold = kDcThreshold[s.vop.intraDcVlcThr];
    s.quant = s.vop.quant;
    s.stats.minQuant = std::min(s.stats.minQuant, s.quant);
    s.stats.maxQuant = std::max(s.stats.maxQuant, s.quant);
    ++s.stats.vops[type];
    if (s.vol.quantType) ++s.stats.mpegQuantVops;
    if (s.vop.roundingType) ++s.stats.roundingVops;
    if (s.vop.alternateVerticalScan) ++s.stats.alternateScanVops;

    VopContext ctx{&s, &t, &r, {}, {}, {}};
    int target;
    int shown;
    if (type == kVopB) {
        target = 0;
        ctx.forward = PlanesOf(*p, g, 3 - s.newest);
        ctx.backward = PlanesOf(*p, g, s.newest);
        shown = 0;
    } else {
        target = 3 - s.newest;
        ctx.forward = PlanesOf(*p, g, s.newest);
        ctx.backward = ctx.forward;
        shown = s.newest;
    }
    s.lastShownBlank = type != kVopB && s.references == 0;
    // A P-VOP without a reference (its I-VOP lost) is predicted from the blank picture, and so is
    // everything up to the next I-VOP: all of it is damaged.
    if (type == kVopI) {
        s.referenceMissing = 0;
    } else if (type == kVopP && s.references == 0) {
        s.referenceMissing = 1;
    }
    ctx.target = PlanesOf(*p, g, target);
    DecodeMacroblocks(ctx);
    if (s.referenceMissing || damagedHeader) s.errorFlag = 1;
    bool showNothing = false;
    if (type != kVopB) {
        PadPicture(s, ctx.target);
        s.newest = target;
        s.references = std::min(s.references + 1, 2);
        // The previous reference already came out at a placeholder VOP.
        showNothing = s.newestShown != 0;
        s.newestShown = 0;
    }
    if (s.errorFlag) ++s.stats.damagedVops;
    req->result = s.errorFlag;
    if (showNothing) return kResultNoPicture;
    ConvertPicture(s, *p, req, shown);
    s.lastShown = shown;
    return kResultOk;
}

}  // namespace

bool probe_picture_size(const uint8_t* data, size_t size, int* width, int* height) {
    BitReader r;
    r.begin_read(data, std::min<size_t>(size, 256));
    for (;;) {
        const int code = NextStartCode(r);
        if (code < 0 || code == kVopCode) return false;
        if (code >= kVolCodeFirst && code <= kVolCodeLast) {
            ParsedVol parsed;
            const int status = parse_vol_header(r, &parsed);
            if (r.overrun()) return false;
            if (status == kDamagedHeader || parsed.vol.shape != 0) continue;  // look further
            *width = parsed.vol.width;
            *height = parsed.vol.height;
            return true;
        }
    }
}

int FlushPicture(FrameRequest* req, DecoderParams* p) {
    Instance in;
    if (!req || !InstanceOf(p, &in) || !Initialised(*in.state)) return kResultInvalid;
    DecoderState& s = *in.state;
    if (s.references == 0 || s.newestShown) return kResultNoPicture;
    ConvertPicture(s, *p, req, s.newest);
    s.newestShown = 1;
    s.lastShown = s.newest;
    s.lastShownBlank = 0;
    req->result = 0;
    return kResultOk;
}

int ConvertShownPicture(FrameRequest* req, DecoderParams* p) {
    Instance in;
    if (!req || !InstanceOf(p, &in) || !Initialised(*in.state)) return kResultInvalid;
    const DecoderState& s = *in.state;
    if (s.lastShown < 0) return kResultNoPicture;
    ConvertPicture(s, *p, req, s.lastShown);
    return kResultOk;
}

void SelectKernels(const DecoderParams& params, const kernels::KernelSet& set) {
    if (params.state && Initialised(*params.state)) params.state->kernels = &set;
}

void CurrentPictureSize(const DecoderParams& params, int* width, int* height) {
    const bool ok = params.state && Initialised(*params.state);
    *width = ok ? params.state->geometry.width : 0;
    *height = ok ? params.state->geometry.height : 0;
}

bool ShowedBlankPicture(const DecoderParams& params) {
    return params.state && params.state->lastShownBlank;
}

const DecodeStats& StatsOf(const DecoderParams& params) {
    return params.state->stats;
}

int decoder_command(int handle, uint32_t operation, void* param1, void* param2) {
    if (handle == 0) return kResultInvalid;
    switch (operation) {
        case kOpQueryMemory: {
            auto* p = static_cast<DecoderParams*>(param1);
            auto* m = static_cast<MemoryRequirements*>(param2);
            if (!p || !m || !SizeAccepted(p->width, p->height)) return kResultInvalid;
            *m = RequirementsFor(p->width, p->height);
            return kResultOk;
        }
        case kOpInit:
            return Init(static_cast<DecoderParams*>(param1));
        case kOpRelease:
            return kResultOk;
        case kOpSetPostprocess: {
            const auto level = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(param1));
            if (level > 100) return kResultInvalid;
            return kResultOk;  // post-processing is not applied
        }
        case kOpSetOutputFormat: {
            auto* p = static_cast<DecoderParams*>(param1);
            if (!p || !p->state || !Initialised(*p->state) ||
                !kernels::IsOutputFormat(p->outputFormat))
                return kResultInvalid;
            p->state->outputFormat = p->outputFormat;
            return kResultOk;
        }
        case kOpProbePictureSize: {
            // param1: a FrameRequest naming the frame bytes (data, length).
            auto* req = static_cast<const FrameRequest*>(param1);
            auto* out = static_cast<int*>(param2);
            if (!req || !out) return kResultInvalid;
            int w = 0, h = 0;
            if (!probe_picture_size(req->data, req->length, &w, &h)) return kResultNoPicture;
            *out = (w << 12) | h;
            return kResultOk;
        }
        case kOpUnused4:
            return kResultUnusedOp;
        case kOpUnused0:
            return kResultOk;
        default:
            return DecodeFrame(static_cast<FrameRequest*>(param1),
                               static_cast<DecoderParams*>(param2));
    }
}

}  // namespace decoder
