#include "tools/common/png_reader.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tools {

namespace {

// libpng's simplified reader, freed whatever happens.
struct PngRead {
    png_image image{};
    PngRead() { image.version = PNG_IMAGE_VERSION; }
    ~PngRead() { png_image_free(&image); }
};

}  // namespace

bool ReadPng(const std::string& path, PngPixels& out, std::string& error) {
    out = {};
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        error = "png_reader: " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(probe);
    PngRead read;
    if (!png_image_begin_read_from_file(&read.image, path.c_str())) {
        error = "png_reader: " + path + ": " + read.image.message;
        return false;
    }
    // Bytes B, G, R, A: little-endian 0xAARRGGBB values.
    read.image.format = PNG_FORMAT_BGRA;
    const std::size_t pixels = static_cast<std::size_t>(read.image.width) * read.image.height;
    constexpr std::size_t kMaxPixels = std::size_t{1} << 28;  // 1 GiB of pixels: refused as hostile
    if (read.image.width == 0 || read.image.height == 0 || pixels > kMaxPixels ||
        read.image.width > static_cast<png_uint_32>(std::numeric_limits<int>::max() / 4)) {
        error = "png_reader: " + path + ": image size " + std::to_string(read.image.width) + "x" +
                std::to_string(read.image.height) + " is not accepted";
        return false;
    }
    out.pixels.resize(pixels);
    if (!png_image_finish_read(&read.image, nullptr, out.pixels.data(), 0, nullptr)) {
        error = "png_reader: " + path + ": " + read.image.message;
        out = {};
        return false;
    }
    out.width = static_cast<int>(read.image.width);
    out.height = static_cast<int>(read.image.height);
    return true;
}

}  // namespace tools
