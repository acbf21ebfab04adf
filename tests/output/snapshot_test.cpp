// umvtool snapshot against umvtool decode: every cell of a composed layout holds the decoded
// picture of its channel, cropped and scaled into the cell; grids have their lines and the
// 3 x 3 layouts an empty centre.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "output/layout.h"
#include "tests/output/png_read.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Quote;
using testsupport::RgbImage;
using testsupport::RunCommand;

const std::string kUmvtool = std::string(DVR_BINARY_DIR) + "/tools/umvtool/umvtool";
const std::string kCif = std::string(DVR_SOURCE_DIR) + "/samples/cif_16ch/Depot_20260314_095952";
const std::string kCifIndex = kCif + "/20260314_095952.idx";
const std::string kD1 =
    std::string(DVR_SOURCE_DIR) + "/samples/d1_4ch/Lobby_20260314_095952/20260314_095952.idx";

class Snapshot : public ::testing::Test {
  protected:
    std::string Env() const { return "HALVEX_CONFIG=" + Quote(dir_ / "Environments.ini") + " "; }
    testsupport::CommandResult Run(const std::string& args) const {
        return RunCommand(Env() + Quote(kUmvtool) + " " + args + " 2>&1");
    }
    RgbImage Snap(const std::string& recording, int layout) {
        const std::string out = dir_ / ("snap" + std::to_string(layout) + ".png");
        const auto r = Run("snapshot " + Quote(recording) + " --layout " + std::to_string(layout) +
                           " " + Quote(out));
        EXPECT_EQ(r.status, 0) << r.out;
        RgbImage image;
        EXPECT_TRUE(testsupport::ReadPng(out, &image)) << out;
        return image;
    }
    // The first picture of a channel (0-based) as `umvtool decode --png` writes it.
    RgbImage Decoded(const std::string& recording, int channel) {
        const std::string folder = dir_ / ("ch" + std::to_string(channel));
        const auto r = Run("decode --png " + Quote(folder) + " --channel " +
                           std::to_string(channel + 1) + " " + Quote(recording));
        EXPECT_EQ(r.status, 0) << r.out;
        RgbImage image;
        EXPECT_TRUE(testsupport::ReadPng(folder + "/000001.png", &image));
        return image;
    }
    testsupport::TempDir dir_;
};

// PSNR of a cell against the reference picture's visible part scaled into it.
double CellPsnr(const RgbImage& snap, const output::CellRect& cell, const RgbImage& ref) {
    const output::CellRect from = output::VisibleRect(ref.width, ref.height);
    double sum = 0;
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x) {
            const int sx = from.x + x * from.width / cell.width;
            const int sy = from.y + y * from.height / cell.height;
            const uint8_t* a = snap.at(cell.x + x, cell.y + y);
            const uint8_t* b = ref.at(sx, sy);
            for (int k = 0; k < 3; ++k)
                sum += (a[k] - b[k]) * (a[k] - b[k]);
        }
    const double mse = sum / (3.0 * cell.width * cell.height);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool AllBlack(const RgbImage& image, const output::CellRect& cell) {
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x) {
            const uint8_t* p = image.at(cell.x + x, cell.y + y);
            if (p[0] || p[1] || p[2]) return false;
        }
    return true;
}

TEST_F(Snapshot, CellsHoldTheDecodedPicturesOfTheirChannels) {
    std::vector<RgbImage> decoded;
    for (int c = 0; c < 16; ++c)
        decoded.push_back(Decoded(kCifIndex, c));
    for (int code : {0, 5, 17, 21, 22}) {
        const RgbImage snap = Snap(kCif, code);
        output::Layout layout;
        ASSERT_TRUE(output::LayoutFor(code, 352, 240, &layout));
        ASSERT_EQ(snap.width, layout.width) << code;
        ASSERT_EQ(snap.height, layout.height) << code;
        for (int i = 0; i < layout.cellCount; ++i) {
            const int channel = layout.channels[static_cast<size_t>(i)];
            const output::CellRect& cell = layout.cells[static_cast<size_t>(i)];
            if (channel < 0) {
                EXPECT_TRUE(AllBlack(snap, cell)) << "layout " << code << " centre";
                continue;
            }
            EXPECT_GT(CellPsnr(snap, cell, decoded[static_cast<size_t>(channel)]), 40.0)
                << "layout " << code << " cell " << i << " channel " << channel + 1;
            // Neighbouring channels look alike but not the same.
            const int other = (channel + 1) % 16;
            EXPECT_LT(CellPsnr(snap, cell, decoded[static_cast<size_t>(other)]), 30.0)
                << "layout " << code << " cell " << i;
        }
        if (layout.columns < 2) continue;
        const int n = layout.columns;
        for (int k = 1; k < n; ++k) {
            const int x = k * 720 / n;
            const int y = k * 480 / n;
            for (int r = 0; r < 480; ++r)
                ASSERT_EQ(snap.at(x, r)[0], output::kGridLineColour[2]) << code << " x=" << x;
            for (int c = 0; c < 720; ++c)
                ASSERT_EQ(snap.at(c, y)[1], output::kGridLineColour[1]) << code << " y=" << y;
        }
    }
}

// D1 pictures reach the RGB display as YUY2 (they are de-interlaced on screen); the still is
// converted without de-interlacing and matches the decoder's own RGB picture closely.
TEST_F(Snapshot, FullHeightPicturesAndEmptyChannels) {
    const RgbImage snap = Snap(kD1, 16);
    const RgbImage ref = Decoded(kD1, 2);
    output::Layout layout;
    ASSERT_TRUE(output::LayoutFor(16, 704, 480, &layout));
    EXPECT_GT(CellPsnr(snap, layout.cells[2], ref), 30.0);
    // A four-channel recording leaves channels 5..8 of layout 17 black.
    const RgbImage empty = Snap(kD1, 17);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(AllBlack(empty, layout.cells[static_cast<size_t>(i)])) << i;
}

TEST_F(Snapshot, RefusesBadLayoutsTimesAndFiles) {
    const std::string out = dir_ / "x.png";
    EXPECT_EQ(Run("snapshot " + Quote(kCif) + " --layout x " + Quote(out)).status, 1);
    EXPECT_EQ(Run("snapshot " + Quote(kCif) + " --layout -2 " + Quote(out)).status, 1);
    const auto late =
        Run("snapshot " + Quote(kCif) + " --layout 22 --at \"2026-03-15 10:00:00\" " + Quote(out));
    EXPECT_EQ(late.status, 1);
    EXPECT_NE(late.out.find("outside the recording"), std::string::npos) << late.out;
    const auto notRecording = Run("snapshot " + Quote(std::string(DVR_SOURCE_DIR) + "/README.md") +
                                  " --layout 0 " + Quote(out));
    EXPECT_EQ(notRecording.status, 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    // A moment inside the recording shows later pictures than the first.
    const auto later =
        Run("snapshot " + Quote(kCif) + " --layout 0 --at \"2026-03-14 09:59:58\" " + Quote(out));
    EXPECT_EQ(later.status, 0) << later.out;
}

}  // namespace
