// Carries the playback engine's output to the renderer and the main window: pictures are decoded
// on the play thread straight into the channel display; everything the window shows arrives as
// signals, which reach the window's thread queued.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include "output/channel_display.h"
#include "player/playback_engine.h"

namespace player::qt {

class EngineBridge final : public QObject, public EngineOutput {
    Q_OBJECT
  public:
    explicit EngineBridge(output::ChannelDisplay& display, QObject* parent = nullptr);

    void ShowPicture(int cell, int kind, uint32_t stamp, const uint8_t* payload,
                     size_t size) override;
    void SetSizeCode(int code) override;
    void SetMarks(int channel, bool motion, bool sensor) override;
    void SetPanorama(bool on) override;
    void ResetCells() override;
    void LayoutChanged(int layoutId) override;
    void Status(std::string_view text) override;
    void TimeText(std::string_view text) override;
    void Position(int64_t position, int64_t maximum) override;
    void Message(int textId) override;
    void RecordingChanged(const std::string& path) override;
    void ShowStill(const media::RgbPicture& picture) override;

    // The still image opened last (the engine's mode tells whether it is on show).
    const QImage& still() const { return still_; }

  signals:
    // The picture size changed: the cells' views must be opened again.
    void viewsToReopen();
    void layoutChanged(int layoutId);
    void statusChanged(const QString& text);
    void timeChanged(const QString& text);
    void positionChanged(qint64 position, qint64 maximum);
    void messageRaised(int textId);
    void recordingChanged(const QString& path);

  private:
    output::ChannelDisplay& display_;
    int sizeCode_ = 255;
    QImage still_;
};

}  // namespace player::qt
