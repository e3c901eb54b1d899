#include "platform/gpu/renderer.h"

#include "platform/gpu/texture_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace gpu {

namespace {

void SetColour(float out[4], D3DCOLOR c) {
    out[0] = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(c & 0xFF) / 255.0f;
    out[3] = static_cast<float>(c >> 24) / 255.0f;
}
void SetValue(float out[4], const D3DCOLORVALUE& c) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}
void Set4(float out[4], float a, float b, float c, float d) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
}

GLenum CompareFunc(DWORD f) {
    switch (f) {
        case D3DCMP_NEVER: return GL_NEVER;
        case D3DCMP_LESS: return GL_LESS;
        case D3DCMP_EQUAL: return GL_EQUAL;
        case D3DCMP_LESSEQUAL: return GL_LEQUAL;
        case D3DCMP_GREATER: return GL_GREATER;
        case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
        default: return GL_ALWAYS;
    }
}

GLenum BlendFactor(DWORD b) {
    switch (b) {
        case D3DBLEND_ZERO: return GL_ZERO;
        case D3DBLEND_ONE: return GL_ONE;
        case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
        default: return GL_ONE;
    }
}

GLenum BlendEquation(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN: return GL_MIN;
        case D3DBLENDOP_MAX: return GL_MAX;
        default: return GL_FUNC_ADD;
    }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST: return GL_POINTS;
        case D3DPT_LINELIST: return GL_LINES;
        case D3DPT_LINESTRIP: return GL_LINE_STRIP;
        case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
        case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
        case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
        default: return GL_NONE;
    }
}

GLint Wrap(DWORD a) {
    switch (a) {
        case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        default: return GL_REPEAT;
    }
}

bool FormatHasAlpha(D3DFORMAT f) { return f == D3DFMT_A8R8G8B8; }

bool SamplesBorder(const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& t) {
    return t[D3DTSS_ADDRESSU] == D3DTADDRESS_BORDER || t[D3DTSS_ADDRESSV] == D3DTADDRESS_BORDER;
}

// A texture without alpha samples as alpha 1, except where a border colour with less shows.
bool SamplesOpaque(const Texture* texture, const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& t) {
    if (!texture || DescribeFormat(texture->Format()).hasAlpha) return false;
    return !SamplesBorder(t) || (t[D3DTSS_BORDERCOLOR] >> 24) == 0xFF;
}

GLuint Compile(GLenum type, const std::string& source) {
    GLuint s = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(s, sizeof(log), nullptr, log);
        std::fprintf(stderr, "gpu/renderer: %s shader does not compile: %s\n%s\n",
                     type == GL_VERTEX_SHADER ? "vertex" : "fragment", log, text);
        glDeleteShader(s);
        return 0;
    }
    return s;
}

}  // namespace

UINT VertexCount(D3DPRIMITIVETYPE type, UINT n) {
    switch (type) {
        case D3DPT_POINTLIST: return n;
        case D3DPT_LINELIST: return 2 * n;
        case D3DPT_LINESTRIP: return n + 1;
        case D3DPT_TRIANGLELIST: return 3 * n;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return n + 2;
        default: return 0;
    }
}

std::unique_ptr<Renderer> Renderer::Create(std::shared_ptr<GlShared> gl, const BackBufferDesc& desc) {
    std::unique_ptr<Renderer> r(new Renderer(std::move(gl)));
    r->desc_ = desc;
    r->clipControl_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    if (r->clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &r->maxTextureSize_);
    glGetIntegerv(GL_MAX_SAMPLES, &r->maxSamples_);
    r->gl_->hasS3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    glEnable(GL_SCISSOR_TEST);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (!r->CreateTargets()) return nullptr;
    glGenBuffers(1, &r->userVertices_);
    glGenBuffers(1, &r->userIndices_);
    r->userSerial_ = r->gl_->NextSerial();
    r->userIndexSerial_ = r->gl_->NextSerial();
    Renderer* self = r.get();
    r->gl_->onBufferGone = [self](std::uint64_t serial) { self->ForgetBuffer(serial); };
    r->gl_->beforeUpload = [self] { self->Flush(); };
    GLint vertexComponents = 0;
    glGetIntegerv(GL_MAX_VERTEX_UNIFORM_COMPONENTS, &vertexComponents);
    r->merging_ = vertexComponents >= 4 * (vu::kCount + vu::kInstanceRows * vu::kBatch + 16);
    r->gl_->onTextureGone = [self](GLuint name) {
        for (GLuint& bound : self->boundTexture_)
            if (bound == name) bound = 0;  // deleting unbinds it; its name may be reused
    };
    return r;
}

