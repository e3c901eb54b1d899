// The browser build's MP3 recognition, checked on the desktop against files the encoder writes
// and against mpg123's reading of the same files.
#include "platform/sound/web/mp3_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/mp3_source.h"
#include "tests/platform/sound/mp3_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

platform::Mp3Probe Probe(const Bytes& bytes) { return platform::ProbeMp3(bytes.data(), bytes.size()); }

// An ID3v2 tag of the given version with body bytes of padding (and a footer when asked).
Bytes Id3Tag(std::uint8_t version, std::size_t body, bool footer = false) {
    const std::uint8_t size[4] = {static_cast<std::uint8_t>(body >> 21 & 0x7F), static_cast<std::uint8_t>(body >> 14 & 0x7F),
                                  static_cast<std::uint8_t>(body >> 7 & 0x7F), static_cast<std::uint8_t>(body & 0x7F)};
    const std::uint8_t flags = footer ? 0x10 : 0;
    const std::uint8_t header[10] = {'I', 'D', '3', version, 0, flags, size[0], size[1], size[2], size[3]};
    Bytes tag(10 + body + (footer ? 10 : 0), 0);
    std::copy(std::begin(header), std::end(header), tag.begin());
    if (footer) {
        std::copy(std::begin(header), std::end(header), tag.end() - 10);
        std::copy_n("3DI", 3, tag.end() - 10);
    }
    return tag;
}

Bytes Joined(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class Mp3ProbeTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sound_test::WriteSineMp3("stereo.mp3", 0.5, 44100, 2));
        ASSERT_TRUE(sound_test::WriteSineMp3("mono.mp3", 0.5, 22050, 1));
        stereo = ReadFile("stereo.mp3");
        ASSERT_GT(stereo.size(), 1000u);
    }

    sound_test::TempDirectory directory;
    Bytes stereo;
};

TEST_F(Mp3ProbeTest, EncodedFilesAgreeWithTheDecoder) {
    for (const char* name : {"stereo.mp3", "mono.mp3"}) {
        std::unique_ptr<platform::Mp3Source> source;
        ASSERT_EQ(platform::Mp3Source::Open(name, source), S_OK) << name;
        const platform::Mp3Probe probe = Probe(ReadFile(name));
        ASSERT_TRUE(probe.found) << name;
        EXPECT_EQ(probe.firstFrame, 0u) << name;
        EXPECT_EQ(probe.format.rate, source->Format().rate) << name;
        EXPECT_EQ(probe.format.channels, source->Format().channels) << name;
    }
}

TEST_F(Mp3ProbeTest, TagsAndJunkBeforeTheFirstFrameAreSkipped) {
    const Bytes v3 = Id3Tag(3, 300);
    platform::Mp3Probe probe = Probe(Joined(v3, stereo));
    EXPECT_TRUE(probe.found);
    EXPECT_EQ(probe.firstFrame, v3.size());

    // A version 4 tag with a footer, then one longer than the search window (as with a cover
    // picture): only skipping both whole reaches the audio.
    const Bytes tags = Joined(Id3Tag(4, 20, true), Id3Tag(3, 100000));
    probe = Probe(Joined(tags, stereo));
    EXPECT_TRUE(probe.found);
    EXPECT_EQ(probe.firstFrame, tags.size());

    // Junk that holds a sync pattern no second header confirms.
    const Bytes junk = {0, 0, 0xFF, 0xFB, 0x90, 0x64, 1, 2, 3, 0xFF, 0xE0, 7};
    probe = Probe(Joined(junk, stereo));
    EXPECT_TRUE(probe.found);
    EXPECT_EQ(probe.firstFrame, junk.size());
    EXPECT_EQ(probe.format.rate, 44100);
}

TEST_F(Mp3ProbeTest, FilesWithoutLayerThreeFramesAreRefused) {
    EXPECT_FALSE(Probe({}).found);
    EXPECT_FALSE(Probe(Bytes(16384, 0)).found);
    const std::string text = "This is a text file and holds no MPEG audio at all.\n";
    EXPECT_FALSE(Probe(Bytes(text.begin(), text.end())).found);
    // A tag whose size runs past the end of the file.
    Bytes cut = Id3Tag(3, 5000);
    cut.resize(200);
    EXPECT_FALSE(Probe(cut).found);
    // One frame header and nothing after it that confirms it.
    EXPECT_FALSE(Probe(Joined({0xFF, 0xFB, 0x90, 0x64}, Bytes(100, 0x55))).found);
    // Layer II frames (same sync, layer bits 10) are not for the browser's MP3 decoder.
    Bytes layer2 = stereo;
    for (std::size_t at = 0; at + 1 < layer2.size(); ++at)
        if (layer2[at] == 0xFF && (layer2[at + 1] & 0xFE) == 0xFA) layer2[at + 1] = 0xFC | (layer2[at + 1] & 1);
    EXPECT_FALSE(Probe(layer2).found);
}

TEST_F(Mp3ProbeTest, AFileEndingWithItsFirstFrameIsAccepted) {
    ASSERT_TRUE(Probe(stereo).found);
    // 128 kbps at 44.1 kHz: 417 bytes a frame, one more with the padding bit.
    const std::size_t length = 417 + (stereo[2] >> 1 & 1);
    const auto cut = [&](std::size_t size) { return Probe(Bytes(stereo.begin(), stereo.begin() + size)).found; };
    EXPECT_TRUE(cut(length));
    EXPECT_FALSE(cut(length - 1));
    EXPECT_FALSE(cut(length + 1));  // a second header begins but is cut off
}

}  // namespace
