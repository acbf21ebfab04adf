#include "player/qt/engine_bridge.h"

namespace player::qt {

EngineBridge::EngineBridge(output::ChannelDisplay& display, QObject* parent)
    : QObject(parent), display_(display) {}

void EngineBridge::ShowPicture(int cell, int, uint32_t, const uint8_t* payload, size_t size) {
    if (display_.decodersOpen()) display_.DecodeAndShow(cell, payload, size);
}

void EngineBridge::SetSizeCode(int code) {
    // 255 only says no size is set; the surfaces stay until a picture brings a new one.
    if (code == 255 || code == sizeCode_) return;
    sizeCode_ = code;
    display_.SetResolution(code);
    display_.OpenDecoders();
    emit viewsToReopen();
}

void EngineBridge::SetMarks(int channel, bool motion, bool sensor) {
    display_.SetMarks(channel, motion, sensor);
}

void EngineBridge::SetPanorama(bool on) {
    display_.SetPanorama(on);
}

void EngineBridge::ResetCells() {
    if (sizeCode_ != 255) display_.OpenDecoders();
    emit viewsToReopen();
}

void EngineBridge::LayoutChanged(int layoutId) {
    emit layoutChanged(layoutId);
}

void EngineBridge::Status(std::string_view text) {
    emit statusChanged(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void EngineBridge::TimeText(std::string_view text) {
    emit timeChanged(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void EngineBridge::Position(int64_t position, int64_t maximum) {
    emit positionChanged(position, maximum);
}

void EngineBridge::Message(int textId) {
    emit messageRaised(textId);
}

void EngineBridge::RecordingChanged(const std::string& path) {
    emit recordingChanged(QString::fromStdString(path));
}

void EngineBridge::ShowStill(const media::RgbPicture& picture) {
    still_ = QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                    QImage::Format_RGB888)
                 .copy();
}

}  // namespace player::qt