Renderer::~Renderer() {
    gl_->onBufferGone = nullptr;
    gl_->onTextureGone = nullptr;
    gl_->beforeUpload = nullptr;
    if (!gl_->CanCallGl()) return;  // the process is ending on another thread: leave the GL objects
    glUseProgram(0);
    glBindVertexArray(0);
    for (auto& [key, p] : programs_) glDeleteProgram(p.name);
    for (auto& [key, v] : vaos_) glDeleteVertexArrays(1, &v.name);
    for (auto& [key, s] : samplers_) glDeleteSamplers(1, &s);
    glDeleteBuffers(1, &userVertices_);
    glDeleteBuffers(1, &userIndices_);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &depth_);
    if (resolveFbo_) {
        glDeleteFramebuffers(1, &resolveFbo_);
        glDeleteRenderbuffers(1, &resolveColour_);
    }
}

bool Renderer::CreateTargets() {
    const GLenum colourFormat = desc_.format == D3DFMT_R5G6B5 ? GL_RGB565 : GL_RGBA8;
    GLsizei samples = desc_.samples > 1 ? std::min<GLsizei>(static_cast<GLsizei>(desc_.samples), maxSamples_) : 0;
    if (samples < 2) samples = 0;
    desc_.samples = static_cast<UINT>(samples);
    const auto w = static_cast<GLsizei>(desc_.width), h = static_cast<GLsizei>(desc_.height);
    auto makeTarget = [&](GLuint& fbo, GLuint& colour, GLuint* depth, GLsizei s) {
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, s, colourFormat, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        if (depth) {
            glGenRenderbuffers(1, depth);
            glBindRenderbuffer(GL_RENDERBUFFER, *depth);
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, s, GL_DEPTH_COMPONENT16, w, h);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, *depth);
        }
        GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            std::fprintf(stderr, "gpu/renderer: back buffer %dx%d (%d samples) is incomplete (0x%x)\n", w, h, s, status);
            return false;
        }
        return true;
    };
    if (samples && !makeTarget(resolveFbo_, resolveColour_, nullptr, 0)) return false;
    if (!makeTarget(fbo_, colour_, &depth_, samples)) return false;
    glViewport(0, 0, w, h);
    glScissor(0, 0, w, h);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (resolveFbo_) {
        glBindFramebuffer(GL_FRAMEBUFFER, resolveFbo_);
        glClear(GL_COLOR_BUFFER_BIT);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    }
    return true;
}

Renderer::Program* Renderer::BuildProgram(const PipelineKey& key) {
    GLuint vs = Compile(GL_VERTEX_SHADER, VertexShaderSource(key, clipControl_));
    GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, FragmentShaderSource(key)) : 0;
    if (!fs) {
        if (vs) glDeleteShader(vs);
        return nullptr;
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(p, sizeof(log), nullptr, log);
        std::fprintf(stderr, "gpu/renderer: program does not link: %s\n", log);
        glDeleteProgram(p);
        return nullptr;
    }
    Program prog;
    prog.name = p;
    prog.vBase[gMaterial] = glGetUniformLocation(p, ("V[" + std::to_string(vu::kMaterial) + "]").c_str());
    prog.vBase[gWorld] = glGetUniformLocation(p, ("V[" + std::to_string(vu::kWorld) + "]").c_str());
    prog.vBase[gProjection] = glGetUniformLocation(p, ("V[" + std::to_string(vu::kProjection) + "]").c_str());
    prog.vBase[gLights] = glGetUniformLocation(p, ("V[" + std::to_string(vu::kAmbient) + "]").c_str());
    prog.vBase[gFog] = glGetUniformLocation(p, ("F[" + std::to_string(fu::kFogColor) + "]").c_str());
    prog.vBase[gMisc] = glGetUniformLocation(p, ("F[" + std::to_string(fu::kAlphaRef) + "]").c_str());
    prog.instances = key.instanced ? glGetUniformLocation(p, "I[0]") : -1;
    glUseProgram(p);
    GLint t0 = glGetUniformLocation(p, "uTexture0"), t1 = glGetUniformLocation(p, "uTexture1");
    if (t0 >= 0) glUniform1i(t0, 0);
    if (t1 >= 0) glUniform1i(t1, 1);
    program_ = nullptr;  // the caller switches to it
    ++stats_.programsBuilt;
    auto [it, inserted] = programs_.emplace(key, prog);
    (void)inserted;
    return &it->second;
}

