#include "platform/gpu/gl_state_shadow.h"

#include "platform/gpu/gl_convert.h"

namespace gpu {

bool SamplesBorder(const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& t) {
    return t[D3DTSS_ADDRESSU] == D3DTADDRESS_BORDER || t[D3DTSS_ADDRESSV] == D3DTADDRESS_BORDER;
}

GlStateShadow::~GlStateShadow() {
    if (!gl_.CanCallGl()) return;  // the process is ending on another thread: leave the GL objects
    for (auto& [key, s] : samplers_) glDeleteSamplers(1, &s);
}

void GlStateShadow::ForgetTexture(GLuint name) {
    for (GLuint& bound : boundTexture_)
        if (bound == name) bound = 0;
}

void GlStateShadow::ApplyViewport(const D3DVIEWPORT8& vp) {
    const auto x = static_cast<GLint>(vp.X), y = static_cast<GLint>(vp.Y);
    const auto w = static_cast<GLsizei>(vp.Width), h = static_cast<GLsizei>(vp.Height);
    glViewport(x, y, w, h);
    glScissor(x, y, w, h);
    GlDepthRange(gl_.es, vp.MinZ, vp.MaxZ);
}

void GlStateShadow::ApplyRaster(const DeviceState& s) {
    const auto& rs = s.renderStates;
    auto change = [](int& cached, int value) {
        if (cached == value) return false;
        cached = value;
        return true;
    };
    if (change(raster_.depthTest, rs[D3DRS_ZENABLE] != D3DZB_FALSE)) {
        if (raster_.depthTest) glEnable(GL_DEPTH_TEST);
        else glDisable(GL_DEPTH_TEST);
    }
    if (change(raster_.depthMask, rs[D3DRS_ZWRITEENABLE] != 0)) glDepthMask(raster_.depthMask ? GL_TRUE : GL_FALSE);
    if (change(raster_.depthFunc, static_cast<int>(CompareFunc(rs[D3DRS_ZFUNC])))) glDepthFunc(static_cast<GLenum>(raster_.depthFunc));
    if (change(raster_.blend, rs[D3DRS_ALPHABLENDENABLE] != 0)) {
        if (raster_.blend) glEnable(GL_BLEND);
        else glDisable(GL_BLEND);
    }
    int src = static_cast<int>(BlendFactor(rs[D3DRS_SRCBLEND])), dst = static_cast<int>(BlendFactor(rs[D3DRS_DESTBLEND]));
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
        src = GL_SRC_ALPHA;
        dst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
        src = GL_ONE_MINUS_SRC_ALPHA;
        dst = GL_SRC_ALPHA;
    }
    bool srcChanged = change(raster_.srcBlend, src);
    if (change(raster_.dstBlend, dst) || srcChanged) glBlendFunc(static_cast<GLenum>(src), static_cast<GLenum>(dst));
    if (change(raster_.blendOp, static_cast<int>(BlendEquation(rs[D3DRS_BLENDOP])))) glBlendEquation(static_cast<GLenum>(raster_.blendOp));
    // Back buffer rows run top-down like Direct3D's screen, so its clockwise triangles are
    // OpenGL's counter-clockwise (front) ones.
    DWORD cull = rs[D3DRS_CULLMODE];
    if (change(raster_.cull, cull == D3DCULL_CW || cull == D3DCULL_CCW)) {
        if (raster_.cull) glEnable(GL_CULL_FACE);
        else glDisable(GL_CULL_FACE);
    }
    if (raster_.cull && change(raster_.cullFace, cull == D3DCULL_CW ? GL_FRONT : GL_BACK))
        glCullFace(static_cast<GLenum>(raster_.cullFace));
    int mode = rs[D3DRS_FILLMODE] == D3DFILL_POINT ? GL_POINT : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL;
    // ES has no fill modes: wireframe and point fills draw solid there.
    if (!gl_.es && change(raster_.polygonMode, mode)) desktop_gl::PolygonMode(static_cast<GLenum>(mode));
    int mask = static_cast<int>(rs[D3DRS_COLORWRITEENABLE] & (targetHasAlpha_ ? 0xF : 0x7));
    if (change(raster_.colorMask, mask))
        glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
}

GLuint GlStateShadow::Sampler(const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& t) {
    auto filter = [](DWORD f) { return f >= D3DTEXF_LINEAR ? 2u : 1u; };
    const DWORD mip = t[D3DTSS_MIPFILTER] > D3DTEXF_LINEAR ? D3DTEXF_LINEAR : t[D3DTSS_MIPFILTER];
    // The border colour tells samplers apart only where it can show.
    const bool border = SamplesBorder(t);
    const std::uint64_t key = filter(t[D3DTSS_MINFILTER]) | (filter(t[D3DTSS_MAGFILTER]) << 2) | (mip << 4) |
                              ((t[D3DTSS_ADDRESSU] & 7) << 6) | ((t[D3DTSS_ADDRESSV] & 7) << 9) |
                              (border ? std::uint64_t{t[D3DTSS_BORDERCOLOR]} << 32 : 0);
    auto it = samplers_.find(key);
    if (it != samplers_.end()) return it->second;
    GLuint s = 0;
    glGenSamplers(1, &s);
    const bool minLinear = filter(t[D3DTSS_MINFILTER]) == 2;
    GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT) minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (mip == D3DTEXF_LINEAR) minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, filter(t[D3DTSS_MAGFILTER]) == 2 ? GL_LINEAR : GL_NEAREST);
    // ES has no border clamp: the program blends the border colour in over clamped texels
    // (shader_source.cpp).
    auto wrap = [this](DWORD a) { return gl_.es && a == D3DTADDRESS_BORDER ? GL_CLAMP_TO_EDGE : Wrap(a); };
    glSamplerParameteri(s, GL_TEXTURE_WRAP_S, wrap(t[D3DTSS_ADDRESSU]));
    glSamplerParameteri(s, GL_TEXTURE_WRAP_T, wrap(t[D3DTSS_ADDRESSV]));
    if (border && !gl_.es) {
        // Red, green, blue, alpha: GL's order whatever the texture's upload order.
        float colour[4];
        SetColour(colour, t[D3DTSS_BORDERCOLOR]);
        glSamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, colour);
    }
    samplers_.emplace(key, s);
    return s;
}

void GlStateShadow::BindTextures(const DeviceState& s, Texture* const textures[kMaxStages]) {
    for (int i = 0; i < kMaxStages; ++i) {
        // Only a texture that stores every channel it samples as shows the border colour as given.
        if (textures[i] && SamplesBorder(s.stageStates[i])) textures[i]->StoreEveryChannel();
        GLuint name = textures[i] ? textures[i]->Name() : 0;
        if (boundTexture_[i] != name) {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
            glBindTexture(GL_TEXTURE_2D, name);
            boundTexture_[i] = name;
        }
        GLuint sampler = Sampler(s.stageStates[i]);
        if (boundSampler_[i] != sampler) {
            glBindSampler(static_cast<GLuint>(i), sampler);
            boundSampler_[i] = sampler;
        }
    }
}

}  // namespace gpu
