// The picture under the calendar dialog's time bar: one day, coloured where it holds recordings
// (manual, motion, sensor), with a mark at every hour and the hours named every two hours.
#pragma once

#include <QColor>
#include <QPixmap>

#include "client/app/search/calendar_search.h"

namespace client::search {

QColor SlotColour(SlotCode code);

struct DayStripGeometry {
    int width = 0;
    int height = 0;
    int markerWidth = 0;  // the markers' width: slot s is centred under x = s * slot + marker / 2
    int slotWidth = 0;
    int trackTop = 0;     // the coloured track lies from here ...
    int trackHeight = 0;  // ... this high, the hour names below it
};

QPixmap DayStripPicture(const std::array<SlotCode, kSlotsPerDay>& day,
                        const DayStripGeometry& geometry, qreal devicePixelRatio);

}  // namespace client::search