void Renderer::DeriveUniforms(const DeviceState& s) {
    if (dirty_ & kView) {
        worldDirty_ = 0xF;
        dirty_ |= kWorld | kLights;
    }
    if (dirty_ & kWorld) {
        const D3DMATRIX& view = s.transforms[D3DTS_VIEW];
        for (DWORD i = 0; i < kWorldMatrices; ++i) {
            if (!(worldDirty_ & (1u << i))) continue;
            D3DMATRIX wv = MultiplyMatrix(s.transforms[D3DTS_WORLD + i], view);
            std::memcpy(v_[vu::kWorld + vu::kWorldStride * i], wv.m, sizeof(wv.m));
        }
        worldDirty_ = 0;
        normalsValid_ = 0;
        ++version_[gWorld];
    }
    const int normalsNeeded = key_.lighting ? key_.blendWeights + 1 : 0;
    if (normalsValid_ < normalsNeeded) {
        for (int i = normalsValid_; i < normalsNeeded; ++i) {
            float (*m)[4] = &v_[vu::kWorld + vu::kWorldStride * i];
            float (*n)[4] = &v_[vu::kWorld + vu::kWorldStride * i + 4];
            // Inverse transpose of the upper 3x3: the cofactor matrix over the determinant.
            float c[3][3];
            for (int r = 0; r < 3; ++r)
                for (int k = 0; k < 3; ++k) {
                    int r1 = (r + 1) % 3, r2 = (r + 2) % 3, k1 = (k + 1) % 3, k2 = (k + 2) % 3;
                    c[r][k] = m[r1][k1] * m[r2][k2] - m[r1][k2] * m[r2][k1];
                }
            float det = m[0][0] * c[0][0] + m[0][1] * c[0][1] + m[0][2] * c[0][2];
            for (int r = 0; r < 3; ++r)
                for (int k = 0; k < 3; ++k) n[r][k] = std::fabs(det) > 1e-20f ? c[r][k] / det : m[r][k];
        }
        normalsValid_ = normalsNeeded;
    }
    if (dirty_ & (kProjection | kViewport)) {
        std::memcpy(v_[vu::kProjection], s.transforms[D3DTS_PROJECTION].m, sizeof(D3DMATRIX));
        const D3DVIEWPORT8& vp = s.viewport;
        const float w = static_cast<float>(std::max<DWORD>(vp.Width, 1)), h = static_cast<float>(std::max<DWORD>(vp.Height, 1));
        Set4(v_[vu::kPixel], 1.0f / w, 1.0f / h, 0, 0);
        Set4(v_[vu::kViewport], static_cast<float>(vp.X), static_cast<float>(vp.Y), w, h);
        Set4(v_[vu::kDepthRange], vp.MinZ, vp.MaxZ, 0, 0);
        ++version_[gProjection];
    }
    if (dirty_ & kMaterial) {
        SetValue(v_[vu::kMaterial], s.material.Diffuse);
        SetValue(v_[vu::kMaterial + 1], s.material.Ambient);
        SetValue(v_[vu::kMaterial + 2], s.material.Specular);
        SetValue(v_[vu::kMaterial + 3], s.material.Emissive);
        Set4(v_[vu::kMaterial + 4], s.material.Power, 0, 0, 0);
        ++version_[gMaterial];
    }
    if (dirty_ & kLights) {
        SetColour(v_[vu::kAmbient], s.renderStates[D3DRS_AMBIENT]);
        v_[vu::kAmbient][3] = 0;
        const D3DMATRIX& view = s.transforms[D3DTS_VIEW];
        for (int i = 0; i < lights_.count; ++i) {
            const D3DLIGHT8& l = s.lights[lights_.index[i]].light;
            float (*o)[4] = &v_[vu::kLights + vu::kLightStride * i];
            SetValue(o[0], l.Diffuse);
            SetValue(o[1], l.Specular);
            SetValue(o[2], l.Ambient);
            const D3DVECTOR& p = l.Position;
            const D3DVECTOR& d = l.Direction;
            for (int k = 0; k < 3; ++k) {
                o[3][k] = p.x * view.m[0][k] + p.y * view.m[1][k] + p.z * view.m[2][k] + view.m[3][k];
                o[4][k] = d.x * view.m[0][k] + d.y * view.m[1][k] + d.z * view.m[2][k];
            }
            o[3][3] = 1;
            o[4][3] = 0;
            Set4(o[5], l.Range, l.Attenuation0, l.Attenuation1, l.Attenuation2);
            Set4(o[6], l.Falloff, std::cos(l.Theta * 0.5f), std::cos(l.Phi * 0.5f), 0);
        }
        ++version_[gLights];
    }
    if (dirty_ & kFog) {
        SetColour(f_[fu::kFogColor], s.renderStates[D3DRS_FOGCOLOR]);
        Set4(f_[fu::kFog], BitsFloat(s.renderStates[D3DRS_FOGDENSITY]), BitsFloat(s.renderStates[D3DRS_FOGSTART]),
             BitsFloat(s.renderStates[D3DRS_FOGEND]), 0);
        ++version_[gFog];
    }
    if (dirty_ & kMisc) {
        Set4(f_[fu::kAlphaRef], static_cast<float>(s.renderStates[D3DRS_ALPHAREF] & 0xFF) / 255.0f, 0, 0, 0);
        SetColour(f_[fu::kTFactor], s.renderStates[D3DRS_TEXTUREFACTOR]);
        ++version_[gMisc];
    }
    dirty_ &= ~(kView | kWorld | kProjection | kViewport | kMaterial | kLights | kFog | kMisc);
}

