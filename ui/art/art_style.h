// The colours and shapes shared by every picture of the skin: one dark, flat look for both
// programs.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace art {

namespace colour {
inline const QColor kWindow(0x15, 0x19, 0x1e);
inline const QColor kPanel(0x1e, 0x24, 0x2b);
inline const QColor kInset(0x0f, 0x12, 0x16);
inline const QColor kVideo(0x0a, 0x0c, 0x0f);
inline const QColor kEdge(0x2f, 0x37, 0x42);
inline const QColor kButton(0x2a, 0x31, 0x39);
inline const QColor kButtonEdge(0x3a, 0x43, 0x4e);
inline const QColor kHover(0x34, 0x40, 0x4c);
inline const QColor kPressed(0x1d, 0x5f, 0x99);
inline const QColor kAccent(0x4d, 0xb6, 0xff);
inline const QColor kGlyph(0xc9, 0xd1, 0xd9);
inline const QColor kText(0xd8, 0xde, 0xe6);
inline const QColor kMuted(0x7d, 0x8a, 0x97);
inline const QColor kRed(0xe5, 0x48, 0x4d);
inline const QColor kGreen(0x3e, 0xcf, 0x8e);
inline const QColor kAmber(0xf5, 0xa5, 0x24);
}  // namespace colour

enum class ButtonState { Normal, Pressed, Hover, Active };

// The icons of the buttons, drawn into a square box.
enum class Glyph {
    Quad1,
    Quad2,
    Quad3,
    Quad4,
    Eight1,
    Eight2,
    Sixteen,
    Speaker,
    SpeakerOn,
    Camera,
    RecordDot,
    RecordOn,
    TextSet,
    TextGo,
    ZoomIn,
    ZoomOut,
    FocusFar,
    FocusNear,
    ArrowRight,
    ArrowLeft,
    ArrowUp,
    ArrowDown,
    Plug,
    PlayerApp,
    FullScreen,
    Gear,
    DvrRecord,
    Search,
    Download,
    DvrGear,
    Minimize,
    Power,
    Check,
    Cross,
    Play,
    ReversePlay,
    Pause,
    Stop,
    PrevFrame,
    NextFrame,
    Slow,
    Fast,
    Watermark,
    Printer,
    Panorama,
    Save,
    Reload,
    Folder,
    StillSearch,
    Transfer,
    TransferStop,
    Dots,
    One,
};

// A rounded button face for `state` with `glyph` centred in it.
void DrawButton(QPainter& p, const QRectF& box, ButtonState state, Glyph glyph);
void DrawGlyph(QPainter& p, const QRectF& box, Glyph glyph, const QColor& ink);
// A dark inset well (text fields, lists) with a hairline edge.
void DrawInset(QPainter& p, const QRectF& box, qreal radius = 4);
// A raised panel.
void DrawPanel(QPainter& p, const QRectF& box, qreal radius = 8);
// The title of a window at the top left.
void DrawTitle(QPainter& p, const QString& title, const QPointF& at);

}  // namespace art
