// Texture formats: one table of what each supported format is, in Direct3D memory on the CPU side
// and on its way to OpenGL.
#pragma once

#include "platform/gpu/gl_api.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/com/enum_table.h"
#include "platform/gpu/d3d8types.h"

namespace gpu {

// The supported texture formats, densely numbered.
enum class TexelFormat : std::uint8_t {
    kA8R8G8B8,
    kX8R8G8B8,
    kR8G8B8,
    kR5G6B5,
    kX1R5G5B5,
    kA1R5G5B5,
    kA4R4G4B4,
    kX4R4G4B4,
    kA8,
    kL8,
    kA8L8,
    kDxt1,
    kDxt3,
    kDxt5,
    kCount
};
constexpr std::size_t kTexelFormats = com::kEnumCount<TexelFormat>;

// Bits of each channel in a texel read little-endian, stored from bit 0 up in the order blue,
// green, red, luminance, alpha; bits above them and within the texel are padding (the X of
// X8R8G8B8), read as ones.
struct ChannelBits {
    std::uint8_t b = 0, g = 0, r = 0, l = 0, a = 0;
};

// How texels go to OpenGL: internal format, format and type of the upload, and the swizzle
// that makes the texture sample as Direct3D's format does.
struct GlLayout {
    GLint internal = 0;
    GLenum format = 0;
    GLenum type = 0;
    std::array<GLint, 4> swizzle{};
};

// What an upload in the layout that stores every channel does to the texels first: nothing,
// set the padding bits (the alpha of X8R8G8B8), or widen one- and two-channel texels to A8R8G8B8.
enum class Widen : std::uint8_t { kNone, kOpaque, kToArgb };

// How texels are rearranged for OpenGL ES as WebGL 2 limits it (no BGRA orders, no reversed
// packings, no swizzles), into a layout that stores every channel the format samples as:
//   kSwapRedBlue   bytes B, G, R[, A or X] become R, G, B[, A], padding bits set (X reads as 1)
//   kAlphaLowest   16-bit A/X, R, G, B packings become R, G, B, A ones (ES's 5_5_5_1, 4_4_4_4),
//                  padding bits set
//   kRgbBytes      5_6_5 texels become R, G, B bytes, each channel widened as desktop GL stores it
//   kToRgba        one- and two-channel texels become R, G, B, A bytes as Widen::kToArgb makes
//                  them (luminance in all three colours, A8's colour black, a missing alpha 1)
enum class EsOrder : std::uint8_t { kSwapRedBlue, kAlphaLowest, kRgbBytes, kToRgba };

struct FormatInfo {
    TexelFormat texel = TexelFormat::kCount;  // kCount: a format the device does not take
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool supported = false;
    bool compressed = false;  // DXT: 4x4 blocks, uploaded as S3TC or decoded to A8R8G8B8
    UINT bytesPerPixel = 0;   // uncompressed formats
    UINT bytesPerBlock = 0;   // DXT formats
    bool hasAlpha = false;
    ChannelBits bits;         // uncompressed formats
    // The smaller layout, where the swizzle supplies the channels the format leaves out. For
    // DXT formats: the layout of their decoded texels.
    GlLayout gl;
    // The layout whose texels hold every channel the format samples as (no swizzle), and what
    // an upload in it does to the texels.
    GlLayout whole;
    Widen widen = Widen::kNone;
    GLenum s3tc = 0;  // DXT formats
    // The layout on OpenGL ES, and how texels get there (for DXT formats: their decoded texels).
    GlLayout es;
    EsOrder esOrder = EsOrder::kSwapRedBlue;
};

// Colour (red, green, blue or luminance) and alpha bits of a texel of `f`, 0 for a channel
// the format does not store.
constexpr std::uint32_t ColourMask(const FormatInfo& f) {
    const unsigned colour = f.bits.b + f.bits.g + f.bits.r + f.bits.l;
    return colour ? (1u << colour) - 1u : 0u;
}
constexpr std::uint32_t AlphaMask(const FormatInfo& f) {
    const unsigned below = f.bits.b + f.bits.g + f.bits.r + f.bits.l;
    return f.bits.a ? ((1u << f.bits.a) - 1u) << below : 0u;
}
// The bits of a texel that belong to no channel.
constexpr std::uint32_t PaddingMask(const FormatInfo& f) {
    const std::uint32_t texel = f.bytesPerPixel >= 4 ? ~0u : (1u << (8 * f.bytesPerPixel)) - 1u;
    return texel & ~(ColourMask(f) | AlphaMask(f));
}

namespace format_table {

constexpr std::array<GLint, 4> kRgba = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
constexpr std::array<GLint, 4> kRgb1 = {GL_RED, GL_GREEN, GL_BLUE, GL_ONE};

// The layout that stores every channel: `internal`, `format` and `type` (0: those of the
// smaller layout), no swizzle.
struct Whole {
    GLint internal = 0;
    GLenum format = 0, type = 0;
    Widen widen = Widen::kNone;
};

// The layout on ES and the rearrangement into it.
struct Es {
    GLint internal = 0;
    GLenum format = 0, type = 0;
    EsOrder order = EsOrder::kSwapRedBlue;
};

constexpr FormatInfo Plain(TexelFormat texel, D3DFORMAT format, UINT bytes, ChannelBits bits, GlLayout gl, Whole whole, Es es) {
    const GlLayout w{whole.internal ? whole.internal : gl.internal, whole.format ? whole.format : gl.format,
                     whole.type ? whole.type : gl.type, kRgba};
    return {texel, format, true, false, bytes, 0, bits.a > 0, bits, gl, w, whole.widen, 0,
            {es.internal, es.format, es.type, kRgba}, es.order};
}
constexpr FormatInfo Blocks(TexelFormat texel, D3DFORMAT format, UINT bytes, GLenum s3tc) {
    constexpr GlLayout decoded{GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, kRgba};
    constexpr GlLayout esDecoded{GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, kRgba};
    return {texel, format, true, true, 0, bytes, true, {}, decoded, decoded, Widen::kNone, s3tc, esDecoded,
            EsOrder::kSwapRedBlue};
}

}  // namespace format_table

// Indexed by TexelFormat.
inline constexpr com::EnumTable<TexelFormat, FormatInfo> kFormats = [] {
    using namespace format_table;
    constexpr GLenum kByte = GL_UNSIGNED_BYTE, k1555 = GL_UNSIGNED_SHORT_1_5_5_5_REV,
                     k4444 = GL_UNSIGNED_SHORT_4_4_4_4_REV;
    constexpr Whole kSame{}, kOpaque{0, 0, 0, Widen::kOpaque};
    constexpr Whole kArgb{GL_RGBA8, GL_BGRA, kByte, Widen::kToArgb};
    constexpr Es kEsRgba{GL_RGBA8, GL_RGBA, kByte, EsOrder::kSwapRedBlue};
    constexpr Es kEsRgb{GL_RGB8, GL_RGB, kByte, EsOrder::kSwapRedBlue};
    constexpr Es kEs5551{GL_RGB5_A1, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, EsOrder::kAlphaLowest};
    constexpr Es kEs4444{GL_RGBA4, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, EsOrder::kAlphaLowest};
    constexpr Es kEsWidened{GL_RGBA8, GL_RGBA, kByte, EsOrder::kToRgba};
    using enum TexelFormat;
    return com::EnumTable<TexelFormat, FormatInfo>{{
        Plain(kA8R8G8B8, D3DFMT_A8R8G8B8, 4, {8, 8, 8, 0, 8}, {GL_RGBA8, GL_BGRA, kByte, kRgba}, kSame, kEsRgba),
        Plain(kX8R8G8B8, D3DFMT_X8R8G8B8, 4, {8, 8, 8, 0, 0}, {GL_RGBA8, GL_BGRA, kByte, kRgb1}, kOpaque, kEsRgba),
        // Red, green and blue data load as alpha 1.
        Plain(kR8G8B8, D3DFMT_R8G8B8, 3, {8, 8, 8, 0, 0}, {GL_RGB8, GL_BGR, kByte, kRgb1}, {GL_RGBA8}, kEsRgb),
        Plain(kR5G6B5, D3DFMT_R5G6B5, 2, {5, 6, 5, 0, 0}, {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, kRgb1}, {GL_RGBA8},
              {GL_RGB8, GL_RGB, kByte, EsOrder::kRgbBytes}),
        Plain(kX1R5G5B5, D3DFMT_X1R5G5B5, 2, {5, 5, 5, 0, 0}, {GL_RGB5_A1, GL_BGRA, k1555, kRgb1}, kOpaque, kEs5551),
        Plain(kA1R5G5B5, D3DFMT_A1R5G5B5, 2, {5, 5, 5, 0, 1}, {GL_RGB5_A1, GL_BGRA, k1555, kRgba}, kSame, kEs5551),
        Plain(kA4R4G4B4, D3DFMT_A4R4G4B4, 2, {4, 4, 4, 0, 4}, {GL_RGBA4, GL_BGRA, k4444, kRgba}, kSame, kEs4444),
        Plain(kX4R4G4B4, D3DFMT_X4R4G4B4, 2, {4, 4, 4, 0, 0}, {GL_RGBA4, GL_BGRA, k4444, kRgb1}, kOpaque, kEs4444),
        Plain(kA8, D3DFMT_A8, 1, {0, 0, 0, 0, 8}, {GL_R8, GL_RED, kByte, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}}, kArgb,
              kEsWidened),
        Plain(kL8, D3DFMT_L8, 1, {0, 0, 0, 8, 0}, {GL_R8, GL_RED, kByte, {GL_RED, GL_RED, GL_RED, GL_ONE}}, kArgb,
              kEsWidened),
        Plain(kA8L8, D3DFMT_A8L8, 2, {0, 0, 0, 8, 8}, {GL_RG8, GL_RG, kByte, {GL_RED, GL_RED, GL_RED, GL_GREEN}}, kArgb,
              kEsWidened),
        Blocks(kDxt1, D3DFMT_DXT1, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT),
        Blocks(kDxt3, D3DFMT_DXT3, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT),
        Blocks(kDxt5, D3DFMT_DXT5, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT),
    }};
}();
static_assert(com::RowsInEnumOrder(kFormats, &FormatInfo::texel), "one row per supported format, in TexelFormat order");

