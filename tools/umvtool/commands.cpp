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
     " [--title CH:TEXT]"
     " STREAM.m4v|- ...",
     "build a recording folder from MPEG-4 elementary streams (one per channel)", RunMkrec},
    {"calendar", "calendar FOLDER [--rebuild]",
     "the recorded minutes of a recording folder's calendar file (. F M S per channel); "
     "--rebuild writes it again from the folder's recordings",
     RunCalendar},
    {"still", "still PATH", "size and time of a still image (.jpg) or single-frame file (.ums)",
     RunStill},
    {"watermark",
     "watermark embed IN.jpg OUT.jpg [--mark FILE] [--time \"YYYY-MM-DD hh:mm:ss\"] | "
     "watermark check STILL.jpg OUT.png",
     "hide the watermark in a still, or draw the picture that makes it visible", RunWatermark},
    {"live",
     "live --host H [--port P] --user U --password W [--seconds S] [--channels 1,2,...]"
     " [--record ROOT [--dvr-name NAME]]",
     "connect to a recorder's live view and print one line per event; record it with --record",
     RunLive},
    {"backup",
     "backup --host H [--port P] --user U --password W --from YYYYMMDDhhmmss"
     " --to YYYYMMDDhhmmss --channels 1,5 --out ROOT [--dvr-name NAME] [--fast]",
     "download a time range of channels from a recorder into a recording folder", RunBackup},
    {"search",
     "search --host H [--port P] --user U --password W --from YYYYMMDDhhmmss"
     " --to YYYYMMDDhhmmss [--channel N] [--event E]",
     "search a recorder's disk: START | END | CH | EVENT | PATH per recording file", RunSearch},
    {"play",
     "play --host H [--port P] --user U --password W (--file PATH | --time YYMMDDhhmmss)"
     " [--seconds S]",
     "play a recorder file or from a time, printing the live lines and the playback state",
     RunPlay},
    {"decode", "decode PATH [--channel N] (--md5 | --null | --yuv FILE | --png DIR)",
     "decode the pictures of a .m4v stream, a recording or a .ums file", RunDecode},
    {"snapshot", "snapshot PATH --layout N [--at \"YYYY-MM-DD hh:mm:ss\"] OUT.png",
     "the channel display of a recording at a moment, one layout as a PNG picture", RunSnapshot},
    {"export",
     "export PATH --channel N [--from \"YYYY-MM-DD hh:mm:ss\"] [--to \"...\"]"
     " (OUT.mp4|OUT.mkv | --evidence DIR)",
     "copy one channel of a recording (pair, data file or folder) into an MP4 or Matroska file "
     "with wall-time subtitles, or into an evidence folder with a manifest",
     RunExport},
    {"verify", "verify FOLDER",
     "check an evidence folder against its manifest: every file's digest and size, none missing "
     "or added",
     RunVerify},
    {"upgrade",
     "upgrade --host H [--port P] --user U --password W (--kernel|--ramdisk) FILE"
     " [--ftp-port N]",
     "send a firmware image to a recorder by FTP and tell it to install it (HTTP port 80 and FTP "
     "port 21 unless given)",
     RunUpgrade},
};

}  // namespace

std::span<const Command> Commands() {
    return kCommands;
}

}  // namespace umvtool
