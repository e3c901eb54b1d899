// Decodes the input as a TGA file; a decoded image must be whole.
#include <cstdint>
#include <cstdlib>

#include "platform/d3dx/image_decoders.h"

// Failure messages would flood the log: one per rejected input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    d3dx::SetImageMessageSink([](const char*) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    d3dx::DecodedImage image;
    if (FAILED(d3dx::DecodeTga(d3dx::ByteSpan(data, size), "fuzz.tga", image))) return 0;
    const d3dx::PixelLevel& level = image.levels.at(0);
    if (level.pixels.size() != std::size_t{level.width} * level.height) std::abort();
    return 0;
}
