#include "art_style.h"

#include <QPainterPath>
#include <QtMath>

namespace art {
namespace {

// Glyphs are drawn in a 24x24 design box scaled into the target.
constexpr qreal kDesign = 24.0;

QPen Stroke(const QColor& ink, qreal width = 2.0) {
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.drawPath(path);
}

// A grid of `cols` x `rows` cells in the design box with `lit` cells (row-major) filled.
void Grid(QPainter& p, const QColor& ink, int cols, int rows, int firstLit, int litCount) {
    const qreal gap = 1.5;
    const qreal w = (20.0 - gap * (cols - 1)) / cols;
    const qreal h = (20.0 - gap * (rows - 1)) / rows;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int i = r * cols + c;
            const QRectF cell(2 + c * (w + gap), 2 + r * (h + gap), w, h);
            const bool lit = i >= firstLit && i < firstLit + litCount;
            p.setPen(Qt::NoPen);
            p.setBrush(lit ? ink : QColor(ink.red(), ink.green(), ink.blue(), 70));
            p.drawRoundedRect(cell, 1.2, 1.2);
        }
    }
}

void Magnifier(QPainter& p, const QColor& ink) {
    p.setPen(Stroke(ink, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
}

void GearShape(QPainter& p, const QColor& ink, QPointF c, qreal r) {
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a = i * M_PI / teeth;
        const qreal rr = (i % 2 == 0) ? r : r * 0.75;
        const QPointF pt(c.x() + rr * qCos(a), c.y() + rr * qSin(a));
        i == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    path.closeSubpath();
    path.addEllipse(c, r * 0.32, r * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(path);
}

void Text(QPainter& p, const QColor& ink, const QString& text, qreal size) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(size));
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(0, 0, kDesign, kDesign), Qt::AlignCenter, text);
}

void Arrow(QPainter& p, const QColor& ink, qreal angleDegrees) {
    p.save();
    p.translate(12, 12);
    p.rotate(angleDegrees);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    Triangle(p, QPointF(6, 0), QPointF(-4, -7), QPointF(-4, 7));
    p.restore();
}

}  // namespace

