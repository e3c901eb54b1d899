#include "platform/gpu/texture.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/gpu/texture_format.h"

namespace gpu {

namespace {

// What an upload does to the texels first: nothing, set the alpha bits of formats that have
// none, or widen one- and two-channel texels to A8R8G8B8.
enum class Widen { kNone, kOpaque, kToArgb };

struct GlFormat {
    GLint internal;
    GLenum format;
    GLenum type;
    GLint swizzle[4];
    Widen widen = Widen::kNone;
};

constexpr GLint kRgba[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};

GlFormat GlFormatOf(D3DFORMAT f) {
    auto make = [](GLint internal, GLenum format, GLenum type, GLint r, GLint g, GLint b, GLint a) {
        return GlFormat{internal, format, type, {r, g, b, a}};
    };
    switch (f) {
        case D3DFMT_A8R8G8B8: return make(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, kRgba[0], kRgba[1], kRgba[2], kRgba[3]);
        case D3DFMT_X8R8G8B8: return make(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        case D3DFMT_R8G8B8: return make(GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        case D3DFMT_R5G6B5: return make(GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        case D3DFMT_A1R5G5B5:
            return make(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA);
        case D3DFMT_X1R5G5B5:
            return make(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        case D3DFMT_A4R4G4B4:
            return make(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA);
        case D3DFMT_X4R4G4B4:
            return make(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        case D3DFMT_A8: return make(GL_R8, GL_RED, GL_UNSIGNED_BYTE, GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
        case D3DFMT_L8: return make(GL_R8, GL_RED, GL_UNSIGNED_BYTE, GL_RED, GL_RED, GL_RED, GL_ONE);
        case D3DFMT_A8L8: return make(GL_RG8, GL_RG, GL_UNSIGNED_BYTE, GL_RED, GL_RED, GL_RED, GL_GREEN);
        default:  // DXT decoded on the CPU
            return make(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, kRgba[0], kRgba[1], kRgba[2], kRgba[3]);
    }
}

// Formats whose GL texture holds every channel they sample as, in either layout.
bool StoresEveryChannel(D3DFORMAT f) {
    return f == D3DFMT_A8R8G8B8 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4 || DescribeFormat(f).compressed;
}

// The layout that stores every channel: no swizzle, alpha and colour held in the texels.
GlFormat EveryChannelFormatOf(D3DFORMAT f) {
    GlFormat g = GlFormatOf(f);
    std::copy(std::begin(kRgba), std::end(kRgba), g.swizzle);
    switch (f) {
        case D3DFMT_X8R8G8B8:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_X4R4G4B4: g.widen = Widen::kOpaque; break;
        case D3DFMT_R8G8B8:
        case D3DFMT_R5G6B5: g.internal = GL_RGBA8; break;  // red, green and blue data load as alpha 1
        case D3DFMT_A8:
        case D3DFMT_L8:
        case D3DFMT_A8L8:
            g.internal = GL_RGBA8;
            g.format = GL_BGRA;
            g.type = GL_UNSIGNED_BYTE;
            g.widen = Widen::kToArgb;
            break;
        default: break;
    }
    return g;
}

// The texels of `bits` as `widen` asks, in `out`.
const BYTE* WidenTexels(D3DFORMAT f, Widen widen, const std::vector<BYTE>& bits, std::vector<BYTE>& out) {
    const UINT bytes = DescribeFormat(f).bytesPerPixel;
    if (widen == Widen::kOpaque) {
        // The alpha bits sit at the top of the texel's last byte.
        const BYTE alpha = f == D3DFMT_X8R8G8B8 ? 0xFF : f == D3DFMT_X1R5G5B5 ? 0x80 : 0xF0;
        out = bits;
        for (std::size_t i = bytes - 1; i < out.size(); i += bytes) out[i] |= alpha;
        return out.data();
    }
    const std::size_t texels = bits.size() / bytes;
    out.resize(texels * 4);
    for (std::size_t i = 0; i < texels; ++i) {
        const BYTE first = bits[i * bytes];
        BYTE luminance = first, alpha = 0xFF;
        if (f == D3DFMT_A8) {
            luminance = 0;
            alpha = first;
        } else if (f == D3DFMT_A8L8) {
            alpha = bits[i * bytes + 1];
        }
        BYTE* texel = &out[i * 4];  // B, G, R, A
        texel[0] = texel[1] = texel[2] = luminance;
        texel[3] = alpha;
    }
    return out.data();
}

GLenum S3tcFormat(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_DXT1: return 0x83F1;  // COMPRESSED_RGBA_S3TC_DXT1_EXT
        case D3DFMT_DXT3: return 0x83F2;
        case D3DFMT_DXT5: return 0x83F3;
        default: return 0;
    }
}

}  // namespace

Texture::Texture(std::shared_ptr<GlShared> gl, D3DFORMAT format, DWORD usage, D3DPOOL pool)
    : gl_(std::move(gl)), format_(format), usage_(usage), pool_(pool), serial_(gl_->NextSerial()) {}

Texture::~Texture() {
    if (gl_->onTextureGone) gl_->onTextureGone(name_);
    if (name_ && gl_->CanCallGl()) glDeleteTextures(1, &name_);
}

Texture* Texture::Create(std::shared_ptr<GlShared> gl, UINT width, UINT height, UINT levels, DWORD usage,
                         D3DFORMAT format, D3DPOOL pool, HRESULT& result) {
    FormatInfo info = DescribeFormat(format);
    if (!info.supported || format == D3DFMT_DXT2 || format == D3DFMT_DXT4) {
        std::fprintf(stderr, "gpu/texture: format 0x%x is not supported\n", static_cast<unsigned>(format));
        result = D3DERR_INVALIDCALL;
        return nullptr;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width == 0 || height == 0 || width > static_cast<UINT>(maxSize) || height > static_cast<UINT>(maxSize)) {
        std::fprintf(stderr, "gpu/texture: size %ux%u is outside 1..%d\n", width, height, maxSize);
        result = D3DERR_INVALIDCALL;
        return nullptr;
    }
    UINT full = 1;
    while ((width >> full) || (height >> full)) ++full;
    if (levels == 0 || levels > full) levels = full;

    std::vector<Level> chain;  // allocated first: a failure here leaves nothing behind
    for (UINT i = 0; i < levels; ++i) {
        Level l;
        l.width = std::max(1u, width >> i);
        l.height = std::max(1u, height >> i);
        l.pitch = FormatPitch(format, l.width);
        l.rows = FormatRows(format, l.height);
        l.bits.assign(static_cast<std::size_t>(l.pitch) * l.rows, 0);
        chain.push_back(std::move(l));
    }
    Texture* t = new Texture(std::move(gl), format, usage, pool);
    t->levels_ = std::move(chain);
    glGenTextures(1, &t->name_);
    t->gl_->BindForUpload(GL_TEXTURE_2D, t->name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    GlFormat gf = GlFormatOf(format);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, gf.swizzle);
    for (UINT i = 0; i < levels; ++i) t->Upload(i);
    result = S_OK;
    return t;
}

HRESULT Texture::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = gl_->device;
    if (!*device) return D3DERR_INVALIDCALL;
    (*device)->AddRef();
    return S_OK;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= levels_.size() || !desc) return D3DERR_INVALIDCALL;
    const Level& l = levels_[level];
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = static_cast<UINT>(l.bits.size());
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->Width = l.width;
    desc->Height = l.height;
    return S_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (level >= levels_.size() || !locked) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    if (l.locked) return D3DERR_INVALIDCALL;
    std::size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(l.width) ||
            rect->bottom > static_cast<LONG>(l.height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        FormatInfo info = DescribeFormat(format_);
        if (info.compressed)
            offset = static_cast<std::size_t>(rect->top / 4) * l.pitch + static_cast<std::size_t>(rect->left / 4) * info.bytesPerBlock;
        else
            offset = static_cast<std::size_t>(rect->top) * l.pitch + static_cast<std::size_t>(rect->left) * info.bytesPerPixel;
    }
    l.locked = true;
    l.readOnly = (flags & D3DLOCK_READONLY) != 0;
    locked->Pitch = static_cast<INT>(l.pitch);
    locked->pBits = l.bits.data() + offset;
    return S_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    l.locked = false;
    if (!l.readOnly) ++version_;
    if (!l.readOnly && gl_->CanCallGl()) {
        if (gl_->beforeUpload) gl_->beforeUpload();
        gl_->BindForUpload(GL_TEXTURE_2D, name_);
        Upload(level);
    }
    return S_OK;
}

void Texture::StoreEveryChannel() {
    if (everyChannel_) return;
    everyChannel_ = true;
    if (StoresEveryChannel(format_) || !gl_->CanCallGl()) return;
    if (gl_->beforeUpload) gl_->beforeUpload();
    gl_->BindForUpload(GL_TEXTURE_2D, name_);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, EveryChannelFormatOf(format_).swizzle);
    for (UINT i = 0; i < levels_.size(); ++i) Upload(i);
}

const std::vector<LevelBoxes>& Texture::Boxes() {
    if (boxesVersion_ == version_) return boxes_;
    boxes_.clear();
    for (const Level& l : levels_) boxes_.push_back(FindLevelBoxes(format_, l.bits.data(), l.width, l.height, l.pitch));
    boxesVersion_ = version_;
    return boxes_;
}

// Expects the texture bound on the upload unit.
void Texture::Upload(UINT level) {
    const Level& l = levels_[level];
    const GLint lv = static_cast<GLint>(level);
    const auto w = static_cast<GLsizei>(l.width), h = static_cast<GLsizei>(l.height);
    if (DescribeFormat(format_).compressed) {
        if (gl_->hasS3tc) {
            glCompressedTexImage2D(GL_TEXTURE_2D, lv, S3tcFormat(format_), w, h, 0, static_cast<GLsizei>(l.bits.size()),
                                   l.bits.data());
        } else {
            DecodeDxt(format_, l.bits.data(), l.width, l.height, scratch_);
            glTexImage2D(GL_TEXTURE_2D, lv, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, scratch_.data());
        }
        return;
    }
    const GlFormat gf = everyChannel_ ? EveryChannelFormatOf(format_) : GlFormatOf(format_);
    std::vector<BYTE> widened;
    const BYTE* texels = gf.widen == Widen::kNone ? l.bits.data() : WidenTexels(format_, gf.widen, l.bits, widened);
    glTexImage2D(GL_TEXTURE_2D, lv, gf.internal, w, h, 0, gf.format, gf.type, texels);
}

}  // namespace gpu
