// The recorder's firmware upgrade: the image goes by FTP into the recorder's upgrade folder, then
// one control request (operation 12 for a RAM disk image, 13 for a kernel) tells the recorder to
// install it. A cancelled or failed upload never sends the control.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "client/net/ftp_transfer.h"
#include "client/net/net_result.h"
#include "client/net/stream_channel.h"

namespace client {

inline constexpr const char* kUpgradeFolder = "/hdda/upgrade";
inline constexpr const char* kUpgradeRamdiskFolder = "/hdda/upgrade/ramdisk";
inline constexpr const char* kUpgradeKernelFolder = "/hdda/upgrade/kernel";

// The values of the upgrade dialog's target radio buttons.
enum class UpgradeTarget : int { Kernel = 0, Ramdisk = 1 };

struct UpgradeRequest {
    std::string host;
    std::string httpPort;  // as typed; empty means 80
    std::string user;
    std::string password;
    std::string localPath;  // the image
    UpgradeTarget target = UpgradeTarget::Ramdisk;
    uint16_t ftpPort = kFtpPort;
};

enum class UpgradeFields { Ok, Missing, BadPort };
// Address, user, password and file must be filled in (Missing); an empty port becomes "80"; a
// port that is not a number 1..65535 is BadPort.
UpgradeFields CheckUpgradeFields(UpgradeRequest* request);

// Where the install control goes: the recorder's web server, port 80 when the port is empty.
Endpoint UpgradeControlEndpoint(const UpgradeRequest& request);

// "<folder of the target>/<file name of the image without its local folder>".
std::string UpgradeRemotePath(UpgradeTarget target, const std::string& localPath);

struct UpgradeOutcome {
    FtpResult upload;  // the connect or the upload; Cancelled when the user stopped it
    bool controlSent = false;
    NetResult control;  // the control's result when it was sent
    std::string remotePath;
    int64_t size = 0;  // the image's size in bytes

    bool ok() const { return upload.ok() && controlSent && control.ok(); }
    bool cancelled() const { return upload.status == FtpStatus::Cancelled; }
};

class FirmwareUpgrade {
  public:
    // Called on the transfer's worker thread: a window posts it on to its own thread.
    using Done = std::function<void(const UpgradeOutcome&)>;

    explicit FirmwareUpgrade(const FtpTimings& ftp = {}, int controlTimeoutMs = 60000);

    // Starts the upload with its progress on `progress` (may be null), then the control. False
    // (nothing started) while an upgrade runs or when CheckUpgradeFields refuses the request.
    bool Start(UpgradeRequest request, ProgressView* progress, Done done);
    // Stops the upload within one chunk; no control follows.
    void Cancel() { transfer_.Cancel(); }
    bool Running() const { return transfer_.Running(); }
    // Waits for the end (tools and tests).
    void Wait() { transfer_.Wait(); }

  private:
    const int controlTimeoutMs_;
    FtpTransfer transfer_;
};

}  // namespace client
