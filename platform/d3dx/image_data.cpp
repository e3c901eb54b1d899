#include "platform/d3dx/image_data.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <new>

namespace d3dx {

namespace {

std::atomic<ImageMessageSink> sink{nullptr};

}  // namespace

ImageMessageSink SetImageMessageSink(ImageMessageSink next) { return sink.exchange(next); }

HRESULT ImageErrorV(const char* name, HRESULT code, const char* format, va_list args) {
    char cause[256];
    std::vsnprintf(cause, sizeof cause, format, args);
    char line[600];
    std::snprintf(line, sizeof line, "%s: %s", name && *name ? name : "<memory>", cause);
    if (ImageMessageSink to = sink.load()) to(line);
    else std::fprintf(stderr, "%s\n", line);
    return code;
}

HRESULT InvalidData(const char* name, const char* format, ...) {
    va_list args;
    va_start(args, format);
    ImageErrorV(name, D3DXERR_INVALIDDATA, format, args);
    va_end(args);
    return D3DXERR_INVALIDDATA;
}

void ImageWarning(const char* name, const char* format, ...) {
    va_list args;
    va_start(args, format);
    ImageErrorV(name, S_OK, format, args);
    va_end(args);
}

HRESULT ImageError(const char* name, HRESULT code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    ImageErrorV(name, code, format, args);
    va_end(args);
    return code;
}

HRESULT CheckImageSize(const char* name, std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0)
        return ImageError(name, D3DXERR_INVALIDDATA, "empty image (%llux%llu)", static_cast<unsigned long long>(width),
                          static_cast<unsigned long long>(height));
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
        return ImageError(name, D3DXERR_INVALIDDATA, "image of %llux%llu pixels is too large",
                          static_cast<unsigned long long>(width), static_cast<unsigned long long>(height));
    return S_OK;
}

HRESULT AllocateLevel(const char* name, std::uint32_t width, std::uint32_t height, PixelLevel& level) {
    try {
        level.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    } catch (const std::bad_alloc&) {
        return ImageError(name, E_OUTOFMEMORY, "no memory for %ux%u pixels", width, height);
    }
    level.width = width;
    level.height = height;
    return S_OK;
}

}  // namespace d3dx
