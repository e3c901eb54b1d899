#include "tools/assets/core/image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <csetjmp>

#include <jpeglib.h>

namespace assets {
namespace {

std::uint32_t Channel(float v) {
    const float c = std::clamp(v, 0.0f, 1.0f);
    return static_cast<std::uint32_t>(c * 255.0f + 0.5f);
}

bool ValidImage(const Image& image, const char* what) {
    if (image.width <= 0 || image.height <= 0 || image.width > 65535 || image.height > 65535 ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height)) {
        std::fprintf(stderr, "%s: image of %dx%d with %zu pixels cannot be encoded\n", what, image.width,
                     image.height, image.pixels.size());
        return false;
    }
    return true;
}

// libjpeg reports fatal errors through error_exit; it must not return, so jump back out.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::fprintf(stderr, "EncodeJpeg: libjpeg: %s\n", message);
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// Everything libjpeg needs outside the setjmp frame, so no object with a destructor lives
// in the frame that may be jumped over.
struct JpegJob {
    jpeg_compress_struct info{};
    JpegError error{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<unsigned char> row;
};

bool RunJpeg(JpegJob& job, const Image& image, int quality) {
    job.info.err = jpeg_std_error(&job.error.manager);
    job.error.manager.error_exit = OnJpegError;
    if (setjmp(job.error.jump)) {
        jpeg_destroy_compress(&job.info);
        return false;
    }
    jpeg_create_compress(&job.info);
    jpeg_mem_dest(&job.info, &job.buffer, &job.size);
    job.info.image_width = static_cast<JDIMENSION>(image.width);
    job.info.image_height = static_cast<JDIMENSION>(image.height);
    job.info.input_components = 3;
    job.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job.info);
    jpeg_set_quality(&job.info, std::clamp(quality, 1, 100), TRUE);
    // 4:2:0 chroma; plain JFIF with no extra markers, so the bytes depend on the pixels only.
    job.info.comp_info[0].h_samp_factor = 2;
    job.info.comp_info[0].v_samp_factor = 2;
    job.info.comp_info[1].h_samp_factor = job.info.comp_info[1].v_samp_factor = 1;
    job.info.comp_info[2].h_samp_factor = job.info.comp_info[2].v_samp_factor = 1;
    job.info.dct_method = JDCT_ISLOW;
    job.info.optimize_coding = TRUE;
    jpeg_start_compress(&job.info, TRUE);
    while (job.info.next_scanline < job.info.image_height) {
        const std::uint32_t* src = &image.pixels[std::size_t(job.info.next_scanline) * image.width];
        for (int x = 0; x < image.width; ++x) {
            job.row[3 * x + 0] = static_cast<unsigned char>(src[x] >> 16);
            job.row[3 * x + 1] = static_cast<unsigned char>(src[x] >> 8);
            job.row[3 * x + 2] = static_cast<unsigned char>(src[x]);
        }
        JSAMPROW rows[1] = {job.row.data()};
        jpeg_write_scanlines(&job.info, rows, 1);
    }
    jpeg_finish_compress(&job.info);
    jpeg_destroy_compress(&job.info);
    return true;
}

void Put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

}  // namespace

std::uint32_t PackArgb(float r, float g, float b, float a) {
    return (Channel(a) << 24) | (Channel(r) << 16) | (Channel(g) << 8) | Channel(b);
}

Bytes EncodeJpeg(const Image& image, int quality) {
    if (!ValidImage(image, "EncodeJpeg")) return {};
    JpegJob job;
    job.row.resize(std::size_t(image.width) * 3);
    const bool ok = RunJpeg(job, image, quality);
    Bytes out;
    if (ok && job.buffer) out.assign(job.buffer, job.buffer + job.size);
    std::free(job.buffer);
    return out;
}

Bytes EncodeTga(const Image& image) {
    if (!ValidImage(image, "EncodeTga")) return {};
    Bytes out;
    out.reserve(18 + image.pixels.size() * 4);
    out.push_back(0);  // no image id
    out.push_back(0);  // no colour map
    out.push_back(2);  // uncompressed true colour
    for (int i = 0; i < 5; ++i) out.push_back(0);  // no colour map: first entry, length, entry size
    Put16(out, 0);     // x origin
    Put16(out, 0);     // y origin
    Put16(out, static_cast<unsigned>(image.width));
    Put16(out, static_cast<unsigned>(image.height));
    out.push_back(32);    // bits per pixel
    out.push_back(0x28);  // 8 alpha bits, top-left origin
    for (std::uint32_t p : image.pixels) {
        out.push_back(static_cast<std::uint8_t>(p));
        out.push_back(static_cast<std::uint8_t>(p >> 8));
        out.push_back(static_cast<std::uint8_t>(p >> 16));
        out.push_back(static_cast<std::uint8_t>(p >> 24));
    }
    return out;
}

}  // namespace assets
