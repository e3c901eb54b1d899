#include "platform/sound/mp3_source.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/platform/sound/mp3_fixture.h"

namespace {

using platform::Mp3Source;

struct Decoded {
    std::size_t bytes = 0;
    long frames = 0;
    HRESULT last = S_OK;
    std::vector<short> head;  // the first samples, for comparing passes
};

Decoded DecodeAll(Mp3Source& source) {
    Decoded result;
    for (int guard = 0; guard < 100000; ++guard) {
        const unsigned char* data = nullptr;
        std::size_t bytes = 0;
        result.last = source.DecodeFrame(&data, &bytes);
        if (result.last != S_OK) break;
        if (result.head.size() < 4096 && bytes > 0) {
            const auto* samples = reinterpret_cast<const short*>(data);
            result.head.insert(result.head.end(), samples, samples + bytes / 2);
        }
        result.bytes += bytes;
        ++result.frames;
    }
    return result;
}

class Mp3SourceTest : public testing::Test {
protected:
    sound_test::TempDirectory directory;
};

TEST_F(Mp3SourceTest, NamesThatAreNoRegularFileAreRefusedWithoutWaiting) {
    // Reading a FIFO would wait for a writer that never comes.
    ASSERT_EQ(mkfifo("pipe.mp3", 0600), 0);
    HRESULT result = S_OK;
    std::string err;
    EXPECT_TRUE(sound_test::FinishesWithoutAWriter("pipe.mp3", [&] {
        err = sound_test::CaptureStderr([&] {
            std::unique_ptr<Mp3Source> source;
            result = Mp3Source::Open("pipe.mp3", source);
            EXPECT_EQ(source, nullptr);
        });
    }));
    EXPECT_EQ(result, platform::kSoundDecodeError);
    EXPECT_EQ(err, "sound: pipe.mp3: not a regular file (a FIFO), not played\n");

    std::filesystem::create_directory("folder.mp3");
    std::unique_ptr<Mp3Source> source;
    err = sound_test::CaptureStderr([&] { result = Mp3Source::Open("folder.mp3", source); });
    EXPECT_EQ(result, platform::kSoundDecodeError);
    EXPECT_EQ(err, "sound: folder.mp3: not a regular file (a folder), not played\n");
    EXPECT_EQ(source, nullptr);
}

TEST_F(Mp3SourceTest, FilesWithoutAudioFailToOpen) {
    std::unique_ptr<Mp3Source> source;
    EXPECT_EQ(Mp3Source::Open("missing.mp3", source), platform::kSoundDecodeError);
    EXPECT_EQ(source, nullptr);

    std::ofstream("empty.mp3").close();
    EXPECT_EQ(Mp3Source::Open("empty.mp3", source), platform::kSoundDecodeError);

    std::ofstream text("text.mp3");
    for (int i = 0; i < 200; ++i) text << "This is a text file and holds no MPEG audio at all.\n";
    text.close();
    EXPECT_EQ(Mp3Source::Open("text.mp3", source), platform::kSoundDecodeError);

    std::ofstream zeros("zeros.mp3", std::ios::binary);
    zeros << std::string(16384, '\0');
    zeros.close();
    EXPECT_EQ(Mp3Source::Open("zeros.mp3", source), platform::kSoundDecodeError);
    EXPECT_EQ(source, nullptr);

    EXPECT_EQ(Mp3Source::Open("", source), E_INVALIDARG);
    EXPECT_EQ(Mp3Source::Open(nullptr, source), E_INVALIDARG);
}

TEST_F(Mp3SourceTest, OpenLearnsTheFormat) {
    ASSERT_TRUE(sound_test::WriteSineMp3("stereo.mp3", 0.5, 44100, 2));
    ASSERT_TRUE(sound_test::WriteSineMp3("mono.mp3", 0.5, 22050, 1));
    std::unique_ptr<Mp3Source> stereo, mono;
    ASSERT_EQ(Mp3Source::Open("stereo.mp3", stereo), S_OK);
    ASSERT_EQ(Mp3Source::Open("mono.mp3", mono), S_OK);
    EXPECT_EQ(stereo->Format().rate, 44100);
    EXPECT_EQ(stereo->Format().channels, 2);
    EXPECT_EQ(stereo->Format().BytesPerSecond(), 44100u * 4);
    EXPECT_EQ(mono->Format().rate, 22050);
    EXPECT_EQ(mono->Format().channels, 1);
    EXPECT_EQ(stereo->Path(), "stereo.mp3");
    // Opening leaves the source at its beginning.
    EXPECT_EQ(stereo->FramesDecoded(), 0);
}

TEST_F(Mp3SourceTest, DecodesTheWholeFileAndRewinds) {
    constexpr double kSeconds = 1.0;
    ASSERT_TRUE(sound_test::WriteSineMp3("tone.mp3", kSeconds, 44100, 2));
    std::unique_ptr<Mp3Source> source;
    ASSERT_EQ(Mp3Source::Open("tone.mp3", source), S_OK);

    const Decoded first = DecodeAll(*source);
    EXPECT_EQ(first.last, S_FALSE);
    EXPECT_EQ(source->FramesDecoded(), first.frames);
    // The encoder adds its delay and padding (under two frames of 1152 samples each side).
    const double seconds = static_cast<double>(first.bytes) / source->Format().BytesPerSecond();
    EXPECT_GE(seconds, kSeconds);
    EXPECT_LE(seconds, kSeconds + 4 * 1152.0 / 44100);
    EXPECT_NEAR(static_cast<double>(first.frames), kSeconds * 44100 / 1152, 4.0);
    // The end stays the end.
    const unsigned char* data = nullptr;
    std::size_t bytes = 0;
    EXPECT_EQ(source->DecodeFrame(&data, &bytes), S_FALSE);
    EXPECT_EQ(bytes, 0u);

    ASSERT_EQ(source->Rewind(), S_OK);
    EXPECT_EQ(source->FramesDecoded(), 0);
    const Decoded second = DecodeAll(*source);
    EXPECT_EQ(second.bytes, first.bytes);
    EXPECT_EQ(second.frames, first.frames);
    EXPECT_EQ(second.head, first.head);
}

TEST_F(Mp3SourceTest, DecodedToneHasItsLoudness) {
    ASSERT_TRUE(sound_test::WriteSineMp3("tone.mp3", 0.5, 44100, 1, 1000.0));
    std::unique_ptr<Mp3Source> source;
    ASSERT_EQ(Mp3Source::Open("tone.mp3", source), S_OK);
    const Decoded decoded = DecodeAll(*source);
    ASSERT_GE(decoded.head.size(), 4096u);
    // Past the encoder delay the tone of amplitude 12000 is back: RMS about 12000 / sqrt(2).
    double sum = 0.0;
    for (std::size_t i = 2048; i < 4096; ++i) sum += static_cast<double>(decoded.head[i]) * decoded.head[i];
    EXPECT_NEAR(std::sqrt(sum / 2048), 12000.0 / std::sqrt(2.0), 1000.0);
}

}  // namespace
