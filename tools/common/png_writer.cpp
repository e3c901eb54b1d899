#include "tools/common/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tools {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct PngWrite {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWrite() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Converts one row of 0xAARRGGBB values into RGB or RGBA bytes.
void PackRow(const std::uint32_t* in, int width, bool alpha, std::vector<png_byte>& out) {
    std::size_t o = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t p = in[x];
        out[o++] = static_cast<png_byte>(p >> 16);
        out[o++] = static_cast<png_byte>(p >> 8);
        out[o++] = static_cast<png_byte>(p);
        if (alpha) out[o++] = static_cast<png_byte>(p >> 24);
    }
}

}  // namespace

bool WritePng(const std::string& path, const PngImage& image, std::string& error) {
    if (image.width <= 0 || image.height <= 0 || !image.pixels) {
        error = "png_writer: " + path + ": empty image";
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "png_writer: " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string pngError;
    PngWrite write;
    write.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngError, OnPngError, OnPngWarning);
    if (!write.png || !(write.info = png_create_info_struct(write.png))) {
        error = "png_writer: " + path + ": out of memory";
        return false;
    }
    const int channels = image.keepAlpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * channels);
    // libpng reports failures by jumping back here; only trivially destructible locals are live
    // between this point and the jumps.
    if (setjmp(png_jmpbuf(write.png))) {
        error = "png_writer: " + path + ": " + pngError;
        return false;
    }
    png_init_io(write.png, file.get());
    png_set_IHDR(write.png, write.info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8,
                 image.keepAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(write.png, write.info);
    for (int y = 0; y < image.height; ++y) {
        PackRow(image.pixels + static_cast<std::size_t>(y) * image.width, image.width, image.keepAlpha, row);
        png_write_row(write.png, row.data());
    }
    png_write_end(write.png, nullptr);
    if (std::fflush(file.get()) != 0) {
        error = "png_writer: " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace tools
