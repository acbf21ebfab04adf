#include "client/app/window/core/view_layout.h"

namespace client_app {
namespace {

// The video area of the window: panes start here.
constexpr int kAreaX = 29;
constexpr int kAreaY = 59;

std::vector<PanePlace> Grid(int columns, const int* channels, int count, int cellW, int cellH,
                            int stepX, const int* rowsY, int originX) {
    std::vector<PanePlace> out;
    for (int i = 0; i < count; ++i) {
        const int col = i % columns, row = i / columns;
        out.push_back({channels[i], {originX + stepX * col, rowsY[row], cellW, cellH}});
    }
    return out;
}

}  // namespace

std::vector<PanePlace> PanesOf(int mode, bool full, int screenW, int screenH) {
    if (!IsValidMode(mode)) return {};
    int channels[kPaneCount];
    int columns = 4, count = 16;
    if (IsSingleMode(mode)) {
        columns = 1;
        count = 1;
        channels[0] = mode;
    } else if (mode < kModeEightFirst) {
        columns = 2;
        count = 4;
        for (int i = 0; i < 4; ++i)
            channels[i] = (mode - kModeQuadFirst) * 4 + i;
    } else if (mode < kModeAll) {
        // A 3 x 3 grid: the logo in the centre, the eight channels around it in reading order.
        columns = 3;
        count = 9;
        const int first = (mode - kModeEightFirst) * 8;
        for (int i = 0, c = first; i < 9; ++i)
            channels[i] = i == 4 ? kLogoPane : c++;
    } else {
        for (int i = 0; i < 16; ++i)
            channels[i] = i;
    }
    if (full) {
        const int w = screenW / columns, h = screenH / columns;
        int rows[4];
        for (int r = 0; r < columns; ++r)
            rows[r] = h * r;
        return Grid(columns, channels, count, w, h, w, rows, 0);
    }
    switch (columns) {
        case 1:
            return {{channels[0], {30, kAreaY, 640, 480}}};
        case 2: {
            const int rows[] = {kAreaY, 301};
            return Grid(2, channels, 4, 320, 240, 322, rows, kAreaX);
        }
        case 3: {
            const int rows[] = {kAreaY, 220, 381};
            return Grid(3, channels, 9, 213, 160, 214, rows, kAreaX);
        }
        default: {
            const int rows[] = {kAreaY, 180, 301, 422};
            return Grid(4, channels, 16, 160, 120, 161, rows, kAreaX);
        }
    }
}

bool ModeShows(int mode, int channel) {
    for (const PanePlace& p : PanesOf(mode, false))
        if (p.channel == channel) return true;
    return false;
}

int LayoutButtonOf(int mode) {
    if (mode >= kModeQuadFirst && mode <= kModeAll) return mode - kModeQuadFirst;
    return -1;
}

int ModeOfLayoutCommand(int command) {
    return command >= 700 && command <= 706 ? kModeQuadFirst + (command - 700) : -1;
}

std::array<bool, 30> ButtonsForLogin(bool admin, int channels) {
    std::array<bool, 30> shown{};
    // Layout buttons: 16 channels all seven; 8 channels 1-4, 5-8 and 1-8; 4 channels 1-4.
    const bool layouts16[] = {true, true, true, true, true, true, true};
    const bool layouts8[] = {true, true, false, false, true, false, false};
    const bool layouts4[] = {true, false, false, false, false, false, false};
    const bool* layouts = channels >= 16 ? layouts16 : channels >= 8 ? layouts8 : layouts4;
    for (int i = 0; i < 7; ++i)
        shown[i] = layouts[i];
    for (int i = 7; i < 30; ++i)
        shown[i] = admin;
    if (!admin) {
        for (int i : {7, 8, 9, 20, 21, 22, 23, 28, 29})
            shown[i] = true;
    }
    return shown;
}

}  // namespace client_app
