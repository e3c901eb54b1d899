// JPEG through libjpeg-turbo. Library errors jump back here instead of ending the process; a
// file that ends before its last scan counts as truncated. Corrupt data that libjpeg decodes
// around (its warnings) still gives the picture, with one warning line for the file.
#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/d3dx/image_decoders.h"

namespace d3dx {

namespace {

struct JpegError {
    jpeg_error_mgr manager;  // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    unsigned warnings = 0;
    char firstWarning[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    std::longjmp(error->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace messages
    auto* error = reinterpret_cast<JpegError*>(cinfo->err);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) {  // libjpeg would pad the picture with grey
        std::snprintf(error->message, sizeof error->message, "truncated JPEG data");
        std::longjmp(error->jump, 1);
    }
    // Other warnings (extraneous bytes, corrupt entropy data) leave a usable picture; they are
    // counted and told once, when the picture is done.
    if (error->warnings++ == 0) (*cinfo->err->format_message)(cinfo, error->firstWarning);
}

// Everything libjpeg touches after setjmp lives here, outside the jumping function's locals.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegError error;
    std::vector<std::uint8_t> row;
    HRESULT result = S_OK;
};

void Decode(JpegJob& job, ByteSpan data, const char* name, PixelLevel& level) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    cinfo.err = jpeg_std_error(&job.error.manager);
    job.error.manager.error_exit = OnError;
    job.error.manager.emit_message = OnMessage;
    job.error.message[0] = 0;
    job.error.warnings = 0;
    job.error.firstWarning[0] = 0;
    if (setjmp(job.error.jump)) {
        job.result = ImageError(name, D3DXERR_INVALIDDATA, "%s", job.error.message);
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    job.result = CheckImageSize(name, cinfo.image_width, cinfo.image_height);
    if (SUCCEEDED(job.result)) job.result = AllocateLevel(name, cinfo.image_width, cinfo.image_height, level);
    if (FAILED(job.result)) {
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    jpeg_start_decompress(&cinfo);
    job.row.resize(std::size_t{cinfo.output_width} * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {job.row.data()};
        const JDIMENSION y = cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, rows, 1);
        std::uint32_t* out = &level.pixels[std::size_t{y} * level.width];
        const std::uint8_t* p = job.row.data();
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x, p += 4) {
            if (cmyk) {  // Adobe files store the inks inverted: each value is 255 - ink
                const std::uint32_t k = p[3];
                const std::uint32_t r = p[0] * k / 255, g = p[1] * k / 255, b = p[2] * k / 255;
                out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            } else {
                out[x] = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

}  // namespace

HRESULT DecodeJpeg(ByteSpan data, const char* name, DecodedImage& image) {
    auto job = std::make_unique<JpegJob>();
    std::vector<PixelLevel> levels(1);
    Decode(*job, data, name, levels[0]);
    if (FAILED(job->result)) return job->result;
    if (job->error.warnings > 0)
        ImageWarning(name, "corrupt JPEG data, drawn as decoded (%u warning%s; first: %s)", job->error.warnings,
                     job->error.warnings == 1 ? "" : "s", job->error.firstWarning);
    image.fileFormat = D3DXIFF_JPG;
    image.sourceFormat = D3DFMT_X8R8G8B8;
    image.hasAlpha = false;
    image.levels = std::move(levels);
    return S_OK;
}

}  // namespace d3dx
