/* Corpus helper around libxvidcore's own API (scripts/make-decoder-corpus builds and runs it).
 *
 *   xvid_stream encode W H OUT.m4v [options] < frames.yuv   planar 4:2:0 frames in, an
 *                                                          elementary stream out
 *     --bframes N    consecutive B-VOPs (0)          --packed      packed B-VOPs
 *     --interlaced   field DCT / field prediction    --mpegquant   MPEG quantisation
 *     --vhq          rate-distortion mode decision,  --quant Q     fixed quantiser (4)
 *                    trellis, 4MV, chroma ME         --slices N    video packets per VOP
 *   xvid_stream decode W H IN.m4v > pictures.yuv           libxvid's decoder: every picture
 *                                                          in display order
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xvid.h>

static int Encode(int w, int h, const char* out, int argc, char** argv) {
    int bframes = 0, packed = 0, interlaced = 0, mpegquant = 0, vhq = 0, quant = 4, slices = 1;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "--bframes") && i + 1 < argc)
            bframes = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--packed"))
            packed = 1;
        else if (!strcmp(argv[i], "--interlaced"))
            interlaced = 1;
        else if (!strcmp(argv[i], "--mpegquant"))
            mpegquant = 1;
        else if (!strcmp(argv[i], "--vhq"))
            vhq = 1;
        else if (!strcmp(argv[i], "--quant") && i + 1 < argc)
            quant = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--slices") && i + 1 < argc)
            slices = atoi(argv[++i]);
        else {
            fprintf(stderr, "xvid_stream: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    xvid_gbl_init_t init = {XVID_VERSION, 0, 0};
    xvid_global(NULL, XVID_GBL_INIT, &init, NULL);
    xvid_enc_create_t create;
    memset(&create, 0, sizeof create);
    create.version = XVID_VERSION;
    create.profile = XVID_PROFILE_AS_L4;
    create.width = w;
    create.height = h;
    create.max_bframes = bframes;
    create.global = packed ? XVID_GLOBAL_PACKED : 0;
    create.fincr = 1;
    create.fbase = interlaced ? 25 : 15;
    create.max_key_interval = 12;
    create.bquant_ratio = 150;
    create.bquant_offset = 100;
    create.num_threads = 1;
    create.num_slices = slices;
    if (xvid_encore(NULL, XVID_ENC_CREATE, &create, NULL) < 0) {
        fprintf(stderr, "xvid_stream: the encoder refused the settings\n");
        return 1;
    }
    FILE* f = fopen(out, "wb");
    if (!f) return 1;
    const size_t frameBytes = (size_t)w * h * 3 / 2;
    unsigned char* picture = malloc(frameBytes);
    unsigned char* bits = malloc(frameBytes * 4 + 4096);
    int input = 1;
    for (;;) {
        input = input && fread(picture, 1, frameBytes, stdin) == frameBytes;
        xvid_enc_frame_t frame;
        memset(&frame, 0, sizeof frame);
        frame.version = XVID_VERSION;
        frame.vol_flags =
            (mpegquant ? XVID_VOL_MPEGQUANT : 0) | (interlaced ? XVID_VOL_INTERLACING : 0);
        frame.vop_flags =
            XVID_VOP_HALFPEL | XVID_VOP_HQACPRED | (interlaced ? XVID_VOP_TOPFIELDFIRST : 0);
        frame.motion = XVID_ME_ADVANCEDDIAMOND16 | XVID_ME_HALFPELREFINE16;
        if (vhq) {
            frame.vop_flags |= XVID_VOP_INTER4V | XVID_VOP_TRELLISQUANT | XVID_VOP_MODEDECISION_RD |
                               XVID_VOP_RD_BVOP;
            frame.motion |= XVID_ME_HALFPELREFINE8 | XVID_ME_EXTSEARCH16 | XVID_ME_CHROMA_PVOP |
                            XVID_ME_CHROMA_BVOP | XVID_ME_HALFPELREFINE16_RD |
                            XVID_ME_HALFPELREFINE8_RD | XVID_ME_CHECKPREDICTION_RD;
        }
        frame.type = XVID_TYPE_AUTO;
        frame.quant = quant;
        frame.bitstream = bits;
        frame.length = -1;
        if (input) {
            frame.input.csp = XVID_CSP_I420;
            frame.input.plane[0] = picture;
            frame.input.stride[0] = w;
        } else {
            frame.input.csp = XVID_CSP_NULL; /* flushes the delayed frames */
        }
        const int n = xvid_encore(create.handle, XVID_ENC_ENCODE, &frame, NULL);
        if (n < 0) break;
        if (n > 0) fwrite(bits, 1, (size_t)n, f);
        if (!input && n == 0) break;
    }
    xvid_encore(create.handle, XVID_ENC_DESTROY, NULL, NULL);
    free(picture);
    free(bits);
    return fclose(f) == 0 ? 0 : 1;
}

static int Decode(int w, int h, const char* in) {
    FILE* f = fopen(in, "rb");
    if (!f) return 1;
    fseek(f, 0, SEEK_END);
    const long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    unsigned char* data = malloc((size_t)size + 64);
    if (fread(data, 1, (size_t)size, f) != (size_t)size) return 1;
    memset(data + size, 0, 64);
    fclose(f);
    xvid_gbl_init_t init = {XVID_VERSION, 0, 0};
    xvid_global(NULL, XVID_GBL_INIT, &init, NULL);
    xvid_dec_create_t create;
    memset(&create, 0, sizeof create);
    create.version = XVID_VERSION;
    create.width = w;
    create.height = h;
    if (xvid_decore(NULL, XVID_DEC_CREATE, &create, NULL) < 0) return 1;
    const size_t frameBytes = (size_t)w * h * 3 / 2;
    unsigned char* picture = malloc(frameBytes);
    long pos = 0;
    int flushes = 0;
    while (flushes < 2) {
        xvid_dec_frame_t frame;
        xvid_dec_stats_t stats;
        memset(&frame, 0, sizeof frame);
        memset(&stats, 0, sizeof stats);
        frame.version = XVID_VERSION;
        stats.version = XVID_VERSION;
        frame.bitstream = pos < size ? data + pos : NULL;
        frame.length = pos < size ? (int)(size - pos) : -1;
        frame.output.csp = XVID_CSP_I420;
        frame.output.plane[0] = picture;
        frame.output.stride[0] = w;
        const int used = xvid_decore(create.handle, XVID_DEC_DECODE, &frame, &stats);
        if (pos >= size) ++flushes;
        if (used < 0) break;
        if (stats.type > 0) fwrite(picture, 1, frameBytes, stdout);
        pos += used;
        if (used == 0 && pos < size) break;
    }
    xvid_decore(create.handle, XVID_DEC_DESTROY, NULL, NULL);
    free(picture);
    free(data);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 5 && !strcmp(argv[1], "encode"))
        return Encode(atoi(argv[2]), atoi(argv[3]), argv[4], argc - 5, argv + 5);
    if (argc == 5 && !strcmp(argv[1], "decode"))
        return Decode(atoi(argv[2]), atoi(argv[3]), argv[4]);
    fprintf(stderr, "usage: xvid_stream encode W H OUT.m4v [options] < yuv | decode W H IN.m4v\n");
    return 2;
}
