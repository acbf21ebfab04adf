// Draws every numbered bitmap of one program's skin at 1x and @2x, and its sounds.
//   make_skin_art telva|orvane OUTDIR
// writes OUTDIR/<id>.png, OUTDIR/<id>@2x.png and, for sounds, OUTDIR/<id>.wav.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "art_style.h"

using namespace art;

namespace {

using DrawFn = std::function<void(QPainter&, QSizeF)>;

struct Picture {
    int id;
    int width, height;
    DrawFn draw;
};

std::vector<Picture> g_pictures;

void Add(int id, int w, int h, DrawFn draw) {
    g_pictures.push_back({id, w, h, std::move(draw)});
}

void AddButtons(int normal, int pressed, int hover, int w, int h, Glyph glyph) {
    auto face = [glyph](ButtonState s) {
        return [glyph, s](QPainter& p, QSizeF size) {
            p.fillRect(QRectF(QPointF(), size), colour::kPanel);
            DrawButton(p, QRectF(QPointF(), size), s, glyph);
        };
    };
    Add(normal, w, h, face(ButtonState::Normal));
    Add(pressed, w, h, face(ButtonState::Pressed));
    if (hover != normal) Add(hover, w, h, face(ButtonState::Hover));
}

// A state set: normal drawn "active", pressed as usual (the hover is the normal again).
void AddActiveButtons(int normal, int pressed, int w, int h, Glyph glyph) {
    Add(normal, w, h, [glyph](QPainter& p, QSizeF s) {
        p.fillRect(QRectF(QPointF(), s), colour::kPanel);
        DrawButton(p, QRectF(QPointF(), s), ButtonState::Active, glyph);
    });
    Add(pressed, w, h, [glyph](QPainter& p, QSizeF s) {
        p.fillRect(QRectF(QPointF(), s), colour::kPanel);
        DrawButton(p, QRectF(QPointF(), s), ButtonState::Pressed, glyph);
    });
}

QFont UiFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void WindowBase(QPainter& p, QSizeF s, const QString& title) {
    p.fillRect(QRectF(QPointF(), s), colour::kWindow);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour::kEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(QPointF(), s).adjusted(0.5, 0.5, -0.5, -0.5), 7.5, 7.5);
    DrawTitle(p, title, QPointF(14, 20));
}

