// "demo.mp3" as the show plays it: decoded with the platform's MP3 source.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/sound/mp3_source.h"
#include "tools/assets/music/mp3_encoder.h"
#include "tools/assets/music/music_files.h"

namespace assets::music {
namespace {

// A file in a fresh temporary folder, removed again at the end.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::vector<std::uint8_t>& bytes) {
        folder_ = std::filesystem::temp_directory_path() / ("music_mp3_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        path_ = folder_ / "demo.mp3";
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~TemporaryFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path folder_, path_;
};

// Walks the MPEG-1 Layer III frames from the start; every frame's bit rate (kbps) in order, or
// an empty list at the first byte that is not a frame header.
std::vector<int> FrameBitrates(const std::vector<std::uint8_t>& mp3) {
    static constexpr int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    std::vector<int> rates;
    std::size_t at = 0;
    while (at + 4 <= mp3.size()) {
        const std::uint8_t* h = mp3.data() + at;
        if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA) return {};   // sync, MPEG-1, Layer III
        const int kbps = kKbps[h[2] >> 4];
        if (kbps == 0 || (h[2] & 0x0C) != 0) return {};          // a real rate at 44.1 kHz
        rates.push_back(kbps);
        at += static_cast<std::size_t>(144 * kbps * 1000 / 44100 + ((h[2] >> 1) & 1));
    }
    return rates;
}

TEST(MusicMp3Test, SoundtrackDecodesToTheShowsLengthAtTheRightRate) {
    const AssetList files = MusicFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "demo.mp3");
    const std::vector<std::uint8_t> mp3 = files[0].make();
    ASSERT_GT(mp3.size(), 1000u);

    // No ID3 tag at either end; constant 192 kbps all through.
    EXPECT_FALSE(mp3[0] == 'I' && mp3[1] == 'D' && mp3[2] == '3');
    const std::vector<int> rates = FrameBitrates(mp3);
    ASSERT_FALSE(rates.empty()) << "a byte outside a frame";
    for (int kbps : rates) ASSERT_EQ(kbps, 192);

    TemporaryFile file(mp3);
    std::unique_ptr<platform::Mp3Source> source;
    ASSERT_GE(platform::Mp3Source::Open(file.Path().c_str(), source), 0);
    EXPECT_EQ(source->Format().rate, 44100);
    EXPECT_EQ(source->Format().channels, 2);
    std::size_t bytes = 0;
    for (;;) {
        const unsigned char* data = nullptr;
        std::size_t count = 0;
        const HRESULT r = source->DecodeFrame(&data, &count);
        ASSERT_GE(r, 0);
        if (r == S_FALSE) break;
        bytes += count;
    }
    const double seconds = static_cast<double>(bytes) / static_cast<double>(source->Format().BytesPerSecond());
    EXPECT_NEAR(seconds, 258.0, 0.5);
}

TEST(MusicMp3Test, EncodingIsRepeatableAndClampsOverRange) {
    std::vector<float> pcm(2 * 44100);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = 1.5f * std::sin(0.05f * static_cast<float>(i / 2));   // beyond full scale on purpose
    const std::vector<std::uint8_t> first = EncodeMp3(pcm, 192);
    const std::vector<std::uint8_t> second = EncodeMp3(pcm, 192);
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(first == second);
    EXPECT_FALSE(FrameBitrates(first).empty());
    // A rate the encoder cannot make is reported as a failure (no bytes), not a broken file.
    EXPECT_TRUE(EncodeMp3(pcm, 7).empty());
}

}  // namespace
}  // namespace assets::music
