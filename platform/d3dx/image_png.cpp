// PNG through libpng: grey, palette, 16-bit and alpha images all become 8-bit BGRA.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <png.h>

#include "platform/d3dx/image_decoders.h"

namespace d3dx {

namespace {

// Everything libpng touches after setjmp lives here, outside the jumping function's locals.
struct PngJob {
    ByteSpan data;
    std::size_t offset = 0;
    const char* name = nullptr;
    char message[256] = {0};
    std::vector<png_bytep> rows;
    HRESULT result = S_OK;
    bool hasAlpha = false;
};

void OnError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, png_size_t count) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (count > job->data.size() - job->offset) png_error(png, "truncated PNG data");
    std::memcpy(out, job->data.data() + job->offset, count);
    job->offset += count;
}

void Decode(PngJob& job, png_structp png, png_infop info, PixelLevel& level) {
    if (setjmp(png_jmpbuf(png))) {
        job.result = ImageError(job.name, D3DXERR_INVALIDDATA, "%s", job.message);
        return;
    }
    png_set_read_fn(png, &job, OnRead);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    job.result = CheckImageSize(job.name, width, height);
    if (SUCCEEDED(job.result)) job.result = AllocateLevel(job.name, width, height, level);
    if (FAILED(job.result)) return;
    job.hasAlpha = (colour & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // no effect where alpha exists
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * 4) png_error(png, "unexpected PNG row layout");
    job.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        job.rows[y] = reinterpret_cast<png_bytep>(&level.pixels[std::size_t{y} * width]);
    png_read_image(png, job.rows.data());
    png_read_end(png, nullptr);
}

}  // namespace

HRESULT DecodePng(ByteSpan data, const char* name, DecodedImage& image) {
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8))
        return ImageError(name, D3DXERR_INVALIDDATA, "not a PNG file (no PNG signature)");
    auto job = std::make_unique<PngJob>();
    job->data = data;
    job->name = name;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job.get(), OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ImageError(name, E_OUTOFMEMORY, "no memory for the PNG reader");
    }
    std::vector<PixelLevel> levels(1);
    Decode(*job, png, info, levels[0]);
    png_destroy_read_struct(&png, &info, nullptr);
    if (FAILED(job->result)) return job->result;
    // Bytes B, G, R, A in memory are D3DCOLOR values on this little-endian machine.
    image.fileFormat = D3DXIFF_PNG;
    image.hasAlpha = job->hasAlpha;
    image.sourceFormat = job->hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    image.levels = std::move(levels);
    return S_OK;
}

}  // namespace d3dx
