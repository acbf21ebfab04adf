#include "client/app/search/day_strip.h"

#include <QPainter>

namespace client::search {

QColor SlotColour(SlotCode code) {
    switch (code) {
        case SlotCode::Manual:
            return QColor(0x3a, 0x8f, 0xd8);
        case SlotCode::Motion:
            return QColor(0xe8, 0xa3, 0x17);
        case SlotCode::Sensor:
            return QColor(0xd6, 0x3b, 0x3b);
        case SlotCode::None:
        default:
            return QColor(0xe6, 0xe8, 0xeb);
    }
}

QPixmap DayStripPicture(const std::array<SlotCode, kSlotsPerDay>& day, const DayStripGeometry& g,
                        qreal devicePixelRatio) {
    QPixmap picture(QSize(g.width, g.height) * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::white);
    QPainter p(&picture);
    const int left = g.markerWidth / 2;
    const int right = left + g.slotWidth * kSlotsPerDay;
    p.fillRect(QRect(left, g.trackTop, right - left, g.trackHeight), SlotColour(SlotCode::None));
    for (int s = 0; s < kSlotsPerDay;) {
        const SlotCode code = day[static_cast<size_t>(s)];
        int e = s + 1;
        while (e < kSlotsPerDay && day[static_cast<size_t>(e)] == code)
            ++e;
        if (code != SlotCode::None)
            p.fillRect(
                QRect(left + s * g.slotWidth, g.trackTop, (e - s) * g.slotWidth, g.trackHeight),
                SlotColour(code));
        s = e;
    }
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    const int slotsPerHour = 60 / kSlotMinutes;
    for (int hour = 0; hour <= 24; ++hour) {
        const int x = left + hour * slotsPerHour * g.slotWidth;
        p.setPen(QColor(0x70, 0x76, 0x7e));
        const int tick = hour % 6 == 0 ? 6 : 3;
        p.drawLine(x, g.trackTop + g.trackHeight, x, g.trackTop + g.trackHeight + tick);
        if (hour % 2 == 0) {
            p.setPen(QColor(0x40, 0x44, 0x4a));
            const QRect label(x - 15, g.trackTop + g.trackHeight + tick, 30, 12);
            p.drawText(label, Qt::AlignCenter, QStringLiteral("%1").arg(hour));
        }
    }
    return picture;
}

}  // namespace client::search
