// The remote client's main window skin as the artwork is drawn for it: background 130 and its 30
// buttons (rectangle, command, normal / pressed / hover bitmaps). The window itself and the skin
// preview and benchmark use this one table.
#pragma once

#include <array>

#include "ui/skin_frame.h"

namespace ui::art {

inline constexpr int kTelvaMainBackground = 130;

inline constexpr std::array<SkinButtonSpec, 30> kTelvaMainButtons = {{
    {82, 546, 125, 593, 700, 144, 166, 145},  {137, 546, 180, 593, 701, 147, 146, 148},
    {188, 546, 231, 593, 702, 150, 149, 151}, {243, 546, 286, 593, 703, 165, 152, 154},
    {335, 546, 378, 593, 704, 157, 155, 158}, {391, 546, 434, 593, 705, 423, 427, 424},
    {479, 546, 522, 593, 706, 168, 163, 167}, {541, 546, 574, 586, 707, 198, 200, 197},
    {611, 35, 637, 57, 725, 254, 253, 255},   {641, 35, 667, 57, 726, 257, 256, 250},
    {791, 339, 827, 360, 727, 439, 438, 435}, {828, 339, 864, 360, 728, 436, 440, 437},
    {769, 377, 812, 421, 708, 236, 242, 215}, {725, 377, 769, 421, 709, 209, 208, 211},
    {769, 421, 812, 465, 710, 231, 239, 201}, {723, 421, 767, 465, 711, 229, 238, 216},
    {813, 410, 829, 431, 712, 203, 202, 204}, {707, 410, 721, 431, 713, 195, 194, 219},
    {759, 361, 780, 376, 714, 206, 205, 207}, {759, 465, 780, 481, 715, 192, 191, 193},
    {687, 493, 730, 526, 716, 176, 240, 177}, {732, 493, 774, 526, 717, 182, 181, 183},
    {775, 493, 817, 526, 718, 233, 241, 217}, {819, 493, 863, 526, 719, 185, 184, 186},
    {687, 534, 730, 567, 720, 234, 245, 218}, {732, 534, 774, 567, 721, 235, 244, 226},
    {775, 534, 817, 567, 722, 398, 399, 397}, {819, 534, 863, 567, 723, 227, 243, 175},
    {702, 631, 782, 658, 783, 433, 434, 433}, {785, 631, 865, 658, 724, 224, 225, 223},
}};

// The volume slider: place, range and bitmaps (track, filled track, thumb, dragging, focused).
inline constexpr int kTelvaVolumeLeft = 575, kTelvaVolumeTop = 547;
inline constexpr int kTelvaVolumeWidth = 85, kTelvaVolumeHeight = 40;
inline constexpr int kTelvaVolumeBitmaps[5] = {391, 389, 388, 390, 390};

}  // namespace ui::art
