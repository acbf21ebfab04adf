#include "media/still_image.h"

#include <gtest/gtest.h>

#include "media/jpeg_library.h"
#include "tests/support/jpeg_pictures.h"
#include "tests/support/records.h"
#include "tests/support/temp_dir.h"

namespace {

using media::LocateJpeg;
using media::StillError;
using media::StillTrailer;

TEST(StillName, CarriesRecorderTimeChannelAndKeyword) {
    const media::CivilTime t{2026, 3, 14, 9, 5, 7};
    EXPECT_EQ(media::StillName("/cap/", "Lobby", t, 5, ""), "/cap/Lobby,260314_090507,5,.jpg");
    EXPECT_EQ(media::StillName("", "Lobby", t, 0, "door"), "Lobby,260314_090507,M,door.jpg");
    media::StillNameFields f;
    ASSERT_TRUE(media::ParseStillName("Lobby,260314_090507,12,back door.jpg", &f));
    EXPECT_EQ(f.recorderName, "Lobby");
    EXPECT_EQ(f.captureTime, "260314_090507");
    EXPECT_EQ(f.channel, "12");
    EXPECT_EQ(f.keyword, "back door");
}

TEST(StillName, ReadersAcceptOnlyNamesWithTheirDigits) {
    EXPECT_TRUE(media::IsStillName("Lobby,260314_090507,5,.jpg"));
    EXPECT_FALSE(media::IsStillName("L,260314_090507,.jpg"));  // 20 characters
    EXPECT_TRUE(media::IsStillName("L,260314_090507,5,.jpg"));
    EXPECT_TRUE(media::IsStillName("Lobby,2603x4_090507,5,.jpg"));   // the time digits count
    EXPECT_FALSE(media::IsStillName("Lobby,2603x4_09x507,5,.jpg"));  // neither
    EXPECT_FALSE(media::IsStillName("no comma in this long name.jpg"));
    EXPECT_FALSE(media::IsStillName("Lobby,2603"));
}

TEST(StillTrailer, TheYearIsLittleEndian) {
    uint8_t bytes[11];
    StillTrailer::At({2026, 3, 14, 9, 5, 7}).Encode(bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 11),
              (std::vector<uint8_t>{0, 1, 0, 0, 0xEA, 0x07, 3, 14, 9, 5, 7}));
    const StillTrailer back = StillTrailer::Decode(bytes);
    EXPECT_TRUE(back.timePresent);
    EXPECT_EQ(media::FormatCivil(back.time), "2026-03-14 09:05:07");
}

TEST(StillFile, LocatingTheJpegDataAndItsTrailer) {
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 1, 0xFF, 0x00, 2, 0xFF, 0xD9};
    uint8_t trailer[11];
    StillTrailer::At({2026, 3, 14, 9, 5, 7}).Encode(trailer);
    std::vector<uint8_t> file = jpeg;
    file.insert(file.end(), trailer, trailer + 11);
    auto loc = LocateJpeg(file);
    ASSERT_TRUE(loc.found);
    EXPECT_EQ(loc.start, 0u);
    EXPECT_EQ(loc.end, jpeg.size());
    ASSERT_TRUE(loc.hasTrailer);
    EXPECT_TRUE(loc.trailer.timePresent);

    file[jpeg.size() + 1] = 0;  // time-present byte cleared
    EXPECT_FALSE(LocateJpeg(file).trailer.timePresent);

    std::vector<uint8_t> junk = {0x12, 0xFF, 0xD8, 0x34};  // junk, and a start marker twice
    junk.insert(junk.end(), file.begin(), file.end());
    loc = LocateJpeg(junk);
    EXPECT_EQ(loc.start, 4u);
    EXPECT_FALSE(loc.hasTrailer);

    EXPECT_FALSE(LocateJpeg(std::vector<uint8_t>{1, 2, 0xFF, 0xD9}).found);
    loc = LocateJpeg(std::vector<uint8_t>{0xFF, 0xD8, 1, 2, 3});
    EXPECT_TRUE(loc.found);  // no end marker: the data runs to the end, without trailer
    EXPECT_EQ(loc.end, 5u);
    EXPECT_FALSE(loc.hasTrailer);
    file.resize(jpeg.size() + 10);  // a trailer cut short is no trailer
    EXPECT_FALSE(LocateJpeg(file).hasTrailer);
}

