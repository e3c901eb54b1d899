#include "tests/platform/sound/mp3_fixture.h"

#include <chrono>
#include <future>
#include <thread>

#include <fcntl.h>
#include <lame/lame.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

namespace sound_test {

bool WriteSineMp3(const std::filesystem::path& file, double seconds, int rate, int channels, double frequency) {
    lame_global_flags* lame = lame_init();
    if (!lame) return false;
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 7);
    lame_set_bWriteVbrTag(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return false;
    }
    const int samples = static_cast<int>(seconds * rate);
    std::vector<short> pcm(static_cast<std::size_t>(samples) * channels);
    for (int i = 0; i < samples; ++i) {
        const short value = static_cast<short>(12000.0 * std::sin(2.0 * M_PI * frequency * i / rate));
        for (int c = 0; c < channels; ++c) pcm[static_cast<std::size_t>(i) * channels + c] = value;
    }
    std::vector<unsigned char> mp3(static_cast<std::size_t>(1.25 * samples + 7200) + 8192);
    int written = channels == 1
                      ? lame_encode_buffer(lame, pcm.data(), pcm.data(), samples, mp3.data(), static_cast<int>(mp3.size()))
                      : lame_encode_buffer_interleaved(lame, pcm.data(), samples, mp3.data(), static_cast<int>(mp3.size()));
    if (written < 0) {
        lame_close(lame);
        return false;
    }
    const int flushed = lame_encode_flush(lame, mp3.data() + written, static_cast<int>(mp3.size()) - written);
    lame_close(lame);
    if (flushed < 0) return false;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(mp3.data()), written + flushed);
    return static_cast<bool>(out);
}

bool WriteJunk(const std::filesystem::path& file, std::size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<char> data(bytes);
    for (char& c : data) c = static_cast<char>(random() & 0xFF);
    std::ofstream out(file, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

TempDirectory::TempDirectory() {
    previous = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "orrery-sound-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        path = pattern;
        std::filesystem::current_path(path);
    }
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

std::string CaptureStderr(const std::function<void()>& what) {
    std::fflush(stderr);
    std::FILE* file = std::tmpfile();
    if (!file) return "(stderr could not be captured)";
    const int saved = dup(2);
    dup2(fileno(file), 2);
    what();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

bool FinishesWithoutAWriter(const std::filesystem::path& fifo, const std::function<void()>& work) {
    std::future<void> done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(30)) == std::future_status::ready) return true;
    // A reader blocked in open() counts as a reader, so this open does not wait.
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) close(writer);
    done.wait();
    return false;
}

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

std::size_t ThreadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

}  // namespace sound_test
