#include "tools/umvtool/command.h"

namespace umvtool {
namespace {

constexpr Command kCommands[] = {
    {"info", "info PATH", "summary of a recording (.idx pair or .umv data file alone)", RunInfo},
    {"frames", "frames PATH", "one line per picture of a recording, in play order", RunFrames},
    {"reindex", "reindex FILE.umv [--force]", "rebuild a lost or damaged .idx from its .umv",
     RunReindex},
    {"mkrec",
     "mkrec --out ROOT --start \"YYYY-MM-DD hh:mm:ss\" [--dvr-name NAME] [--fps N] [--model N]"
     " [--stamp N] [--audio CH:FILE] [--motion CH:FROM-TO] [--sensor CH:FROM-TO]"
     " STREAM.m4v|- ...",
     "build a recording folder from MPEG-4 elementary streams (one per channel)", RunMkrec},
    {"decode", "decode PATH [--channel N] (--md5 | --null | --yuv FILE | --png DIR)",
     "decode the pictures of a .m4v stream, a recording or a .ums file", RunDecode},
};

}  // namespace

std::span<const Command> Commands() {
    return kCommands;
}

}  // namespace umvtool
