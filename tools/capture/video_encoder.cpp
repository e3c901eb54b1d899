#include "tools/capture/video_encoder.h"

#include "tools/capture/encoder_spawn.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

namespace capture {

namespace {

// 0xAARRGGBB words as they lie in memory.
constexpr const char* kPixelFormat = std::endian::native == std::endian::little ? "bgra" : "argb";

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

VideoEncoder::~VideoEncoder() {
    std::string ignored;
    if (child_ > 0) Finish(ignored);
}

std::vector<std::string> VideoEncoder::Arguments(const std::string& outPath, int width, int height, int fps,
                                                 const std::string& audioPath) {
    std::vector<std::string> args = {"-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo",
                                     "-pixel_format", kPixelFormat, "-video_size",
                                     std::to_string(width) + "x" + std::to_string(height), "-framerate",
                                     std::to_string(fps), "-i", "pipe:0"};
    if (!audioPath.empty()) {
        // The soundtrack is padded with silence and cut where the pictures end.
        for (const char* a : {"-i", audioPath.c_str(), "-map", "0:v", "-map", "1:a", "-af", "apad", "-c:a", "aac",
                              "-b:a", "192k", "-shortest"})
            args.emplace_back(a);
    }
    // yuv420p needs even sides: odd sizes get one black column or row.
    for (const char* a : {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-preset", "veryfast",
                          "-pix_fmt", "yuv420p", "-movflags", "+faststart"})
        args.emplace_back(a);
    args.push_back(outPath);
    return args;
}

bool VideoEncoder::Start(const std::string& program, const std::vector<std::string>& arguments, int width,
                         int height, std::string& error) {
    if (child_ > 0) {
        error = "video: the encoder is already running";
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("video: pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int rc = SpawnWithStdin(program, argv.data(), fds[0], &pid);
    ::close(fds[0]);
    if (rc != 0) {
        ::close(fds[1]);
        error = "video: cannot start " + program + ": " + std::strerror(rc);
        return false;
    }
    child_ = pid;
    pipe_ = fds[1];
    width_ = width;
    height_ = height;
    return true;
}

bool VideoEncoder::Write(const std::uint32_t* pixels, int width, int height, std::string& error) {
    if (pipe_ < 0) {
        error = "video: the encoder is not running";
        return false;
    }
    if (width != width_ || height != height_) {
        error = "video: a " + std::to_string(width) + "x" + std::to_string(height) + " frame in a " +
                std::to_string(width_) + "x" + std::to_string(height_) + " video";
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (!WriteAll(pipe_, pixels, bytes)) {
        error = std::string("video: the encoder stopped taking frames: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool VideoEncoder::Finish(std::string& error) {
    if (pipe_ >= 0) ::close(pipe_);
    pipe_ = -1;
    if (child_ <= 0) {
        error = "video: the encoder was not started";
        return false;
    }
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(child_, &status, 0);
    } while (waited < 0 && errno == EINTR);
    child_ = -1;
    if (waited < 0) {
        error = std::string("video: waiting for the encoder: ") + std::strerror(errno);
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = WIFEXITED(status) ? "video: the encoder failed with exit code " + std::to_string(WEXITSTATUS(status))
                                  : "video: the encoder was killed by signal " + std::to_string(WTERMSIG(status));
        return false;
    }
    return true;
}

}  // namespace capture
