#include "export/manifest.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/hex_digest.h"

namespace {

exporter::Manifest Sample() {
    exporter::Manifest m;
    m.facts = {{"recorder", "Shop"}, {"channel", "3"}, {"exported", "2026-12-08 06:40:00 UTC"}};
    m.files = {{std::string(64, 'a'), 12, "20260314_095952.idx"},
               {std::string(64, '0'), 0, "clip with spaces.mp4"}};
    return m;
}

TEST(Manifest, ReadsBackWhatItWrites) {
    const std::string text = exporter::FormatManifest(Sample());
    exporter::Manifest back;
    std::string error;
    ASSERT_TRUE(exporter::ParseManifest(text, &back, &error)) << error;
    EXPECT_EQ(back.facts, Sample().facts);
    ASSERT_EQ(back.files.size(), 2u);
    EXPECT_EQ(back.files[1].name, "clip with spaces.mp4");
    EXPECT_EQ(back.files[0].size, 12u);
    EXPECT_EQ(back.files[0].sha256, std::string(64, 'a'));
}

// A body closed with its own digest, as the writer closes it.
std::string Sealed(const std::string& body) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(body.data());
    return body + "manifest-sha256: " + platform::Sha256Hex(bytes, body.size()) + "\n";
}

TEST(Manifest, RefusesDamagedOrUnsafeManifests) {
    const std::string good = exporter::FormatManifest(Sample());
    exporter::Manifest out;
    std::string error;
    // Cut short, a fact edited, the closing digest edited.
    EXPECT_FALSE(exporter::ParseManifest(good.substr(0, good.size() - 10), &out, &error));
    std::string edited = good;
    edited[edited.find("Shop")] = 'C';
    EXPECT_FALSE(exporter::ParseManifest(edited, &out, &error));
    EXPECT_EQ(error, "the manifest itself was changed");
    // Well sealed, but naming files outside the folder, twice, or with a bad digest or size.
    for (const char* line :
         {"file: "
          "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 1 ../x",
          "file: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 1 a/b",
          "file: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 1 ..",
          "file: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 1 "
          "MANIFEST.sha256",
          "file: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 1 clip.srt\n"
          "file: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 2 clip.srt",
          "file: AAAAaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 1 x",
          "file: aaaa 1 x",
          "file: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa -1 x",
          "file: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa "
          "99999999999999999999 x",
          "no colon here"}) {
        SCOPED_TRACE(line);
        exporter::Manifest m;
        EXPECT_FALSE(
            exporter::ParseManifest(Sealed("format: 1\n" + std::string(line) + "\n"), &m, &error));
    }
    // The same sealing accepts a sound body, and a body without its format.
    exporter::Manifest m;
    EXPECT_TRUE(exporter::ParseManifest(
        Sealed("format: 1\nfile: " + std::string(64, 'b') + " 7 clip.mp4\n"), &m, &error))
        << error;
    EXPECT_FALSE(exporter::ParseManifest(Sealed("recorder: x\n"), &m, &error));
    EXPECT_FALSE(exporter::ParseManifest("", &out, &error));
}

}  // namespace
