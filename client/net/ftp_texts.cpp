#include "client/net/ftp_texts.h"

#include "client/net/client_strings.h"

namespace client {
namespace {

struct English {
    int id;
    const char* text;
};

constexpr English kEnglish[] = {
    {2002, "DVR Address"},
    {2011, "StartTime"},
    {2012, "EndTime"},
    {2013, "CH"},
    {2014, "Event"},
    {kTextVerifyFields, "Please verify all the required fields!!"},
    {kTextTransferCompleted, "File transfer completed."},
    {kTextFtpConnectionFailed, "FTP connection failed."},
    {kTextSelectFile, "Please select a file."},
    {kTextUpdateCancel, "Update Cancel"},
    {kTextUpdateStart, "Update Start"},
    {kTextFtpLoginRejected, "FTP login failed: the recorder refused the user name or password."},
    {kTextTransferFailed, "File transfer failed."},
    {kTextUpgradeControlFailed,
     "The image was uploaded, but the recorder did not receive the upgrade request."},
    {kTextBackupFilesFailed, "Backup Failed!! Some files could not be downloaded."},
};

}  // namespace

std::string FtpDialogText(int id) {
    std::string text = ClientText(id);
    if (!text.empty()) return text;
    for (const English& e : kEnglish)
        if (e.id == id) return e.text;
    return {};
}

int FtpFailureText(FtpStatus status) {
    switch (status) {
        case FtpStatus::Unreachable:
            return kTextFtpConnectionFailed;
        case FtpStatus::LoginRejected:
            return kTextFtpLoginRejected;
        default:
            return kTextTransferFailed;
    }
}

}  // namespace client