void VideoWall(QPainter& p, const QRectF& area, int cols, int rows) {
    p.fillRect(area, colour::kVideo);
    p.setPen(QPen(QColor(0x1c, 0x21, 0x27), 1));
    for (int c = 1; c < cols; ++c) {
        const qreal x = area.left() + area.width() * c / cols;
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    for (int r = 1; r < rows; ++r) {
        const qreal y = area.top() + area.height() * r / rows;
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    p.setPen(QPen(colour::kEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(-0.5, -0.5, 0.5, 0.5));
}

void Label(QPainter& p, const QRectF& box, const QString& text) {
    p.setFont(UiFont(10, true));
    p.setPen(colour::kMuted);
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void Emblem(QPainter& p, QPointF centre, qreal radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hex;
    for (int i = 0; i < 6; ++i) {
        const qreal a = M_PI / 6 + i * M_PI / 3;
        const QPointF pt(centre.x() + radius * qCos(a), centre.y() + radius * qSin(a));
        i == 0 ? hex.moveTo(pt) : hex.lineTo(pt);
    }
    hex.closeSubpath();
    p.setPen(QPen(colour::kAccent, radius * 0.16));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hex);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kAccent);
    p.drawEllipse(centre, radius * 0.32, radius * 0.32);
    p.restore();
}

void Logo(QPainter& p, QSizeF s, const QString& name, bool onWhite) {
    p.fillRect(QRectF(QPointF(), s), onWhite ? QColor(Qt::white) : colour::kPanel);
    const qreal r = std::min(s.height() * 0.32, s.width() * 0.12);
    Emblem(p, QPointF(r * 1.6, s.height() / 2), r);
    p.setFont(UiFont(qRound(r * 1.1), true));
    p.setPen(onWhite ? colour::kPressed : colour::kText);
    p.drawText(QRectF(r * 3, 0, s.width() - r * 3, s.height()), Qt::AlignLeft | Qt::AlignVCenter,
               name);
}

void IdlePane(QPainter& p, QSizeF s) {
    p.fillRect(QRectF(QPointF(), s), colour::kVideo);
    const qreal side = s.height() * 0.3;
    QRectF box(0, 0, side, side);
    box.moveCenter(QPointF(s.width() / 2, s.height() / 2));
    DrawGlyph(p, box, Glyph::Camera, QColor(0x2a, 0x31, 0x39));
}

// A small mark drawn on pure white, which the views leave out.
void Mark(QPainter& p, QSizeF s, const QColor& fill, const QString& letter) {
    p.fillRect(QRectF(QPointF(), s), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRect(QRectF(QPointF(), s));
    p.setFont(UiFont(qRound(s.height() * 0.8), true));
    p.setPen(QColor(0x10, 0x10, 0x10));
    p.drawText(QRectF(QPointF(), s), Qt::AlignCenter, letter);
}

void Marker(QPainter& p, QSizeF s, const QColor& fill, bool start) {
    p.fillRect(QRectF(QPointF(), s), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    const qreal w = s.width(), h = s.height();
    QPainterPath flag;
    flag.moveTo(start ? 0 : w, 0);
    flag.lineTo(start ? w : 0, 0);
    flag.lineTo(start ? w : 0, h * 0.45);
    flag.lineTo(start ? 2.5 : w - 2.5, h * 0.45);
    flag.lineTo(start ? 2.5 : w - 2.5, h);
    flag.lineTo(start ? 0 : w, h);
    flag.closeSubpath();
    p.drawPath(flag);
}

void CalendarArrow(QPainter& p, QSizeF s, ButtonState state, Glyph glyph) {
    const QColor fill = state == ButtonState::Pressed ? colour::kPressed
                        : state == ButtonState::Hover ? QColor(0xdd, 0xee, 0xfb)
                                                      : QColor(Qt::white);
    p.fillRect(QRectF(QPointF(), s), fill);
    const QColor ink = state == ButtonState::Pressed ? QColor(Qt::white) : colour::kPressed;
    DrawGlyph(p, QRectF(0, (s.height() - s.width()) / 2, s.width(), s.width()), glyph, ink);
}

void SliderTrack(QPainter& p, QSizeF s, bool filled) {
    p.fillRect(QRectF(QPointF(), s), colour::kPanel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(filled ? colour::kAccent : colour::kInset);
    p.drawRoundedRect(QRectF(1, s.height() / 2 - 2.5, s.width() - 2, 5), 2.5, 2.5);
}

void SliderThumb(QPainter& p, QSizeF s, bool active) {
    p.fillRect(QRectF(QPointF(), s), colour::kPanel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(active ? Qt::white : colour::kAccent, 1));
    p.setBrush(active ? colour::kAccent : colour::kGlyph);
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), 3, 3);
}

void AddCommon(const QString& program) {
    Add(300, 22, 14,
        [](QPainter& p, QSizeF s) { Mark(p, s, colour::kAmber, QStringLiteral("M")); });
    Add(301, 22, 14, [](QPainter& p, QSizeF s) { Mark(p, s, colour::kRed, QStringLiteral("S")); });
    const Glyph arrows[2] = {Glyph::ArrowLeft, Glyph::ArrowRight};
    for (int a = 0; a < 2; ++a) {
        const ButtonState states[3] = {ButtonState::Normal, ButtonState::Pressed,
                                       ButtonState::Hover};
        for (int s = 0; s < 3; ++s) {
            Add(310 + a * 3 + s, 15, 21, [g = arrows[a], st = states[s]](QPainter& p, QSizeF sz) {
                CalendarArrow(p, sz, st, g);
            });
        }
    }
    Add(316, 9, 18, [](QPainter& p, QSizeF s) { Marker(p, s, colour::kGreen, true); });
    Add(317, 9, 18, [](QPainter& p, QSizeF s) { Marker(p, s, colour::kRed, false); });
    Add(302, 352, 240, IdlePane);
    Add(303, 240, 180, [program](QPainter& p, QSizeF s) {
        p.fillRect(QRectF(QPointF(), s), colour::kVideo);
        Emblem(p, QPointF(s.width() / 2, s.height() / 2 - 14), 34);
        p.setFont(UiFont(16, true));
        p.setPen(colour::kText);
        p.drawText(QRectF(0, s.height() - 56, s.width(), 30), Qt::AlignCenter, program);
    });
}

void AddTelva() {
    const QString name = QStringLiteral("Telva_M4");
    AddCommon(name);
    // Main window.
    Add(130, 880, 670, [name](QPainter& p, QSizeF s) {
        WindowBase(p, s, name);
        DrawInset(p, QRectF(85, 33, 440, 25));
        VideoWall(p, QRectF(10, 64, 660, 474), 4, 4);
        DrawPanel(p, QRectF(70, 541, 600, 57));
        DrawPanel(p, QRectF(675, 20, 197, 642));
        Label(p, QRectF(688, 78, 160, 16), QStringLiteral("TIME"));
        Label(p, QRectF(688, 150, 160, 16), QStringLiteral("MODE"));
        Label(p, QRectF(688, 200, 160, 16), QStringLiteral("DVR"));
        DrawInset(p, QRectF(686, 217, 170, 89));
        Label(p, QRectF(688, 316, 160, 16), QStringLiteral("PTZ"));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colour::kEdge, 1));
        p.setBrush(colour::kInset);
        p.drawEllipse(QPointF(767, 421), 66, 66);
        Label(p, QRectF(688, 612, 160, 16), QStringLiteral("WINDOW"));
    });
    Add(351, 180, 50, [](QPainter& p, QSizeF s) {
        p.fillRect(QRectF(QPointF(), s), colour::kPanel);
        DrawInset(p, QRectF(QPointF(), s).adjusted(4, 20, -4, -2));
    });
    Add(383, 162, 23, [](QPainter& p, QSizeF s) {
        p.fillRect(QRectF(QPointF(), s), colour::kPanel);
        DrawInset(p, QRectF(QPointF(), s));
    });
    AddButtons(144, 166, 145, 43, 47, Glyph::Quad1);
    AddButtons(147, 146, 148, 43, 47, Glyph::Quad2);
    AddButtons(150, 149, 151, 43, 47, Glyph::Quad3);
    AddButtons(165, 152, 154, 43, 47, Glyph::Quad4);
    AddButtons(157, 155, 158, 43, 47, Glyph::Eight1);
    AddButtons(423, 427, 424, 43, 47, Glyph::Eight2);
    AddButtons(168, 163, 167, 43, 47, Glyph::Sixteen);
    AddButtons(198, 200, 197, 33, 40, Glyph::Speaker);
    AddActiveButtons(396, 394, 33, 40, Glyph::SpeakerOn);
    AddButtons(254, 253, 255, 26, 22, Glyph::Camera);
    AddButtons(257, 256, 250, 26, 22, Glyph::RecordDot);
    AddActiveButtons(380, 379, 26, 22, Glyph::RecordOn);
    AddButtons(439, 438, 435, 36, 21, Glyph::TextSet);
    AddButtons(436, 440, 437, 36, 21, Glyph::TextGo);
    AddButtons(236, 242, 215, 43, 44, Glyph::ZoomIn);
    AddButtons(209, 208, 211, 44, 44, Glyph::ZoomOut);
    AddButtons(231, 239, 201, 43, 44, Glyph::FocusFar);
    AddButtons(229, 238, 216, 44, 44, Glyph::FocusNear);
    AddButtons(203, 202, 204, 16, 21, Glyph::ArrowRight);
    AddButtons(195, 194, 219, 14, 21, Glyph::ArrowLeft);
    AddButtons(206, 205, 207, 21, 15, Glyph::ArrowUp);
    AddButtons(192, 191, 193, 21, 16, Glyph::ArrowDown);
    AddButtons(176, 240, 177, 43, 33, Glyph::Plug);
    AddButtons(182, 181, 183, 42, 33, Glyph::PlayerApp);
    AddButtons(233, 241, 217, 42, 33, Glyph::FullScreen);
    AddButtons(185, 184, 186, 44, 33, Glyph::Gear);
    AddButtons(234, 245, 218, 43, 33, Glyph::DvrRecord);
    AddButtons(235, 244, 226, 42, 33, Glyph::Search);
    AddButtons(398, 399, 397, 42, 33, Glyph::Download);
    AddButtons(227, 243, 175, 44, 33, Glyph::DvrGear);
    AddButtons(433, 434, 433, 80, 27, Glyph::Minimize);
    AddButtons(224, 225, 223, 80, 27, Glyph::Power);
    // Volume slider: track, filled track, thumb, dragging/focused thumb.
    Add(391, 85, 40, [](QPainter& p, QSizeF s) { SliderTrack(p, s, false); });
    Add(389, 85, 40, [](QPainter& p, QSizeF s) { SliderTrack(p, s, true); });
    Add(388, 11, 20, [](QPainter& p, QSizeF s) { SliderThumb(p, s, false); });
    Add(390, 11, 20, [](QPainter& p, QSizeF s) { SliderThumb(p, s, true); });
    // Dialogs: recording settings, setup, backup list, search result list.
    const struct {
        int id, w, h;
        const char* title;
    } dialogs[] = {{282, 420, 340, "Recording"},
                   {288, 520, 460, "Setup"},
                   {401, 600, 380, "Backup"},
                   {404, 600, 380, "Search"}};
    for (const auto& d : dialogs) {
        Add(d.id, d.w, d.h, [title = QString::fromLatin1(d.title)](QPainter& p, QSizeF s) {
            WindowBase(p, s, title);
            DrawPanel(p, QRectF(10, 30, s.width() - 20, s.height() - 80));
        });
    }
    AddButtons(281, 280, 276, 80, 27, Glyph::Check);
    AddButtons(278, 277, 279, 80, 27, Glyph::Cross);
    AddButtons(287, 286, 285, 80, 27, Glyph::Cross);
    AddButtons(356, 355, 356, 24, 22, Glyph::Folder);
    AddButtons(363, 370, 372, 80, 27, Glyph::Transfer);
    AddButtons(369, 367, 368, 80, 27, Glyph::TransferStop);
    Add(304, 180, 60, [name](QPainter& p, QSizeF s) { Logo(p, s, name, true); });
    // The playback panel (198 x 259) and the buttons the tables leave unnumbered: command c at
    // 10c (normal), 10c + 1 (pressed), 10c + 2 (hover).
    Add(3000, 198, 259, [](QPainter& p, QSizeF s) {
        p.fillRect(QRectF(QPointF(), s), colour::kPanel);
        DrawInset(p, QRectF(8, 8, s.width() - 16, 30));
        Label(p, QRectF(14, 44, 160, 16), QStringLiteral("PLAYBACK"));
    });
    const struct {
        int command;
        Glyph glyph;
    } playback[] = {{749, Glyph::ReversePlay}, {750, Glyph::Play},      {751, Glyph::Pause},
                    {752, Glyph::Stop},        {753, Glyph::PrevFrame}, {754, Glyph::NextFrame},
                    {755, Glyph::Slow},        {756, Glyph::Fast}};
    for (const auto& b : playback) {
        AddButtons(b.command * 10, b.command * 10 + 1, b.command * 10 + 2, 40, 34, b.glyph);
    }
    AddButtons(7640, 7641, 7642, 80, 27, Glyph::Play);
    AddButtons(7650, 7651, 7652, 80, 27, Glyph::Cross);
}

void AddOrvane() {
    const QString name = QStringLiteral("Orvane_M4");
    AddCommon(name);
    Add(500, 1024, 720, [name](QPainter& p, QSizeF s) {
        WindowBase(p, s, name);
        // The cells of every layout lie within 24..667 x 41..524: the wall frames exactly that,
        // with no grid of its own (the layouts differ in where their cells meet).
        DrawPanel(p, QRectF(10, 30, 680, 530));
        VideoWall(p, QRectF(24, 41, 643, 483), 1, 1);
        DrawPanel(p, QRectF(10, 566, 680, 146));
        DrawInset(p, QRectF(20, 574, 660, 22));
        DrawPanel(p, QRectF(698, 20, 316, 692));
        // The file logo ("LogoFile.bmp", 503) is drawn at 710, 25 over the top of the panel.
        Label(p, QRectF(712, 92, 200, 16), QStringLiteral("FILES"));
        DrawInset(p, QRectF(708, 110, 296, 310));
        Label(p, QRectF(712, 428, 200, 16), QStringLiteral("PATH"));
        DrawInset(p, QRectF(708, 446, 296, 26));
        Label(p, QRectF(712, 574, 200, 16), QStringLiteral("LIST"));
        DrawInset(p, QRectF(708, 592, 296, 110));
    });
    Add(503, 300, 60, [name](QPainter& p, QSizeF s) { Logo(p, s, name, true); });
    struct Command {
        int id, w, h;
        Glyph glyph;
    };
    const Command commands[] = {
        {102, 40, 34, Glyph::ReversePlay}, {103, 40, 34, Glyph::Play},
        {104, 40, 34, Glyph::Pause},       {105, 40, 34, Glyph::Stop},
        {106, 40, 34, Glyph::PrevFrame},   {107, 40, 34, Glyph::NextFrame},
        {108, 40, 34, Glyph::Slow},        {109, 40, 34, Glyph::Fast},
        {110, 40, 34, Glyph::Watermark},   {111, 40, 34, Glyph::Printer},
        {112, 40, 34, Glyph::Camera},      {113, 43, 36, Glyph::Quad1},
        {114, 43, 36, Glyph::Quad2},       {115, 43, 36, Glyph::Quad3},
        {116, 43, 36, Glyph::Quad4},       {117, 43, 36, Glyph::Eight1},
        {118, 43, 36, Glyph::Eight2},      {119, 43, 36, Glyph::Sixteen},
        {120, 43, 36, Glyph::Panorama},    {121, 43, 36, Glyph::Speaker},
        {122, 43, 36, Glyph::StillSearch}, {123, 43, 36, Glyph::Search},
        {124, 80, 27, Glyph::Camera},      {126, 80, 27, Glyph::Printer},
        {127, 80, 27, Glyph::Minimize},    {128, 80, 27, Glyph::Reload},
        {129, 80, 27, Glyph::Play},        {130, 80, 27, Glyph::Cross},
        {131, 80, 27, Glyph::Power},       {132, 80, 27, Glyph::Search},
        {134, 80, 27, Glyph::Cross},       {135, 80, 27, Glyph::Save},
        {136, 80, 27, Glyph::Printer},     {137, 80, 27, Glyph::Cross},
        {142, 80, 27, Glyph::Folder},
    };
    // Command c has its bitmaps at 10c (normal), 10c + 1 (pressed), 10c + 2 (hover).
    for (const Command& c : commands) {
        AddButtons(c.id * 10, c.id * 10 + 1, c.id * 10 + 2, c.w, c.h, c.glyph);
    }
    AddActiveButtons(1213, 1214, 43, 36, Glyph::SpeakerOn);
    Add(510, 660, 22, [](QPainter& p, QSizeF s) { SliderTrack(p, s, false); });
    Add(511, 660, 22, [](QPainter& p, QSizeF s) { SliderTrack(p, s, true); });
    Add(512, 11, 20, [](QPainter& p, QSizeF s) { SliderThumb(p, s, false); });
    Add(513, 11, 20, [](QPainter& p, QSizeF s) { SliderThumb(p, s, true); });
}

bool WriteImage(const Picture& pic, int scale, const QString& path) {
    QImage image(pic.width * scale, pic.height * scale, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.scale(scale, scale);
    pic.draw(painter, QSizeF(pic.width, pic.height));
    painter.end();
    return image.save(path, "PNG", 9);
}

// A soft two-tone chime, one second, that loops without a click: 16-bit mono PCM WAVE.
bool WriteAlarm(const QString& path) {
    constexpr int kRate = 22050;
    constexpr int kSamples = kRate;
    QByteArray pcm;
    pcm.reserve(kSamples * 2);
    for (int i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double local = std::fmod(t, 0.5);
        const double freq = t < 0.5 ? 880.0 : 660.0;
        const double envelope = std::min(1.0, local / 0.01) * std::exp(-local * 6.0);
        const double tail = local > 0.45 ? (0.5 - local) / 0.05 : 1.0;
        const auto v = static_cast<qint16>(
            12000.0 * envelope * tail *
            (std::sin(2 * M_PI * freq * t) + 0.3 * std::sin(4 * M_PI * freq * t)));
        pcm.append(static_cast<char>(v & 0xff));
        pcm.append(static_cast<char>((v >> 8) & 0xff));
    }
    auto le32 = [](QByteArray& b, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    auto le16 = [](QByteArray& b, quint16 v) {
        b.append(static_cast<char>(v & 0xff));
        b.append(static_cast<char>(v >> 8));
    };
    QByteArray wav("RIFF");
    le32(wav, static_cast<quint32>(36 + pcm.size()));
    wav.append("WAVEfmt ");
    le32(wav, 16);
    le16(wav, 1);
    le16(wav, 1);
    le32(wav, kRate);
    le32(wav, kRate * 2);
    le16(wav, 2);
    le16(wav, 16);
    wav.append("data");
    le32(wav, static_cast<quint32>(pcm.size()));
    wav.append(pcm);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_skin_art telva|orvane OUTDIR\n");
        return 2;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    if (program == QStringLiteral("telva")) {
        AddTelva();
    } else if (program == QStringLiteral("orvane")) {
        AddOrvane();
    } else {
        std::fprintf(stderr, "make_skin_art: unknown program\n");
        return 2;
    }
    std::vector<int> ids;
    for (const Picture& pic : g_pictures)
        ids.push_back(pic.id);
    std::sort(ids.begin(), ids.end());
    if (std::adjacent_find(ids.begin(), ids.end()) != ids.end()) {
        std::fprintf(stderr, "make_skin_art: a bitmap number is used twice\n");
        return 1;
    }
    QDir().mkpath(out);
    for (const Picture& pic : g_pictures) {
        const QString base = out + QStringLiteral("/") + QString::number(pic.id);
        if (!WriteImage(pic, 1, base + QStringLiteral(".png")) ||
            !WriteImage(pic, 2, base + QStringLiteral("@2x.png"))) {
            std::fprintf(stderr, "make_skin_art: cannot write %d\n", pic.id);
            return 1;
        }
    }
    if (program == QStringLiteral("telva") && !WriteAlarm(out + QStringLiteral("/408.wav"))) {
        std::fprintf(stderr, "make_skin_art: cannot write the alarm sound\n");
        return 1;
    }
    std::printf("%zu pictures\n", g_pictures.size());
    return 0;
}