void Renderer::UploadUniforms(const DeviceState& s, bool instanced) {
    DeriveUniforms(s);
    Program& p = *program_;
    auto upload = [&](Group g, const float* data, int count) {
        if (p.uploaded[g] == version_[g]) return;
        p.uploaded[g] = version_[g];
        if (p.vBase[g] >= 0) glUniform4fv(p.vBase[g], count, data);
    };
    if (instanced) {
        // World matrix and material travel with each instance.
        upload(gProjection, v_[vu::kProjection], vu::kAmbient - vu::kProjection);
        if (key_.lighting) upload(gLights, v_[vu::kAmbient], 1 + vu::kLightStride * key_.lightCount);
        if (key_.fogMode) upload(gFog, f_[fu::kFogColor], 2);
        upload(gMisc, f_[fu::kAlphaRef], 2);
        return;
    }
    const int worldRows = vu::kWorldStride * (key_.blendWeights + 1);
    if (key_.lighting && p.uploaded[gMaterial] != version_[gMaterial] && p.uploaded[gWorld] != version_[gWorld]) {
        // Both changed (the particle pattern): one call for the adjacent ranges.
        upload(gMaterial, v_[vu::kMaterial], vu::kWorld - vu::kMaterial + worldRows);
        p.uploaded[gWorld] = version_[gWorld];
    }
    upload(gWorld, v_[vu::kWorld], worldRows);
    upload(gProjection, v_[vu::kProjection], vu::kAmbient - vu::kProjection);
    if (key_.lighting) {
        upload(gMaterial, v_[vu::kMaterial], vu::kWorld - vu::kMaterial);
        upload(gLights, v_[vu::kAmbient], 1 + vu::kLightStride * key_.lightCount);
    }
    if (key_.fogMode) upload(gFog, f_[fu::kFogColor], 2);
    upload(gMisc, f_[fu::kAlphaRef], 2);
}

void Renderer::ApplyViewport(const DeviceState& s) {
    const D3DVIEWPORT8& vp = s.viewport;
    glViewport(static_cast<GLint>(vp.X), static_cast<GLint>(vp.Y), static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
    glScissor(static_cast<GLint>(vp.X), static_cast<GLint>(vp.Y), static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
    glDepthRange(vp.MinZ, vp.MaxZ);
}

void Renderer::ApplyRaster(const DeviceState& s) {
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
    if (change(raster_.polygonMode, mode)) glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(mode));
    int mask = static_cast<int>(rs[D3DRS_COLORWRITEENABLE] & (FormatHasAlpha(desc_.format) ? 0xF : 0x7));
    if (change(raster_.colorMask, mask))
        glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
}

GLuint Renderer::Sampler(const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& t) {
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
    glSamplerParameteri(s, GL_TEXTURE_WRAP_S, Wrap(t[D3DTSS_ADDRESSU]));
    glSamplerParameteri(s, GL_TEXTURE_WRAP_T, Wrap(t[D3DTSS_ADDRESSV]));
    if (border) {
        // Red, green, blue, alpha: GL's order whatever the texture's upload order.
        float colour[4];
        SetColour(colour, t[D3DTSS_BORDERCOLOR]);
        glSamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, colour);
    }
    samplers_.emplace(key, s);
    return s;
}

