// The player's channel layouts: which channels a layout id shows and where its cells stand in
// the main window; and the playing speeds with their labels.
#pragma once

#include <array>
#include <string_view>

namespace player {

inline constexpr int kChannelCount = 16;
// 0..15: one channel alone; 16..19: channels 1-4, 5-8, 9-12, 13-16; 20: 1-8; 21: 9-16; 22: all.
inline constexpr int kLayoutFirstFour = 16;
inline constexpr int kLayoutFirstEight = 20;
inline constexpr int kLayoutSecondEight = 21;
inline constexpr int kLayoutAll = 22;

struct CellPlace {
    int channel = -1;  // -1: the logo cell in the middle of the eight-channel layout
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct PlayerLayout {
    int count = 0;
    std::array<CellPlace, kChannelCount> cells{};
};

bool ValidLayout(int id);
// The first channel and the number of channels a layout shows.
int LayoutFirstChannel(int id);
int LayoutChannelCount(int id);
bool LayoutShows(int id, int channel);
// The cells of a layout in reading order, in window coordinates (an invalid id gives none).
PlayerLayout CellsOf(int id);
// The layout a recording opens in: one channel alone, or by the recorder's model code.
int InitialLayout(int resultChannel, int modelCode);

// The playing speeds the slow and fast steps walk, and reverse.
inline constexpr float kSpeeds[] = {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f};
inline constexpr float kReverse = -1.0f;
// The status text of a speed ("X 1/8" ... "X 8", "Play", "Reverse Play").
std::string_view SpeedLabel(float speed);

}  // namespace player
