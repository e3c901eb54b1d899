// Decodes the input as a DDS file; every level must be whole, and kept DXT blocks must decode.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/d3dx/image_decoders.h"
#include "platform/gpu/texture_format.h"

// Failure messages would flood the log: one per rejected input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    d3dx::SetImageMessageSink([](const char*) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    d3dx::DecodedImage image;
    if (FAILED(d3dx::DecodeDds(d3dx::ByteSpan(data, size), "fuzz.dds", image))) return 0;
    for (const d3dx::PixelLevel& level : image.levels)
        if (level.pixels.size() != std::size_t{level.width} * level.height) std::abort();
    std::vector<std::uint32_t> texels;
    for (const d3dx::BlockLevel& level : image.blockLevels) {
        const std::size_t blocks = std::size_t{(level.width + 3) / 4} * ((level.height + 3) / 4);
        if (level.blocks.size() != blocks * (image.blockFormat == D3DFMT_DXT1 ? 8 : 16)) std::abort();
        gpu::DecodeDxt(image.blockFormat, level.blocks.data(), level.width, level.height, texels);
    }
    return 0;
}
