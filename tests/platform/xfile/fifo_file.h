// A FIFO standing where a data file is expected, for checking that readers refuse it at once.
// A reader that opens a FIFO without a writer waits for one; FinishesWithin then plays the
// writer after its deadline, so that a reader that would hang fails its test instead of hanging
// the suite. The reader runs on the calling thread, where the test's device is current.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>

namespace fifotest {

class FifoFile {
public:
    // Makes a FIFO called `leaf` in a fresh folder under the test's temporary directory.
    explicit FifoFile(const std::string& leaf) {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::path(testing::TempDir()) /
                  ("fifo_" + std::to_string(::getpid()) + "_" + (test ? test->name() : "none"));
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / leaf).string();
        made_ = ::mkfifo(path_.c_str(), 0600) == 0;
    }
    ~FifoFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    FifoFile(const FifoFile&) = delete;
    FifoFile& operator=(const FifoFile&) = delete;

    bool Made() const { return made_; }
    const std::string& Path() const { return path_; }
    const std::filesystem::path& Folder() const { return folder_; }

    // Runs `read` and watches it from a thread of its own. True when it ended within
    // `deadline`. When it did not, the watcher plays a writer of the FIFO, again and again
    // until `read` ends: opening the write end lets a waiting open through to an empty
    // stream, so a reader that would hang fails the test instead of stopping it.
    bool FinishesWithin(const std::function<void()>& read,
                        std::chrono::seconds deadline = std::chrono::seconds(30)) const {
        std::promise<void> finished;
        std::future<void> done = finished.get_future();
        bool late = false;
        std::thread watcher([&] {
            if (done.wait_for(deadline) == std::future_status::ready) return;
            late = true;
            do {
                const int writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (writer >= 0) ::close(writer);
            } while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready);
        });
        read();
        finished.set_value();
        watcher.join();
        return !late;
    }

private:
    std::filesystem::path folder_;
    std::string path_;
    bool made_ = false;
};

}  // namespace fifotest
