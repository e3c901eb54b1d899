#include "platform/file/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

DataFile& DataFile::operator=(DataFile&& other) noexcept {
    if (this == &other) return *this;
    Close();
    fd_ = other.fd_;
    size_ = other.size_;
    refusedMode_ = other.refusedMode_;
    cause_ = std::move(other.cause_);
    other.fd_ = -1;
    other.size_ = 0;
    return *this;
}

void DataFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

bool DataFile::Open(const char* path) {
    Close();
    cause_.clear();
    refusedMode_ = 0;
    if (path == nullptr) {
        cause_ = "no file name given";
        return false;
    }
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer;
    // the descriptor's type is then checked before anything is read.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        cause_ = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        cause_ = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        cause_ = kNotRegularFile;
        refusedMode_ = info.st_mode;
        ::close(fd);
        return false;
    }
    // Regular files read the same either way; reads should block like any other.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    size_ = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    return true;
}

const char* DataFile::RefusedKind() const {
    if (refusedMode_ == 0) return "";
    if (S_ISFIFO(refusedMode_)) return "a FIFO";
    if (S_ISDIR(refusedMode_)) return "a folder";
    if (S_ISCHR(refusedMode_) || S_ISBLK(refusedMode_)) return "a device";
    if (S_ISSOCK(refusedMode_)) return "a socket";
    return "of an unknown kind";
}

long long DataFile::ReadAt(void* to, std::size_t count, std::uint64_t offset) {
    auto* bytes = static_cast<unsigned char*>(to);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, bytes + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            cause_ = std::strerror(errno);
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

bool DataFile::ReadAll(std::vector<std::uint8_t>& bytes) {
    bytes.resize(size_);
    const long long got = size_ > 0 ? ReadAt(bytes.data(), size_, 0) : 0;
    if (got < 0) return false;
    bytes.resize(static_cast<std::size_t>(got));
    return true;
}

bool CanOpenDataFile(const char* path, std::string* cause) {
    DataFile file;
    if (file.Open(path)) return true;
    if (cause) *cause = file.Cause();
    return false;
}

}  // namespace platform
