#include "player/player_layout.h"

namespace player {

bool ValidLayout(int id) {
    return id >= 0 && id <= kLayoutAll;
}

int LayoutFirstChannel(int id) {
    if (id < kLayoutFirstFour) return id;
    if (id < kLayoutFirstEight) return (id - kLayoutFirstFour) * 4;
    return id == kLayoutSecondEight ? 8 : 0;
}

int LayoutChannelCount(int id) {
    if (!ValidLayout(id)) return 0;
    if (id < kLayoutFirstFour) return 1;
    if (id < kLayoutFirstEight) return 4;
    return id == kLayoutAll ? 16 : 8;
}

bool LayoutShows(int id, int channel) {
    const int first = LayoutFirstChannel(id);
    return channel >= first && channel < first + LayoutChannelCount(id);
}

PlayerLayout CellsOf(int id) {
    PlayerLayout out;
    const int first = LayoutFirstChannel(id);
    switch (LayoutChannelCount(id)) {
        case 1:
            out.count = 1;
            out.cells[0] = {first, 25, 41, 640, 480};
            break;
        case 4:
            out.count = 4;
            for (int i = 0; i < 4; ++i)
                out.cells[i] = {first + i, 24 + 322 * (i % 2), 41 + 242 * (i / 2), 320, 240};
            break;
        case 8: {
            static constexpr int kRows[3] = {41, 202, 363};
            out.count = 9;
            int channel = first;
            for (int i = 0; i < 9; ++i)
                out.cells[i] = {i == 4 ? -1 : channel++, 24 + 214 * (i % 3), kRows[i / 3], 213,
                                160};
            break;
        }
        case 16:
            out.count = 16;
            for (int i = 0; i < 16; ++i)
                out.cells[i] = {i, 24 + 161 * (i % 4), 41 + 121 * (i / 4), 160, 120};
            break;
        default:
            break;
    }
    return out;
}

int InitialLayout(int resultChannel, int modelCode) {
    if (resultChannel >= 0 && resultChannel < kChannelCount) return resultChannel;
    if (modelCode == 3) return kLayoutFirstFour;
    if (modelCode == 4) return kLayoutFirstEight;
    return kLayoutAll;
}

std::string_view SpeedLabel(float speed) {
    if (speed == kReverse) return "Reverse Play";
    if (speed == 0.125f) return "X 1/8";
    if (speed == 0.25f) return "X 1/4";
    if (speed == 0.5f) return "X 1/2";
    if (speed == 2.0f) return "X 2";
    if (speed == 4.0f) return "X 4";
    if (speed == 8.0f) return "X 8";
    return "Play";
}

}  // namespace player