void DrawGlyph(QPainter& p, const QRectF& box, Glyph glyph, const QColor& ink) {
    p.save();
    const qreal side = std::min(box.width(), box.height());
    p.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    p.scale(side / kDesign, side / kDesign);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Stroke(ink));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
        case Glyph::Quad1:
            Grid(p, ink, 4, 4, 0, 4);
            break;
        case Glyph::Quad2:
            Grid(p, ink, 4, 4, 4, 4);
            break;
        case Glyph::Quad3:
            Grid(p, ink, 4, 4, 8, 4);
            break;
        case Glyph::Quad4:
            Grid(p, ink, 4, 4, 12, 4);
            break;
        case Glyph::Eight1:
            Grid(p, ink, 4, 4, 0, 8);
            break;
        case Glyph::Eight2:
            Grid(p, ink, 4, 4, 8, 8);
            break;
        case Glyph::Sixteen:
            Grid(p, ink, 4, 4, 0, 16);
            break;
        case Glyph::Speaker:
        case Glyph::SpeakerOn: {
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            QPainterPath body;
            body.moveTo(3, 9);
            body.lineTo(7, 9);
            body.lineTo(12, 4);
            body.lineTo(12, 20);
            body.lineTo(7, 15);
            body.lineTo(3, 15);
            body.closeSubpath();
            p.drawPath(body);
            p.setPen(Stroke(glyph == Glyph::SpeakerOn ? colour::kGreen : ink, 1.8));
            p.setBrush(Qt::NoBrush);
            if (glyph == Glyph::SpeakerOn) p.drawArc(QRectF(11, 8, 6, 8), -60 * 16, 120 * 16);
            if (glyph == Glyph::SpeakerOn) {
                p.drawArc(QRectF(10, 4, 11, 16), -60 * 16, 120 * 16);
            } else {
                p.drawLine(QPointF(16, 9), QPointF(21, 15));
                p.drawLine(QPointF(21, 9), QPointF(16, 15));
            }
            break;
        }
        case Glyph::Camera:
            p.drawRoundedRect(QRectF(3, 7, 18, 13), 2.5, 2.5);
            p.drawEllipse(QPointF(12, 13.5), 3.8, 3.8);
            p.drawLine(QPointF(8, 7), QPointF(10, 4.5));
            p.drawLine(QPointF(10, 4.5), QPointF(14, 4.5));
            p.drawLine(QPointF(14, 4.5), QPointF(16, 7));
            break;
        case Glyph::RecordDot:
        case Glyph::RecordOn:
            p.setPen(glyph == Glyph::RecordOn ? Stroke(colour::kRed, 1.5) : Qt::NoPen);
            p.setBrush(colour::kRed);
            p.drawEllipse(QPointF(12, 12), 6, 6);
            if (glyph == Glyph::RecordOn) {
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
            }
            break;
        case Glyph::TextSet:
            Text(p, ink, QStringLiteral("SET"), 8.5);
            break;
        case Glyph::TextGo:
            Text(p, ink, QStringLiteral("GO"), 9.5);
            break;
        case Glyph::ZoomIn:
            Magnifier(p, ink);
            p.drawLine(QPointF(7, 10), QPointF(13, 10));
            p.drawLine(QPointF(10, 7), QPointF(10, 13));
            break;
        case Glyph::ZoomOut:
            Magnifier(p, ink);
            p.drawLine(QPointF(7, 10), QPointF(13, 10));
            break;
        case Glyph::FocusFar:
        case Glyph::FocusNear: {
            p.drawEllipse(QPointF(12, 12), 3, 3);
            const bool out = glyph == Glyph::FocusFar;
            for (int i = 0; i < 4; ++i) {
                p.save();
                p.translate(12, 12);
                p.rotate(45 + 90 * i);
                p.drawLine(QPointF(6, 0), QPointF(10, 0));
                const qreal tip = out ? 10 : 6;
                const qreal back = out ? 7.5 : 8.5;
                p.drawLine(QPointF(tip, 0), QPointF(back, -2.2));
                p.drawLine(QPointF(tip, 0), QPointF(back, 2.2));
                p.restore();
            }
            break;
        }
        case Glyph::ArrowRight:
            Arrow(p, ink, 0);
            break;
        case Glyph::ArrowDown:
            Arrow(p, ink, 90);
            break;
        case Glyph::ArrowLeft:
            Arrow(p, ink, 180);
            break;
        case Glyph::ArrowUp:
            Arrow(p, ink, 270);
            break;
        case Glyph::Plug:
            p.drawLine(QPointF(3, 21), QPointF(8, 16));
            p.drawRoundedRect(QRectF(7, 7, 10, 10), 2, 2);
            p.drawLine(QPointF(12, 7), QPointF(15, 4));
            p.drawLine(QPointF(17, 12), QPointF(20, 9));
            p.drawLine(QPointF(16, 3), QPointF(21, 8));
            break;
        case Glyph::PlayerApp:
            p.drawRoundedRect(QRectF(3, 5, 18, 14), 2, 2);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            Triangle(p, QPointF(10, 8.5), QPointF(16, 12), QPointF(10, 15.5));
            break;
        case Glyph::FullScreen:
            for (int i = 0; i < 4; ++i) {
                p.save();
                p.translate(12, 12);
                p.rotate(90 * i);
                p.drawLine(QPointF(-8, -8), QPointF(-3, -8));
                p.drawLine(QPointF(-8, -8), QPointF(-8, -3));
                p.restore();
            }
            break;
        case Glyph::Gear:
            GearShape(p, ink, QPointF(12, 12), 9);
            break;
        case Glyph::DvrGear:
            p.drawRoundedRect(QRectF(2, 14, 20, 7), 1.5, 1.5);
            GearShape(p, ink, QPointF(12, 7.5), 6);
            break;
        case Glyph::DvrRecord:
            p.drawRoundedRect(QRectF(2, 12, 20, 9), 1.5, 1.5);
            p.setPen(Qt::NoPen);
            p.setBrush(colour::kRed);
            p.drawEllipse(QPointF(12, 6.5), 4, 4);
            p.setBrush(ink);
            p.drawEllipse(QPointF(17.5, 16.5), 1.4, 1.4);
            break;
        case Glyph::Search:
            Magnifier(p, ink);
            break;
        case Glyph::Download:
            p.drawLine(QPointF(12, 3), QPointF(12, 15));
            p.drawLine(QPointF(7, 10), QPointF(12, 15));
            p.drawLine(QPointF(17, 10), QPointF(12, 15));
            p.drawLine(QPointF(4, 20), QPointF(20, 20));
            break;
        case Glyph::Minimize:
            p.drawLine(QPointF(6, 17), QPointF(18, 17));
            break;
        case Glyph::Power:
            p.drawArc(QRectF(5, 5, 14, 14), 125 * 16, 290 * 16);
            p.drawLine(QPointF(12, 3), QPointF(12, 11));
            break;
        case Glyph::Check:
            p.drawLine(QPointF(5, 12.5), QPointF(10, 17.5));
            p.drawLine(QPointF(10, 17.5), QPointF(19, 7));
            break;
        case Glyph::Cross:
            p.drawLine(QPointF(6.5, 6.5), QPointF(17.5, 17.5));
            p.drawLine(QPointF(17.5, 6.5), QPointF(6.5, 17.5));
            break;
        case Glyph::Play:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            Triangle(p, QPointF(7, 4), QPointF(19, 12), QPointF(7, 20));
            break;
        case Glyph::ReversePlay:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            Triangle(p, QPointF(17, 4), QPointF(5, 12), QPointF(17, 20));
            break;
        case Glyph::Pause:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(6, 5, 4, 14), 1, 1);
            p.drawRoundedRect(QRectF(14, 5, 4, 14), 1, 1);
            break;
        case Glyph::Stop:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(6, 6, 12, 12), 1.5, 1.5);
            break;
        case Glyph::PrevFrame:
        case Glyph::NextFrame: {
            const bool next = glyph == Glyph::NextFrame;
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            if (next) {
                Triangle(p, QPointF(6, 5), QPointF(15, 12), QPointF(6, 19));
                p.drawRect(QRectF(16, 5, 2.5, 14));
            } else {
                Triangle(p, QPointF(18, 5), QPointF(9, 12), QPointF(18, 19));
                p.drawRect(QRectF(5.5, 5, 2.5, 14));
            }
            break;
        }
        case Glyph::Slow:
        case Glyph::Fast: {
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            if (glyph == Glyph::Fast) {
                Triangle(p, QPointF(3, 5), QPointF(12, 12), QPointF(3, 19));
                Triangle(p, QPointF(12, 5), QPointF(21, 12), QPointF(12, 19));
            } else {  // half speed: one triangle and a half
                Triangle(p, QPointF(3, 5), QPointF(12, 12), QPointF(3, 19));
                QFont font(QStringLiteral("DejaVu Sans"));
                font.setPixelSize(12);
                font.setBold(true);
                p.setFont(font);
                p.setPen(ink);
                p.drawText(QRectF(11, 3, 13, 18), Qt::AlignCenter, QStringLiteral("\u00bd"));
            }
            break;
        }
        case Glyph::Watermark: {
            QPainterPath drop;
            drop.moveTo(12, 3);
            drop.cubicTo(18, 10, 19, 13, 19, 15);
            drop.arcTo(QRectF(5, 8, 14, 14), 0, -180);
            drop.cubicTo(5, 13, 6, 10, 12, 3);
            p.drawPath(drop);
            p.drawLine(QPointF(9, 15), QPointF(11, 17.5));
            break;
        }
        case Glyph::Printer:
            p.drawRect(QRectF(7, 3, 10, 6));
            p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
            p.drawRect(QRectF(7, 14, 10, 7));
            break;
        case Glyph::Panorama:
            for (int i = 0; i < 3; ++i)
                p.drawRoundedRect(QRectF(2 + i * 7, 7, 6, 10), 1, 1);
            break;
        case Glyph::Save:
            p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
            p.drawRect(QRectF(8, 4, 8, 5));
            p.drawRect(QRectF(7, 13, 10, 7));
            break;
        case Glyph::Reload:
            p.drawArc(QRectF(5, 5, 14, 14), 30 * 16, 280 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            Triangle(p, QPointF(20, 4), QPointF(20, 11), QPointF(13.5, 8.5));
            break;
        case Glyph::Folder: {
            QPainterPath f;
            f.moveTo(3, 7);
            f.lineTo(9, 7);
            f.lineTo(11, 9);
            f.lineTo(21, 9);
            f.lineTo(21, 19);
            f.lineTo(3, 19);
            f.closeSubpath();
            p.drawPath(f);
            break;
        }
        case Glyph::StillSearch:
            p.drawRoundedRect(QRectF(2, 4, 14, 12), 1.5, 1.5);
            p.drawLine(QPointF(4, 13), QPointF(8, 9));
            p.drawLine(QPointF(8, 9), QPointF(11, 12));
            p.drawEllipse(QPointF(16, 15), 3.5, 3.5);
            p.drawLine(QPointF(18.5, 17.5), QPointF(22, 21));
            break;
        case Glyph::Transfer:
            p.drawLine(QPointF(7, 4), QPointF(7, 18));
            p.drawLine(QPointF(3, 14), QPointF(7, 18));
            p.drawLine(QPointF(11, 14), QPointF(7, 18));
            p.drawLine(QPointF(17, 20), QPointF(17, 6));
            p.drawLine(QPointF(13, 10), QPointF(17, 6));
            p.drawLine(QPointF(21, 10), QPointF(17, 6));
            break;
        case Glyph::TransferStop:
            p.setPen(Qt::NoPen);
            p.setBrush(colour::kRed);
            p.drawRoundedRect(QRectF(6, 6, 12, 12), 2, 2);
            break;
        case Glyph::Dots:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            for (int i = 0; i < 3; ++i)
                p.drawEllipse(QPointF(6 + 6 * i, 12), 1.8, 1.8);
            break;
        case Glyph::One:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
            break;
    }
    p.restore();
}

