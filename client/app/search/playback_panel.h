// The playback panel shown beside the cells during a remote playback: the eight playback buttons
// (reverse play, play, pause, stop, previous and next frame, slow, fast), what is playing, the
// recorder's playback state, and a Close button.
//
// Use: new PlaybackPanel(mainWindow) at 672, 313; connect command(int) to the connection with
// RunPanelCommand and closeRequested() to closing the panel and going back to live view; call
// SetPlaybackState on every 1044 and SetSource when a playback starts.
#pragma once

#include <QString>
#include <QWidget>

#include "client/net/remote_playback.h"

namespace ui {
class SkinFrame;
}

namespace client::search {

// A command of the panel (0..7, in the order of PlaybackButton) sent to the recorder; false for
// a number that is no command or when nothing was done.
bool RunPanelCommand(RemotePlayback& playback, int command);

class PlaybackPanel : public QWidget {
    Q_OBJECT
  public:
    explicit PlaybackPanel(QWidget* parent = nullptr);

    // What plays: a recorder file or a start time, shown under the state.
    void SetSource(const QString& text);
    // The recorder's playback state (1044): "Playback( +2X )" and so on.
    void SetPlaybackState(int state);

    QString stateText() const { return state_; }
    ui::SkinFrame& frame() const { return *frame_; }

  signals:
    void command(int index);  // 0..7
    void closeRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Command(int id);

    ui::SkinFrame* frame_;
    QString state_;
    QString source_;
};

}  // namespace client::search
