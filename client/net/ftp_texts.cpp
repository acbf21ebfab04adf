#include "client/net/ftp_texts.h"

#include "client/net/client_strings.h"

namespace client {

std::string FtpDialogText(int id) {
    return ClientText(id);
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
