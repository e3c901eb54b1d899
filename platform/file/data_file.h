// Opening a data file by name: X files, image files, the texture files an X file names and the
// soundtrack.
//
// Only a regular file is opened. A directory, FIFO, socket or device is refused at once with
// kNotRegularFile as the cause: the open itself never waits (a FIFO without a writer would
// otherwise block it for good), and what is refused is never read.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

inline constexpr const char kNotRegularFile[] = "not a regular file";

class DataFile {
public:
    DataFile() = default;
    ~DataFile() { Close(); }
    DataFile(DataFile&& other) noexcept { *this = static_cast<DataFile&&>(other); }
    DataFile& operator=(DataFile&& other) noexcept;
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // Opens `path` for reading. False when it cannot be opened or is not a regular file;
    // Cause() then says why.
    bool Open(const char* path);
    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // The size the file had when it was opened.
    std::size_t Size() const { return size_; }
    // Why the last Open failed: the system's text for the error, or kNotRegularFile.
    const std::string& Cause() const { return cause_; }
    // After Open refused a file that is not a regular one, what it is ("a FIFO", "a folder",
    // "a device", "a socket"); "" otherwise.
    const char* RefusedKind() const;

    // Reads up to `count` bytes from `offset` (fewer only at the end of the file). -1 on a
    // read error, with Cause() set.
    long long ReadAt(void* to, std::size_t count, std::uint64_t offset);
    // Reads the file's Size() bytes into `bytes` (fewer if it has shrunk since). False on a
    // read error, with Cause() set.
    bool ReadAll(std::vector<std::uint8_t>& bytes);

private:
    void Close();

    int fd_ = -1;
    std::size_t size_ = 0;
    mode_t refusedMode_ = 0;
    std::string cause_;
};

// True when `path` names a regular file that can be opened for reading; else false with the
// cause in `cause` (when given).
bool CanOpenDataFile(const char* path, std::string* cause = nullptr);

}  // namespace platform
