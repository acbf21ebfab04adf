#include "client/net/firmware_upgrade.h"

#include <charconv>

#include "client/net/http_post.h"
#include "client/net/requests.h"

namespace client {

UpgradeFields CheckUpgradeFields(UpgradeRequest* request) {
    if (request->httpPort.empty()) request->httpPort = "80";
    if (request->host.empty() || request->user.empty() || request->password.empty() ||
        request->localPath.empty())
        return UpgradeFields::Missing;
    unsigned port = 0;
    const char* first = request->httpPort.data();
    const char* last = first + request->httpPort.size();
    const auto [end, error] = std::from_chars(first, last, port);
    if (error != std::errc() || end != last || port < 1 || port > 65535)
        return UpgradeFields::BadPort;
    return UpgradeFields::Ok;
}

Endpoint UpgradeControlEndpoint(const UpgradeRequest& request) {
    unsigned port = 0;
    const char* first = request.httpPort.data();
    const char* last = first + request.httpPort.size();
    const auto [end, error] = std::from_chars(first, last, port);
    const bool valid = error == std::errc() && end == last && port >= 1 && port <= 65535;
    return {request.host, static_cast<uint16_t>(valid ? port : 80)};
}

std::string UpgradeRemotePath(UpgradeTarget target, const std::string& localPath) {
    const size_t slash = localPath.rfind('/');
    const std::string name = slash == std::string::npos ? localPath : localPath.substr(slash + 1);
    return std::string(target == UpgradeTarget::Ramdisk ? kUpgradeRamdiskFolder
                                                        : kUpgradeKernelFolder) +
           "/" + name;
}

FirmwareUpgrade::FirmwareUpgrade(const FtpTimings& ftp, int controlTimeoutMs)
    : controlTimeoutMs_(controlTimeoutMs), transfer_(ftp) {}

bool FirmwareUpgrade::Start(UpgradeRequest request, ProgressView* progress, Done done) {
    if (CheckUpgradeFields(&request) != UpgradeFields::Ok) return false;
    const int timeoutMs = controlTimeoutMs_;
    return transfer_.Start([request, progress, done = std::move(done), timeoutMs](
                               FtpSession& session,
                               std::atomic<bool>& cancel) -> FtpTransfer::Report {
        UpgradeOutcome out;
        out.remotePath = UpgradeRemotePath(request.target, request.localPath);
        out.upload =
            session.Connect({request.host, request.ftpPort, request.user, request.password});
        if (out.upload.ok()) {
            session.CreateFolders({kUpgradeFolder, kUpgradeRamdiskFolder, kUpgradeKernelFolder});
            out.upload = session.Upload(out.remotePath, request.localPath, progress, &cancel);
        }
        session.Close();
        if (out.upload.ok()) {
            out.size = out.upload.bytes;  // what landed on the recorder
            const int selector = request.target == UpgradeTarget::Ramdisk ? kSelectUpgradeRamdisk
                                                                          : kSelectUpgradeKernel;
            ControlArgs args;
            args.path = out.remotePath;
            args.number = out.size;
            const PostResult post = PostRequest(UpgradeControlEndpoint(request), PostKind::Control,
                                                ControlBody(selector, 0, args), timeoutMs);
            out.controlSent = true;
            out.control = post.result;
        }
        return [done, out] {
            if (done) done(out);
        };
    });
}

}  // namespace client