void Renderer::BindTextures(const DeviceState& s, Texture* const textures[kMaxStages]) {
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

void Renderer::ForgetBuffer(std::uint64_t serial) {
    culler_.Forget(serial);
    trimmer_.Forget(serial);
    for (auto& [key, vao] : vaos_)
        if (vao.elements == serial) vao.elements = 0;
    for (auto it = vaos_.begin(); it != vaos_.end();) {
        if (it->first.serial == serial) {
            if (vao_ == &it->second) {
                vao_ = nullptr;
                vaoKey_ = {0, 0xFFFFFFFF, 0};
                dirty_ |= kStream;
            }
            if (gl_->CanCallGl()) glDeleteVertexArrays(1, &it->second.name);
            it = vaos_.erase(it);
        } else {
            ++it;
        }
    }
}

void Renderer::BindVertexArray(std::uint64_t serial, GLuint buffer, DWORD fvf, const FvfLayout& l, UINT stride) {
    VaoKey key{serial, fvf, stride};
    if (vao_ && key == vaoKey_) return;
    auto it = vaos_.find(key);
    if (it == vaos_.end()) {
        Vao v;
        glGenVertexArrays(1, &v.name);
        glBindVertexArray(v.name);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        const auto st = static_cast<GLsizei>(stride);
        auto at = [](UINT offset) { return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset)); };
        glEnableVertexAttribArray(kAttrPosition);
        glVertexAttribPointer(kAttrPosition, static_cast<GLint>(l.positionFloats), GL_FLOAT, GL_FALSE, st, at(0));
        if (l.weights) {
            glEnableVertexAttribArray(kAttrWeights);
            glVertexAttribPointer(kAttrWeights, static_cast<GLint>(std::min(l.weights, 4u)), GL_FLOAT, GL_FALSE, st, at(12));
        }
        if (l.normal >= 0) {
            glEnableVertexAttribArray(kAttrNormal);
            glVertexAttribPointer(kAttrNormal, 3, GL_FLOAT, GL_FALSE, st, at(static_cast<UINT>(l.normal)));
        }
        if (l.diffuse >= 0) {
            glEnableVertexAttribArray(kAttrDiffuse);
            glVertexAttribPointer(kAttrDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, at(static_cast<UINT>(l.diffuse)));
        }
        if (l.specular >= 0) {
            glEnableVertexAttribArray(kAttrSpecular);
            glVertexAttribPointer(kAttrSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, at(static_cast<UINT>(l.specular)));
        }
        for (UINT i = 0; i < l.texCount; ++i) {
            glEnableVertexAttribArray(kAttrTex0 + i);
            glVertexAttribPointer(kAttrTex0 + i, static_cast<GLint>(l.texSize[i]), GL_FLOAT, GL_FALSE, st, at(l.texOffset[i]));
        }
        it = vaos_.emplace(key, v).first;
    } else {
        glBindVertexArray(it->second.name);
    }
    vao_ = &it->second;
    vaoKey_ = key;
}

bool Renderer::Prepare(const DeviceState& s, const FvfLayout& layout, Texture* const textures[kMaxStages],
                       bool instanced) {
    if (dirty_ & kViewport) ApplyViewport(s);
    if (dirty_ & kRaster) ApplyRaster(s);
    if (dirty_ & (kTextures | kSamplers)) BindTextures(s, textures);
    // A program made for another material may leave out what this one needs.
    if (!instanced && MaterialBits(s.material) != keyMaterial_) dirty_ |= kPipeline;
    if ((dirty_ & kPipeline) || key_.instanced != instanced) {
        lights_ = CollectLights(s);
        const bool textured[kMaxStages] = {textures[0] != nullptr, textures[1] != nullptr};
        bool opaque[kMaxStages] = {};
        for (int i = 0; i < kMaxStages; ++i) opaque[i] = SamplesOpaque(textures[i], s.stageStates[i]);
        // Merged draws carry a material per instance: their program must suit any.
        PipelineKey key = MakePipelineKey(s, layout, textured, lights_, opaque, instanced ? nullptr : &s.material);
        key.instanced = instanced;
        keyMaterial_ = instanced ? kAnyMaterial : MaterialBits(s.material);
        if (!program_ || !(key == key_)) {
            auto it = programs_.find(key);
            Program* p = it != programs_.end() ? &it->second : BuildProgram(key);
            if (!p) return false;
            if (p != program_) {
                glUseProgram(p->name);
                program_ = p;
                ++stats_.programSwitches;
            }
            if (key.lightCount != key_.lightCount || std::memcmp(key.lightTypes, key_.lightTypes, sizeof(key.lightTypes)))
                dirty_ |= kLights;
            key_ = key;
        }
    }
    dirty_ &= ~(kViewport | kRaster | kTextures | kSamplers | kPipeline);
    UploadUniforms(s, instanced);
    return true;
}

bool Renderer::Mergeable(const DeviceState& s, bool indexed) const {
    if (!merging_ || indexed || layout_.pretransformed) return false;
    const DWORD blend = s.renderStates[D3DRS_VERTEXBLEND];
    return !(blend >= 1 && blend <= 3 && layout_.weights > 0);
}

void Renderer::AppendInstance(const DeviceState& s) {
    DeriveUniforms(s);
    std::memcpy(batch_.rows[batch_.count * vu::kInstanceRows], v_[0], sizeof(float) * 4 * vu::kInstanceRows);
    ++batch_.count;
}

void Renderer::Flush() {
    if (!batch_.count) return;
    const int n = batch_.count;
    batch_.count = 0;
    if (!gl_->CanCallGl() || !program_) return;
    // Nothing touched the GL pipeline since the batch began: every change flushes first.
    glUniform4fv(program_->instances, n * vu::kInstanceRows, batch_.rows[0]);
    glDrawArraysInstanced(batch_.mode, batch_.first, batch_.vertices, n);
    ++stats_.submissions;
}

