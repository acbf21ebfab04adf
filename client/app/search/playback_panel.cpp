#include "client/app/search/playback_panel.h"

#include <QFontMetrics>
#include <QPainter>

#include "client/app/search/search_texts.h"
#include "client/net/client_strings.h"
#include "client/net/playback.h"
#include "ui/skin_frame.h"

namespace client::search {
namespace {

constexpr int kFirstButton = 749;  // 749..756 in the order of PlaybackButton

// Background 3000 (198 x 259): the state strip at the top, two rows of four playback buttons,
// the source text, Close at the bottom. Button bitmaps: command c at 10c, 10c + 1, 10c + 2.
constexpr ui::SkinButtonSpec Button(int index) {
    const int left = 11 + 45 * (index % 4);
    const int top = 66 + 42 * (index / 4);
    const int id = kFirstButton + index;
    return {left, top, left + 40, top + 34, id, id * 10, id * 10 + 1, id * 10 + 2};
}

constexpr ui::SkinButtonSpec kButtons[] = {
    Button(0), Button(1), Button(2),
    Button(3), Button(4), Button(5),
    Button(6), Button(7), {59, 218, 139, 245, kTextClose, 7650, 7651, 7652},
};

}  // namespace

bool RunPanelCommand(RemotePlayback& playback, int command) {
    if (command < 0 || command >= kPlaybackButtons) return false;
    return playback.Press(static_cast<PlaybackButton>(command));
}

PlaybackPanel::PlaybackPanel(QWidget* parent)
    : QWidget(parent), frame_(new ui::SkinFrame(this, kButtons, ClientStrings())) {
    frame_->Create(3000, static_cast<int>(std::size(kButtons)));
    connect(frame_, &ui::SkinFrame::commandTriggered, this, &PlaybackPanel::Command);
    SetPlaybackState(0);
}

void PlaybackPanel::SetSource(const QString& text) {
    source_ = text;
    update();
}

void PlaybackPanel::SetPlaybackState(int state) {
    state_ = QString::fromStdString(PlaybackStatusText(state));
    update();
}

void PlaybackPanel::Command(int id) {
    if (id == kTextClose) {
        emit closeRequested();
        return;
    }
    emit command(id - kFirstButton);
}

void PlaybackPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    frame_->PaintBackground(p);
    QFont font = p.font();
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0xe8, 0xec, 0xf0));
    p.drawText(QRect(8, 8, 182, 30), Qt::AlignCenter, state_);
    font.setBold(false);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(0xb8, 0xc0, 0xc8));
    const QRect source(10, 152, 178, 56);
    p.drawText(source, Qt::AlignCenter | Qt::TextWrapAnywhere, source_);
}

}  // namespace client::search
