// The texts of the FTP dialogs (firmware upgrade, backup file list), from the client's table (a
// language pack's translation wins over its English).
#pragma once

#include <string>

#include "client/net/ftp_session.h"

namespace client {

enum FtpText : int {
    kTextVerifyFields = 2010,
    kTextTransferCompleted = 2023,
    kTextFtpConnectionFailed = 2027,
    kTextSelectFile = 2030,
    kTextUpdateCancel = 2048,
    kTextUpdateStart = 2049,
    // The client's own texts: a refused FTP login, a transfer that broke off, an upgrade whose
    // control did not reach the recorder, a backup of which some files could not be downloaded.
    kTextFtpLoginRejected = 2100,
    kTextTransferFailed = 2101,
    kTextUpgradeControlFailed = 2102,
    kTextBackupFilesFailed = 2103,
};

// The text of `id` in the current language.
std::string FtpDialogText(int id);
// The message a failed FTP step shows: 2027, 2100 or 2101 by its status.
int FtpFailureText(FtpStatus status);

}  // namespace client