constexpr bool FormatRowsAreConsistent() {
    for (std::size_t i = 0; i < kFormats.size(); ++i) {
        const FormatInfo& f = kFormats[i];
        for (std::size_t j = 0; j < i; ++j)
            if (kFormats[j].format == f.format) return false;
        if (f.compressed) continue;
        const unsigned bits = f.bits.b + f.bits.g + f.bits.r + f.bits.l + f.bits.a;
        const bool rgb = f.bits.b || f.bits.g || f.bits.r;
        if (bits > 8 * f.bytesPerPixel || (rgb && f.bits.l)) return false;
        // Padding is set on upload only where the smaller layout's swizzle supplies alpha 1.
        if ((PaddingMask(f) != 0) != (f.widen == Widen::kOpaque)) return false;
        // The ES rearrangements take the texels they are made for.
        if (f.esOrder == EsOrder::kToRgba && f.widen != Widen::kToArgb) return false;
        if (f.esOrder == EsOrder::kAlphaLowest && f.bytesPerPixel != 2) return false;
        if (f.esOrder == EsOrder::kSwapRedBlue && (f.bits.b != 8 || f.bits.g != 8 || f.bits.r != 8)) return false;
        if (f.esOrder == EsOrder::kRgbBytes && (f.bits.b != 5 || f.bits.g != 6 || f.bits.r != 5)) return false;
    }
    return true;
}
static_assert(FormatRowsAreConsistent(),
              "formats appear once, channels fit their texels, and padding is filled where it stands for alpha");

constexpr const FormatInfo& Describe(TexelFormat f) { return kFormats[static_cast<std::size_t>(f)]; }

// The row of `format`; a row with `supported` false for formats the device does not take.
const FormatInfo& DescribeFormat(D3DFORMAT format);

// Row pitch in bytes (for DXT formats: per row of blocks) and rows of that pitch in a level.
UINT FormatPitch(D3DFORMAT format, UINT width);
UINT FormatRows(D3DFORMAT format, UINT height);

// Texels of `f` (`count` of them, Direct3D layout; for DXT formats their decoded A8R8G8B8 texels)
// rearranged for the format's ES layout (f.es, f.esOrder), into `out`.
void ConvertForEs(const FormatInfo& f, const BYTE* texels, std::size_t count, std::vector<BYTE>& out);

// Decodes a DXT1/3/5 image to 0xAARRGGBB texels (little-endian bytes B, G, R, A), width*height.
void DecodeDxt(D3DFORMAT format, const BYTE* blocks, UINT width, UINT height, std::vector<std::uint32_t>& out);

}  // namespace gpu
