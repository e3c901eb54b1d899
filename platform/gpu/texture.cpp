#include "platform/gpu/texture.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/gpu/refusal.h"
#include "platform/gpu/texture_format.h"

namespace gpu {

namespace {

// Formats whose GL texture holds every channel they sample as, in either layout: the smaller
// layout needs no swizzle.
bool StoresEveryChannel(const FormatInfo& f) { return f.gl.swizzle == format_table::kRgba; }

// The texels of `bits` as `widen` asks, in `out`.
const BYTE* WidenTexels(const FormatInfo& f, Widen widen, const std::vector<BYTE>& bits, std::vector<BYTE>& out) {
    const UINT bytes = f.bytesPerPixel;
    if (widen == Widen::kOpaque) {
        // The padding bits sit at the top of the texel's last byte.
        const BYTE padding = static_cast<BYTE>(PaddingMask(f) >> (8 * (bytes - 1)));
        out = bits;
        for (std::size_t i = bytes - 1; i < out.size(); i += bytes) out[i] |= padding;
        return out.data();
    }
    // One byte of luminance and one of alpha at most, luminance first.
    const std::uint32_t lumaMask = ColourMask(f), alphaMask = AlphaMask(f);
    const unsigned alphaShift = f.bits.l;
    const std::size_t texels = bits.size() / bytes;
    out.resize(texels * 4);
    for (std::size_t i = 0; i < texels; ++i) {
        std::uint32_t texel = 0;
        for (UINT k = 0; k < bytes; ++k) texel |= static_cast<std::uint32_t>(bits[i * bytes + k]) << (8 * k);
        const BYTE luminance = static_cast<BYTE>(texel & lumaMask);
        const BYTE alpha = alphaMask ? static_cast<BYTE>((texel & alphaMask) >> alphaShift) : BYTE{0xFF};
        BYTE* out4 = &out[i * 4];  // B, G, R, A
        out4[0] = out4[1] = out4[2] = luminance;
        out4[3] = alpha;
    }
    return out.data();
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
    const FormatInfo& info = DescribeFormat(format);
    const auto size = [&] { return std::to_string(width) + "x" + std::to_string(height); };
    if (!info.supported) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(format));
        result = Refuse(Refusal::kCreateTextureFormat, code);
        return nullptr;
    }
    if (width == 0 || height == 0) {
        result = Refuse(Refusal::kCreateTextureEmpty, size());
        return nullptr;
    }
    if (!TextureFits(width, height, gl->limits)) {
        result = Refuse(Refusal::kCreateTextureTooLarge,
                        size() + ", GL_MAX_TEXTURE_SIZE " + std::to_string(gl->limits.textureSize));
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
    if (!t->gl_->es) glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, info.gl.swizzle.data());
    for (UINT i = 0; i < levels; ++i) t->Upload(i);
    result = S_OK;
    return t;
}

HRESULT Texture::GetDevice(IDirect3DDevice8** device) {
    if (!device) return Refuse(Refusal::kTextureGetDeviceNull);
    *device = gl_->device;
    if (!*device) return Refuse(Refusal::kTextureGetDeviceGone);
    (*device)->AddRef();
    return S_OK;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= levels_.size()) return Refuse(Refusal::kGetLevelDescLevel);
    if (!desc) return Refuse(Refusal::kGetLevelDescNull);
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
    if (level >= levels_.size()) return Refuse(Refusal::kLockRectLevel);
    if (!locked) return Refuse(Refusal::kLockRectNull);
    Level& l = levels_[level];
    if (l.locked) return Refuse(Refusal::kLockRectTwice);
    std::size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(l.width) ||
            rect->bottom > static_cast<LONG>(l.height) || rect->left >= rect->right || rect->top >= rect->bottom)
            return Refuse(Refusal::kLockRectRect);
        const FormatInfo& info = DescribeFormat(format_);
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
    if (level >= levels_.size()) return Refuse(Refusal::kUnlockRectLevel);
    if (!levels_[level].locked) return Refuse(Refusal::kUnlockRectNotLocked);
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
    const FormatInfo& info = DescribeFormat(format_);
    // ES layouts hold every channel already (there are no swizzles there).
    if (gl_->es || StoresEveryChannel(info) || !gl_->CanCallGl()) return;
    if (gl_->beforeUpload) gl_->beforeUpload();
    gl_->BindForUpload(GL_TEXTURE_2D, name_);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, info.whole.swizzle.data());
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
    const FormatInfo& info = DescribeFormat(format_);
    const GLint lv = static_cast<GLint>(level);
    const auto w = static_cast<GLsizei>(l.width), h = static_cast<GLsizei>(l.height);
    if (info.compressed) {
        if (gl_->hasS3tc) {
            glCompressedTexImage2D(GL_TEXTURE_2D, lv, info.s3tc, w, h, 0, static_cast<GLsizei>(l.bits.size()),
                                   l.bits.data());
        } else {
            DecodeDxt(format_, l.bits.data(), l.width, l.height, scratch_);
            if (gl_->es) {
                ConvertForEs(info, reinterpret_cast<const BYTE*>(scratch_.data()), scratch_.size(), esTexels_);
                glTexImage2D(GL_TEXTURE_2D, lv, info.es.internal, w, h, 0, info.es.format, info.es.type, esTexels_.data());
            } else {
                glTexImage2D(GL_TEXTURE_2D, lv, info.gl.internal, w, h, 0, info.gl.format, info.gl.type, scratch_.data());
            }
        }
        return;
    }
    if (gl_->es) {
        ConvertForEs(info, l.bits.data(), static_cast<std::size_t>(l.width) * l.height, esTexels_);
        glTexImage2D(GL_TEXTURE_2D, lv, info.es.internal, w, h, 0, info.es.format, info.es.type, esTexels_.data());
        return;
    }
    const GlLayout& gf = everyChannel_ ? info.whole : info.gl;
    const Widen widen = everyChannel_ ? info.widen : Widen::kNone;
    std::vector<BYTE> widened;
    const BYTE* texels = widen == Widen::kNone ? l.bits.data() : WidenTexels(info, widen, l.bits, widened);
    glTexImage2D(GL_TEXTURE_2D, lv, gf.internal, w, h, 0, gf.format, gf.type, texels);
}

}  // namespace gpu
