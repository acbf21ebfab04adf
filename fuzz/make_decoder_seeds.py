#!/usr/bin/python3
"""Turns the decoder corpus (MPEG-4 elementary streams named NAME_WxH.m4v) into inputs of the
decoder fuzz target: the size byte for the stream's picture size, then one record per picture
(its VOP with the headers in front of it) for instance 0, its first pictures again for instance 1.
Seeds keep the first pictures of each stream only, so the fuzzer stays fast.

    make_decoder_seeds.py CORPUS_DIR OUT_DIR
"""
import os
import re
import sys

SIZES = [(352, 240), (352, 288), (704, 240), (704, 288), (704, 480), (704, 576)]
VOP_START = b"\x00\x00\x01\xb6"
PICTURES = 3


def pictures(stream):
    starts = []
    at = stream.find(VOP_START)
    while at >= 0:
        starts.append(at)
        at = stream.find(VOP_START, at + 4)
    if not starts:
        return []
    # Everything before the first VOP (VO and VOL headers) goes with it.
    bounds = [0] + starts[1:] + [len(stream)]
    return [stream[bounds[i]:bounds[i + 1]] for i in range(len(bounds) - 1)]


def record(instance, frame):
    frame = frame[:0xFFFF]
    control = instance | (1 << 1)  # output format 1
    return bytes([control, len(frame) >> 8, len(frame) & 0xFF]) + frame


def main():
    corpus, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for name in sorted(os.listdir(corpus)):
        m = re.search(r"_(\d+)x(\d+)\.m4v$", name)
        if not m or (int(m.group(1)), int(m.group(2))) not in SIZES:
            continue
        index = SIZES.index((int(m.group(1)), int(m.group(2))))
        with open(os.path.join(corpus, name), "rb") as f:
            frames = pictures(f.read())
        # Both instances at the stream's size; instance 1 decodes the first pictures again.
        seed = bytes([index | index << 3])
        seed += b"".join(record(0, frame) for frame in frames[:PICTURES])
        seed += b"".join(record(1, frame) for frame in frames[:1])
        with open(os.path.join(out, name[:-4]), "wb") as f:
            f.write(seed)


if __name__ == "__main__":
    main()
