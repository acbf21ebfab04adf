#include "client/net/net_result.h"

namespace client {

const char* NetStatusText(NetStatus status) {
    switch (status) {
        case NetStatus::Ok:
            return "done";
        case NetStatus::NotConnected:
            return "no stream is up";
        case NetStatus::Unreachable:
            return "the recorder cannot be reached";
        case NetStatus::TimedOut:
            return "the recorder did not answer in time";
        case NetStatus::Cancelled:
            return "cancelled";
        case NetStatus::HttpError:
            return "the recorder answered with an HTTP error";
        case NetStatus::Refused:
            return "the recorder refused the request";
        case NetStatus::TooLarge:
            return "the recorder's answer is too large";
        case NetStatus::TransportError:
            return "the connection to the recorder failed";
    }
    return "unknown";
}

std::string NetResult::Describe() const {
    std::string text = NetStatusText(status);
    if (status == NetStatus::HttpError) text += " (" + std::to_string(httpStatus) + ")";
    if (status == NetStatus::Refused) text += " (code " + std::to_string(recorderCode) + ")";
    if (transportCode != 0 && status != NetStatus::Cancelled)
        text += " [transport " + std::to_string(transportCode) + "]";
    return text;
}

}  // namespace client