HRESULT Renderer::Draw(const DeviceState& s, const DrawSources& src, D3DPRIMITIVETYPE type, UINT first,
                       UINT primitives, bool indexed) {
    if (!src.vertices || src.stride == 0) return D3DERR_INVALIDCALL;
    if (s.fvf != keyFvf_) {
        layout_ = DecodeFvf(s.fvf);
        keyFvf_ = s.fvf;
    }
    const UINT count = VertexCount(type, primitives);
    if (!layout_.valid || count == 0 || (indexed && !src.indices)) return D3DERR_INVALIDCALL;
    if (!gl_->CanCallGl()) return D3DERR_INVALIDCALL;
    BufferStorage* vertices = src.vertices;
    if (!indexed && type == D3DPT_TRIANGLESTRIP && primitives == 2 && src.textures[0]) {
        const Trim trim = TrimmedQuad(s, src, first, vertices);
        if (trim == Trim::kNothing) {
            ++stats_.drawCalls;
            stats_.primitives += primitives;
            return S_OK;
        }
        if (trim == Trim::kPart) first = 0;
    }
    const bool merge = Mergeable(s, indexed);
    const GLenum mode = PrimitiveMode(type);
    if (batch_.count) {
        if (merge && batch_.count < vu::kBatch && !(dirty_ & ~(kWorld | kMaterial)) && (worldDirty_ & ~1u) == 0 &&
            batch_.serial == vertices->Serial() && batch_.stride == src.stride && batch_.mode == mode &&
            batch_.first == static_cast<GLint>(first) && batch_.vertices == static_cast<GLsizei>(count)) {
            AppendInstance(s);
            ++stats_.drawCalls;
            stats_.primitives += primitives;
            return S_OK;
        }
        Flush();
    }
    if (!Prepare(s, layout_, src.textures, merge)) return D3DERR_DRIVERINTERNALERROR;
    if ((dirty_ & kStream) || !vao_ || vaoKey_.serial != vertices->Serial()) {
        BindVertexArray(vertices->Serial(), vertices->Name(), s.fvf, layout_, src.stride);
        dirty_ &= ~kStream;
    }
    if (indexed) {
        // Compared by serial: a deleted buffer's name may come back for a new one.
        if (vao_->elements != src.indices->Serial()) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, src.indices->Name());
            vao_->elements = src.indices->Serial();
        }
        const UINT size = src.indices32 ? 4 : 2;
        if (static_cast<std::uint64_t>(first + count) * size > src.indices->Length()) return D3DERR_INVALIDCALL;
        DrawElements(s, src, type, first, count);
    } else if (merge) {
        batch_.mode = mode;
        batch_.first = static_cast<GLint>(first);
        batch_.vertices = static_cast<GLsizei>(count);
        batch_.serial = vertices->Serial();
        batch_.stride = src.stride;
        AppendInstance(s);
    } else {
        glDrawArrays(mode, static_cast<GLint>(first), static_cast<GLsizei>(count));
        ++stats_.submissions;
    }
    ++stats_.drawCalls;
    stats_.primitives += primitives;
    return S_OK;
}

Blank Renderer::TrimChannel(const DeviceState& s, const BYTE* quad, UINT stride) const {
    const bool alphaWritten = FormatHasAlpha(desc_.format) && (s.renderStates[D3DRS_COLORWRITEENABLE] & 8);
    const Blank channel = BlankLeavesTarget(s, layout_, alphaWritten);
    return channel != Blank::kNone && EvenlyLit(s, layout_, quad, stride) ? channel : Blank::kNone;
}

Trim Renderer::TrimmedQuad(const DeviceState& s, const DrawSources& src, UINT first, BufferStorage*& vertices) {
    if ((static_cast<std::uint64_t>(first) + 4) * src.stride > src.vertices->Length()) return Trim::kWhole;
    QuadTrimmer::Source quad;
    quad.channel = TrimChannel(s, src.vertices->Bits() + static_cast<std::size_t>(first) * src.stride, src.stride);
    if (quad.channel == Blank::kNone) return Trim::kWhole;
    quad.vertices = src.vertices;
    quad.first = first;
    quad.stride = src.stride;
    quad.layout = &layout_;
    quad.texture = src.textures[0];
    quad.sampler = SamplerOf(s);
    BufferStorage* cut = nullptr;
    const Trim trim = trimmer_.Quad(quad, cut);
    if (trim == Trim::kPart) vertices = cut;
    return trim;
}

