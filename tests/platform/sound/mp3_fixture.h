// Test fixtures for the sound tests: MP3 files encoded at test time, inside a temporary folder
// that becomes the working directory for the test case.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace sound_test {

// Writes a sine tone as an MP3 file (signed 16-bit input, constant bit rate). False on failure.
bool WriteSineMp3(const std::filesystem::path& file, double seconds, int rate = 44100, int channels = 2,
                  double frequency = 440.0);
// Writes pseudo-random bytes (fixed seed); a decoder may or may not find frames in them.
bool WriteJunk(const std::filesystem::path& file, std::size_t bytes, unsigned seed);

// Runs what with this process's stderr going to a file; returns what was written meanwhile.
std::string CaptureStderr(const std::function<void()>& what);
// Runs work on a thread of its own and waits up to 30 seconds for it. If it has not finished by
// then (it waits for a writer on the FIFO at fifo), a writer comes and goes so that it can end,
// and the answer is false.
bool FinishesWithoutAWriter(const std::filesystem::path& fifo, const std::function<void()>& work);

// Polls until done() holds, for at most a few seconds of wall time.
bool WaitFor(const std::function<bool()>& done);
// The number of threads of this process.
std::size_t ThreadCount();

// A fresh temporary folder made the working directory; removed again at the end.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    const std::filesystem::path& Path() const { return path; }

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};

}  // namespace sound_test
