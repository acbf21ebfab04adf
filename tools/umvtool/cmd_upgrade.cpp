// umvtool upgrade: the firmware upgrade of a recorder from the command line, as the client's
// upgrade dialog does it (the image by FTP, then the install control).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>

#include "client/net/firmware_upgrade.h"
#include "client/net/ftp_texts.h"
#include "tools/umvtool/command.h"

namespace umvtool {
namespace {

// "progress N%" whenever the percentage changes.
class ProgressLines : public client::ProgressView {
  public:
    void SetProgressText(std::string_view) override {}
    void SetProgressPosition(int percent) override {
        std::lock_guard lock(mutex_);
        if (percent == last_) return;
        last_ = percent;
        std::printf("progress %d%%\n", percent);
        std::fflush(stdout);
    }

  private:
    std::mutex mutex_;
    int last_ = -1;
};

client::FirmwareUpgrade* gUpgrade = nullptr;

void OnInterrupt(int) {
    if (gUpgrade) gUpgrade->Cancel();  // sets an atomic flag only
}

bool ParsePort(const std::string& text, uint16_t* port) {
    char* end = nullptr;
    const long p = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || p < 1 || p > 65535) return false;
    *port = static_cast<uint16_t>(p);
    return true;
}

// The message for an upgrade that did not complete.
std::string FailureText(const client::UpgradeOutcome& out) {
    if (!out.upload.ok())
        return client::FtpDialogText(client::FtpFailureText(out.upload.status)) + " (" +
               out.upload.Describe() + ")";
    return client::FtpDialogText(client::kTextUpgradeControlFailed) + " (" +
           out.control.Describe() + ")";
}

}  // namespace

int RunUpgrade(std::span<char* const> words) {
    Args args(words, {"host", "port", "user", "password", "ftp-port"}, {"kernel", "ramdisk"});
    if (!args.ok()) return UsageError("upgrade", args.error());
    if (args.positional().size() != 1) return UsageError("upgrade", "one image FILE is needed");
    if (args.has("kernel") == args.has("ramdisk"))
        return UsageError("upgrade", "either --kernel or --ramdisk is needed");
    client::UpgradeRequest request;
    request.host = args.value("host").value_or("");
    request.httpPort = args.value("port").value_or("");
    request.user = args.value("user").value_or("");
    request.password = args.value("password").value_or("");
    request.localPath = args.positional()[0];
    request.target =
        args.has("kernel") ? client::UpgradeTarget::Kernel : client::UpgradeTarget::Ramdisk;
    request.ftpPort = client::FtpPort();
    if (const auto ftp = args.value("ftp-port"); ftp && !ParsePort(*ftp, &request.ftpPort))
        return UsageError("upgrade", "bad --ftp-port " + *ftp);
    switch (client::CheckUpgradeFields(&request)) {
        case client::UpgradeFields::Missing:
            return UsageError("upgrade", "--host, --user and --password are needed");
        case client::UpgradeFields::BadPort:
            return UsageError("upgrade", "bad --port " + request.httpPort);
        case client::UpgradeFields::Ok:
            break;
    }

    ProgressLines progress;
    client::FirmwareUpgrade upgrade;
    std::promise<client::UpgradeOutcome> ended;
    gUpgrade = &upgrade;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    upgrade.Start(request, &progress,
                  [&](const client::UpgradeOutcome& out) { ended.set_value(out); });
    const client::UpgradeOutcome out = ended.get_future().get();
    upgrade.Wait();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    gUpgrade = nullptr;
    if (out.ok()) {
        std::printf("%s\n", client::FtpDialogText(client::kTextTransferCompleted).c_str());
        return kExitOk;
    }
    return Fail(out.cancelled() ? std::string("the upgrade was cancelled; nothing was installed")
                                : FailureText(out));
}

}  // namespace umvtool