Trim Renderer::TrimmedUserQuad(const DeviceState& s, Texture* texture, const void*& vertices, UINT stride) {
    const Blank channel = TrimChannel(s, static_cast<const BYTE*>(vertices), stride);
    if (channel == Blank::kNone) return Trim::kWhole;
    userQuad_.resize(static_cast<std::size_t>(stride) * 4);
    const UvRect reach = ReachableUv(*texture, SamplerOf(s), channel);
    const Trim trim = TrimQuad(static_cast<const BYTE*>(vertices), stride, layout_, reach, userQuad_.data());
    if (trim == Trim::kPart) vertices = userQuad_.data();
    return trim;
}

void Renderer::DrawElements(const DeviceState& s, const DrawSources& src, D3DPRIMITIVETYPE type, UINT first,
                            UINT count) {
    const UINT size = src.indices32 ? 4 : 2;
    const GLenum indexType = src.indices32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    auto offset = [size](UINT index) { return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(index) * size); };
    // Triangle lists placed by the world matrix alone go out as the runs that can reach the view.
    if (type == D3DPT_TRIANGLELIST && !key_.pretransformed && key_.blendWeights == 0) {
        CullDraw draw;
        draw.vertexSerial = src.vertices->Serial();
        draw.vertexVersion = src.vertices->Version();
        draw.vertices = src.vertices->Bits();
        draw.vertexBytes = src.vertices->Length();
        draw.stride = src.stride;
        draw.baseVertex = src.baseVertex;
        draw.indexSerial = src.indices->Serial();
        draw.indexVersion = src.indices->Version();
        draw.indices = src.indices->Bits();
        draw.indices32 = src.indices32;
        draw.first = first;
        draw.count = count;
        CullView view;
        view.modelToClip = MultiplyMatrix(MultiplyMatrix(s.transforms[D3DTS_WORLD], s.transforms[D3DTS_VIEW]),
                                          s.transforms[D3DTS_PROJECTION]);
        view.pixelShift[0] = 1.0f / static_cast<float>(std::max<DWORD>(s.viewport.Width, 1));
        view.pixelShift[1] = 1.0f / static_cast<float>(std::max<DWORD>(s.viewport.Height, 1));
        if (culler_.VisibleRuns(draw, view, runs_)) {
            if (runs_.empty()) return;
            runCounts_.clear();
            runOffsets_.clear();
            runBases_.assign(runs_.size(), src.baseVertex);
            for (const DrawCuller::Run& r : runs_) {
                runCounts_.push_back(static_cast<GLsizei>(r.count));
                runOffsets_.push_back(offset(r.first));
            }
            glMultiDrawElementsBaseVertex(PrimitiveMode(type), runCounts_.data(), indexType, runOffsets_.data(),
                                          static_cast<GLsizei>(runs_.size()), runBases_.data());
            ++stats_.submissions;
            return;
        }
    }
    glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(count), indexType, offset(first), src.baseVertex);
    ++stats_.submissions;
}

HRESULT Renderer::DrawUser(const DeviceState& s, Texture* const textures[kMaxStages], D3DPRIMITIVETYPE type,
                           UINT primitives, const void* vertices, UINT vertexBytes, UINT stride, const void* indices,
                           UINT indexBytes, bool indices32) {
    if (!vertices || stride == 0) return D3DERR_INVALIDCALL;
    if (s.fvf != keyFvf_) {
        layout_ = DecodeFvf(s.fvf);
        keyFvf_ = s.fvf;
    }
    const UINT count = VertexCount(type, primitives);
    if (!layout_.valid || count == 0) return D3DERR_INVALIDCALL;
    if (!gl_->CanCallGl()) return D3DERR_INVALIDCALL;
    if (!indices && type == D3DPT_TRIANGLESTRIP && primitives == 2 && textures[0] && vertexBytes >= 4 * stride) {
        const Trim trim = TrimmedUserQuad(s, textures[0], vertices, stride);
        if (trim == Trim::kNothing) {
            ++stats_.drawCalls;
            stats_.primitives += primitives;
            return S_OK;
        }
        if (trim == Trim::kPart) vertexBytes = 4 * stride;
    }
    Flush();
    if (!Prepare(s, layout_, textures, false)) return D3DERR_DRIVERINTERNALERROR;
    glBindBuffer(GL_COPY_WRITE_BUFFER, userVertices_);
    glBufferData(GL_COPY_WRITE_BUFFER, vertexBytes, vertices, GL_STREAM_DRAW);
    BindVertexArray(userSerial_, userVertices_, s.fvf, layout_, stride);
    dirty_ |= kStream;  // the next buffered draw binds its own layout again
    if (indices) {
        glBindBuffer(GL_COPY_WRITE_BUFFER, userIndices_);
        glBufferData(GL_COPY_WRITE_BUFFER, indexBytes, indices, GL_STREAM_DRAW);
        if (vao_->elements != userIndexSerial_) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, userIndices_);
            vao_->elements = userIndexSerial_;
        }
        glDrawElements(PrimitiveMode(type), static_cast<GLsizei>(count), indices32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    } else {
        glDrawArrays(PrimitiveMode(type), 0, static_cast<GLsizei>(count));
    }
    ++stats_.submissions;
    ++stats_.drawCalls;
    stats_.primitives += primitives;
    return S_OK;
}