void DrawButton(QPainter& p, const QRectF& box, ButtonState state, Glyph glyph) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = colour::kButton;
    QColor edge = colour::kButtonEdge;
    QColor ink = colour::kGlyph;
    qreal drop = 0;
    switch (state) {
        case ButtonState::Normal:
            break;
        case ButtonState::Hover:
            fill = colour::kHover;
            edge = colour::kAccent;
            ink = Qt::white;
            break;
        case ButtonState::Pressed:
            fill = colour::kPressed;
            edge = colour::kAccent;
            ink = Qt::white;
            drop = 1;
            break;
        case ButtonState::Active:
            fill = colour::kHover;
            edge = colour::kAccent;
            ink = colour::kAccent;
            break;
    }
    const QRectF face = box.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min<qreal>(6, std::min(face.width(), face.height()) / 4);
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, radius, radius);
    const qreal side = std::min(box.width(), box.height()) * 0.66;
    QRectF glyphBox(0, 0, side, side);
    glyphBox.moveCenter(box.center() + QPointF(0, drop));
    DrawGlyph(p, glyphBox, glyph, ink);
    p.restore();
}

void DrawInset(QPainter& p, const QRectF& box, qreal radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour::kEdge, 1));
    p.setBrush(colour::kInset);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

void DrawPanel(QPainter& p, const QRectF& box, qreal radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour::kEdge, 1));
    p.setBrush(colour::kPanel);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

void DrawTitle(QPainter& p, const QString& title, const QPointF& at) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kAccent);
    p.drawRoundedRect(QRectF(at.x(), at.y() - 9, 4, 12), 1.5, 1.5);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour::kText);
    p.drawText(at + QPointF(10, 2), title);
    p.restore();
}

}  // namespace art