TEST(StillFile, WrittenStillsReadBack) {
    testsupport::TempDir dir;
    const auto jpeg = testsupport::LibraryJpeg(testsupport::ScenePicture(64, 32));
    const std::string path = media::StillName(dir.path(), "Gate", {2026, 1, 2, 3, 4, 5}, 2, "");
    ASSERT_EQ(media::WriteStill(path, jpeg, StillTrailer::At({2025, 12, 31, 23, 59, 58})),
              StillError::kNone);
    const auto bytes = testsupport::ReadFile(path);
    ASSERT_EQ(bytes.size(), jpeg.size() + 11);
    const auto loc = LocateJpeg(bytes);
    EXPECT_EQ(loc.end, jpeg.size());
    EXPECT_EQ(media::FormatCivil(loc.trailer.time), "2025-12-31 23:59:58");
    media::RgbPicture picture;
    std::string error;
    ASSERT_TRUE(media::DecodeJpeg(loc.jpeg(bytes), &picture, &error));
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(media::WriteStill(dir / "missing/x.jpg", jpeg, {}), StillError::kCannotWrite);
}

TEST(UmsFile, SizeRuleAndHeaderCheck) {
    testsupport::TempDir dir;
    std::vector<uint8_t> payload(media::kMaxPayloadSize);
    media::FrameHeader h;
    size_t size = 0;
    auto write = [&](size_t payloadSize, int kind = 0, int model = 5) {
        auto record = testsupport::MakeRecord(
            {.kind = kind, .month = 2, .day = 14, .hour = 9, .length = 1, .model = uint8_t(model)});
        record.resize(24 + payloadSize, 0x11);
        testsupport::WriteFile(dir / "f.ums", record);
        return media::ReadUms(dir / "f.ums", &h, payload.data(), &size);
    };
    EXPECT_EQ(write(262144), StillError::kTooBig);
    ASSERT_EQ(write(262143), StillError::kNone);
    EXPECT_EQ(size, 262143u);  // the header's length field is not used
    EXPECT_EQ(h.day, 14);
    EXPECT_EQ(write(0), StillError::kImproperType);
    EXPECT_EQ(write(100, 3), StillError::kImproperType);     // audio is no picture
    EXPECT_EQ(write(100, 0, 2), StillError::kImproperType);  // malformed header
    EXPECT_EQ(media::ReadUms(dir / "none.ums", &h, payload.data(), &size), StillError::kCantOpen);
    EXPECT_TRUE(media::IsVideoFileName("a/b.UMS"));
    EXPECT_TRUE(media::IsVideoFileName("a.idx"));
    EXPECT_FALSE(media::IsVideoFileName("a.jpg"));
}

TEST(JpegLibrary, StillsAreBaselineQuality95) {
    const auto picture = testsupport::ScenePicture(96, 64);
    std::vector<uint8_t> ours;
    std::string error;
    ASSERT_TRUE(media::EncodeJpeg(picture, &ours, &error)) << error;
    EXPECT_EQ(ours, testsupport::LibraryJpeg(picture, {.quality = 95}));
    const uint8_t baseline[] = {0xFF, 0xC0};
    EXPECT_NE(std::search(ours.begin(), ours.end(), baseline, baseline + 2), ours.end());
}

TEST(JpegLibrary, FailuresComeBackAsTheLibrarysMessage) {
    media::RgbPicture picture;
    std::string error;
    EXPECT_FALSE(media::DecodeJpeg(std::vector<uint8_t>{1, 2, 3, 4}, &picture, &error));
    EXPECT_NE(error.find("Not a JPEG file"), std::string::npos) << error;
    auto jpeg = testsupport::LibraryJpeg(testsupport::ScenePicture(64, 32));
    jpeg.resize(jpeg.size() / 2);  // cut: shown as far as it goes
    EXPECT_TRUE(media::DecodeJpeg(jpeg, &picture, &error));
    // A header claiming 65,000 x 65,000 pixels is refused before the picture is allocated.
    auto huge = testsupport::LibraryJpeg(testsupport::ScenePicture(64, 32));
    for (size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD;
            break;
        }
    }
    EXPECT_FALSE(media::DecodeJpeg(huge, &picture, &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_TRUE(picture.rgb.empty());
}

}  // namespace