void Renderer::Clear(const DeviceState& s, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z) {
    if (!gl_->CanCallGl()) return;
    Flush();
    if (dirty_ & kViewport) {
        ApplyViewport(s);
        dirty_ &= ~kViewport;
    }
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, FormatHasAlpha(desc_.format) ? GL_TRUE : GL_FALSE);
        raster_.colorMask = -1;
        float c[4];
        SetColour(c, colour);
        glClearColor(c[0], c[1], c[2], c[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glDepthMask(GL_TRUE);
        raster_.depthMask = -1;
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    dirty_ |= kRaster;
    if (!mask) return;
    const D3DVIEWPORT8& vp = s.viewport;
    if (count == 0 || !rects) {
        glClear(mask);
        return;
    }
    const LONG vx1 = static_cast<LONG>(vp.X), vy1 = static_cast<LONG>(vp.Y);
    const LONG vx2 = vx1 + static_cast<LONG>(vp.Width), vy2 = vy1 + static_cast<LONG>(vp.Height);
    for (DWORD i = 0; i < count; ++i) {
        LONG x1 = std::max(rects[i].x1, vx1), y1 = std::max(rects[i].y1, vy1);
        LONG x2 = std::min(rects[i].x2, vx2), y2 = std::min(rects[i].y2, vy2);
        if (x2 <= x1 || y2 <= y1) continue;
        glScissor(x1, y1, x2 - x1, y2 - y1);
        glClear(mask);
    }
    glScissor(vx1, vy1, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
}

void Renderer::ResolveInto(GLuint target) {
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    const auto w = static_cast<GLint>(desc_.width), h = static_cast<GLint>(desc_.height);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glEnable(GL_SCISSOR_TEST);
}

void Renderer::Present(platform::GlContext& context) {
    ++stats_.presents;
    if (!gl_->CanCallGl()) return;
    Flush();
    int dw = 0, dh = 0;
    context.DrawableSize(dw, dh);
    if (dw > 0 && dh > 0) {
        GLuint source = fbo_;
        if (resolveFbo_) {
            ResolveInto(resolveFbo_);
            source = resolveFbo_;
        }
        const auto w = static_cast<GLint>(desc_.width), h = static_cast<GLint>(desc_.height);
        // Where the picture goes: the whole framebuffer, or (full screen) the largest centred
        // rectangle of the picture's shape, black around it.
        GLint x0 = 0, y0 = 0, x1 = dw, y1 = dh;
        if (context.Fit() == platform::PictureFit::KeepAspect) {
            const std::int64_t across = std::int64_t{dw} * h, down = std::int64_t{dh} * w;
            const auto fitW = static_cast<GLint>(across <= down ? dw : (down + h / 2) / h);
            const auto fitH = static_cast<GLint>(across <= down ? (across + w / 2) / w : dh);
            x0 = (dw - fitW) / 2;
            y0 = (dh - fitH) / 2;
            x1 = x0 + fitW;
            y1 = y0 + fitH;
        }
        glDisable(GL_SCISSOR_TEST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        if (x0 > 0 || y0 > 0) {
            const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            raster_.colorMask = -1;
            glClearBufferfv(GL_COLOR, 0, black);
        }
        // The back buffer's first row is the top of the picture; the window's is the bottom.
        const bool sameSize = x1 - x0 == w && y1 - y0 == h;
        glBlitFramebuffer(0, 0, w, h, x0, y1, x1, y0, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
        context.SwapBuffers();
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glEnable(GL_SCISSOR_TEST);
        return;
    }
    context.SwapBuffers();
}

void Renderer::ReadBack(std::vector<std::uint32_t>& pixels) {
    pixels.assign(static_cast<std::size_t>(desc_.width) * desc_.height, 0);
    if (!gl_->CanCallGl()) return;
    Flush();
    GLuint source = fbo_;
    if (resolveFbo_) {
        ResolveInto(resolveFbo_);
        source = resolveFbo_;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glReadPixels(0, 0, static_cast<GLsizei>(desc_.width), static_cast<GLsizei>(desc_.height), GL_BGRA, GL_UNSIGNED_BYTE,
                 pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    if (!FormatHasAlpha(desc_.format))
        for (auto& p : pixels) p |= 0xFF000000u;
}

}  // namespace gpu
