#include "platform/gpu/renderer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/gpu/gl_convert.h"
#include "platform/gpu/refusal.h"
#include "platform/gpu/texture_format.h"

namespace gpu {

namespace {

// A texture without alpha samples as alpha 1, except where a border colour with less shows.
bool SamplesOpaque(const Texture* texture, const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& t) {
    if (!texture || DescribeFormat(texture->Format()).hasAlpha) return false;
    return !SamplesBorder(t) || (t[D3DTSS_BORDERCOLOR] >> 24) == 0xFF;
}

// A textured strip of two triangles: a quad that may be trimmed to its image's non-blank part.
bool TrimCandidate(D3DPRIMITIVETYPE type, UINT primitives, const Texture* texture) {
    return type == D3DPT_TRIANGLESTRIP && primitives == 2 && texture;
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

Renderer::Renderer(std::shared_ptr<GlShared> gl, bool targetHasAlpha)
    : gl_(std::move(gl)),
      backBuffer_(*gl_),
      glState_(*gl_, targetHasAlpha),
      programs_(*gl_, stats_),
      vertexArrays_(*gl_),
      userStreams_(*gl_),
      trimmer_(gl_) {}

std::unique_ptr<Renderer> Renderer::Create(std::shared_ptr<GlShared> gl, const BackBufferDesc& desc) {
    std::unique_ptr<Renderer> r(new Renderer(std::move(gl), desc.format == D3DFMT_A8R8G8B8));
    const bool es = r->gl_->es;
    // ES has no clip control: the programs map Direct3D's depth from 0 to OpenGL's from -1.
    const bool clipControl = !es && (GlVersion() >= 45 || GlHasExtension("GL_ARB_clip_control"));
    if (clipControl) desktop_gl::ClipDepthZeroToOne();
    // Merged draws take as many instances as the vertex uniforms hold (gl_limits.h).
    const GlLimits& limits = r->gl_->limits;
    const int batch = MergedBatch(limits);
    r->merging_ = batch > 0;
    r->batch_.SetCapacity(batch);
    r->programs_.SetDialect({es, clipControl, batch > 0 ? batch : vertex_uniforms::kBatch});
    if (batch < vertex_uniforms::kBatch) {
        if (batch > 0)
            std::fprintf(stderr,
                         "gpu/renderer: %d vertex uniform vectors hold %d instances per merged draw, not %d (those "
                         "need %d)\n",
                         limits.vertexUniformVectors, batch, vertex_uniforms::kBatch,
                         VertexUniformsNeeded(vertex_uniforms::kBatch));
        else
            std::fprintf(stderr, "gpu/renderer: %d vertex uniform vectors leave no room for merged draws (%d for %d "
                         "instances): draws go out one by one\n",
                         limits.vertexUniformVectors, VertexUniformsNeeded(kMinMergedBatch), kMinMergedBatch);
    }
    r->gl_->hasS3tc = GlHasExtension("GL_EXT_texture_compression_s3tc") ||
                      (es && (GlHasExtension("GL_WEBGL_compressed_texture_s3tc") ||
                              GlHasExtension("WEBGL_compressed_texture_s3tc")));
    glEnable(GL_SCISSOR_TEST);
    // Flat shading takes the first vertex's colour, as Direct3D does; ES always takes the last.
    if (!es) desktop_gl::FirstVertexProvokes();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (!r->backBuffer_.Create(desc, limits)) return nullptr;
    r->userStreams_.Create();
    // What the resources tell the renderer; the destructor unhooks all three.
    Renderer* self = r.get();
    r->gl_->onBufferGone = [self](std::uint64_t serial) { self->ForgetBuffer(serial); };
    r->gl_->onTextureGone = [self](GLuint name) { self->glState_.ForgetTexture(name); };
    r->gl_->beforeUpload = [self] { self->Flush(); };
    return r;
}

Renderer::~Renderer() {
    gl_->onBufferGone = nullptr;
    gl_->onTextureGone = nullptr;
    gl_->beforeUpload = nullptr;
    if (!gl_->CanCallGl()) return;  // the process is ending on another thread: leave the GL objects
    // Unbound before the pieces delete their objects.
    glUseProgram(0);
    glBindVertexArray(0);
}

HRESULT Renderer::BeginDraw(const DeviceState& s) {
    if (s.fvf != keyFvf_) {
        layout_ = DecodeFvf(s.fvf);
        keyFvf_ = s.fvf;
    }
    if (!layout_.valid) return Refuse(Refusal::kDrawFvf);
    if (!gl_->CanCallGl()) return Refuse(Refusal::kDrawContext);
    return S_OK;
}

HRESULT Renderer::Counted(UINT primitives) {
    ++stats_.drawCalls;
    stats_.primitives += primitives;
    return S_OK;
}

bool Renderer::Prepare(const DeviceState& s, Texture* const textures[kMaxStages], bool instanced) {
    if (dirty_ & kViewport) glState_.ApplyViewport(s.viewport);
    if (dirty_ & kRaster) glState_.ApplyRaster(s);
    if (dirty_ & (kTextures | kSamplers)) glState_.BindTextures(s, textures);
    // Where programs blend in the border colour (ES), sampling states pick the program and the
    // border colours are uniforms.
    if (gl_->es && (dirty_ & kSamplers)) dirty_ |= kPipeline | kMisc;
    // A program made for another material may leave out what this one needs.
    if (!instanced && MaterialBits(s.material) != keyMaterial_) dirty_ |= kPipeline;
    if ((dirty_ & kPipeline) || key_.instanced != instanced) {
        lights_ = CollectLights(s);
        const bool textured[kMaxStages] = {textures[0] != nullptr, textures[1] != nullptr};
        bool opaque[kMaxStages] = {};
        for (int i = 0; i < kMaxStages; ++i) opaque[i] = SamplesOpaque(textures[i], s.stageStates[i]);
        // Merged draws carry a material per instance: their program must suit any.
        PipelineKey key = MakePipelineKey(s, layout_, textured, lights_, opaque, instanced ? nullptr : &s.material);
        if (gl_->es) AddBorderAddressing(key, s);
        key.instanced = instanced;
        keyMaterial_ = instanced ? kAnyMaterial : MaterialBits(s.material);
        if (!programs_.Current() || !(key == key_)) {
            if (!programs_.Use(key)) return false;
            if (key.lightCount != key_.lightCount || std::memcmp(key.lightTypes, key_.lightTypes, sizeof(key.lightTypes)))
                dirty_ |= kLights;
            key_ = key;
        }
    }
    dirty_ &= ~(kViewport | kRaster | kTextures | kSamplers | kPipeline);
    uniforms_.Derive(s, dirty_, key_, lights_);
    programs_.Upload(uniforms_, key_, instanced);
    return true;
}

bool Renderer::Mergeable(const DeviceState& s, bool indexed) const {
    if (!merging_ || indexed || layout_.pretransformed) return false;
    const DWORD blend = s.renderStates[D3DRS_VERTEXBLEND];
    return !(blend >= 1 && blend <= 3 && layout_.weights > 0);
}

void Renderer::AppendInstance(const DeviceState& s) {
    uniforms_.Derive(s, dirty_, key_, lights_);
    batch_.Add(uniforms_.Vertex(0));
}

void Renderer::Flush() {
    if (!batch_.Pending()) return;
    if (!gl_->CanCallGl() || !programs_.Current()) {
        batch_.Drop();
        return;
    }
    // Nothing touched the GL pipeline since the batch began: every change flushes first.
    batch_.Submit(programs_.Current()->instances);
    ++stats_.submissions;
}

HRESULT Renderer::Draw(const DeviceState& s, const DrawSources& src, D3DPRIMITIVETYPE type, UINT first,
                       UINT primitives, bool indexed) {
    if (const HRESULT begun = BeginDraw(s); FAILED(begun)) return begun;
    BufferStorage* vertices = src.vertices;
    if (!indexed && TrimCandidate(type, primitives, src.textures[0])) {
        const Trim trim = TrimmedQuad(s, src, first, vertices);
        if (trim == Trim::kNothing) return Counted(primitives);
        if (trim == Trim::kPart) first = 0;
    }
    const bool merge = Mergeable(s, indexed);
    const UINT count = VertexCount(type, primitives);
    const InstanceBatch::Shape shape{PrimitiveMode(type), static_cast<GLint>(first), static_cast<GLsizei>(count),
                                     vertices->Serial(), src.stride};
    if (batch_.Pending()) {
        if (merge && !(dirty_ & ~(kWorld | kMaterial)) && !uniforms_.OtherWorldsChanged() && batch_.Takes(shape)) {
            AppendInstance(s);
            return Counted(primitives);
        }
        Flush();
    }
    if (!Prepare(s, src.textures, merge)) return D3DERR_DRIVERINTERNALERROR;
    // Without base-vertex draws (ES) an indexed draw's vertex array starts at its base vertex.
    const UINT arrayBase = indexed && gl_->es ? static_cast<UINT>(src.baseVertex) : 0;
    if ((dirty_ & kStream) || !vertexArrays_.BoundTo(vertices->Serial(), arrayBase)) {
        vertexArrays_.Bind(vertices->Serial(), vertices->Name(), s.fvf, layout_, src.stride, arrayBase);
        dirty_ &= ~kStream;
    }
    if (indexed) {
        vertexArrays_.BindIndices(src.indices->Serial(), src.indices->Name());
        DrawElements(s, src, type, first, count);
    } else if (merge) {
        batch_.Start(shape);
        AppendInstance(s);
    } else {
        glDrawArrays(shape.mode, shape.first, shape.vertices);
        ++stats_.submissions;
    }
    return Counted(primitives);
}

HRESULT Renderer::DrawUser(const DeviceState& s, Texture* const textures[kMaxStages], D3DPRIMITIVETYPE type,
                           UINT primitives, const void* vertices, UINT vertexBytes, UINT stride, const void* indices,
                           UINT indexBytes, bool indices32) {
    if (const HRESULT begun = BeginDraw(s); FAILED(begun)) return begun;
    if (!indices && TrimCandidate(type, primitives, textures[0]) && vertexBytes >= 4 * stride) {
        const Trim trim = TrimmedUserQuad(s, textures[0], vertices, stride);
        if (trim == Trim::kNothing) return Counted(primitives);
        if (trim == Trim::kPart) vertexBytes = 4 * stride;
    }
    Flush();
    if (!Prepare(s, textures, false)) return D3DERR_DRIVERINTERNALERROR;
    userStreams_.UploadVertices(vertices, vertexBytes);
    if (indices) userStreams_.UploadIndices(indices, indexBytes);
    vertexArrays_.Bind(userStreams_.VertexSerial(), userStreams_.Vertices(), s.fvf, layout_, stride);
    dirty_ |= kStream;  // the next buffered draw binds its own layout again
    const GLenum mode = PrimitiveMode(type);
    const auto count = static_cast<GLsizei>(VertexCount(type, primitives));
    if (indices) {
        vertexArrays_.BindIndices(userStreams_.IndexSerial(), userStreams_.Indices());
        glDrawElements(mode, count, indices32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    } else {
        glDrawArrays(mode, 0, count);
    }
    ++stats_.submissions;
    return Counted(primitives);
}

Blank Renderer::TrimChannel(const DeviceState& s, const BYTE* quad, UINT stride) const {
    const bool alphaWritten = backBuffer_.HasAlpha() && (s.renderStates[D3DRS_COLORWRITEENABLE] & 8);
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
            if (gl_->es) {
                // The vertex array already starts at the base vertex (Draw).
                for (const DrawCuller::Run& r : runs_)
                    glDrawElements(PrimitiveMode(type), static_cast<GLsizei>(r.count), indexType, offset(r.first));
                stats_.submissions += runs_.size();
                return;
            }
            runCounts_.clear();
            runOffsets_.clear();
            runBases_.assign(runs_.size(), src.baseVertex);
            for (const DrawCuller::Run& r : runs_) {
                runCounts_.push_back(static_cast<GLsizei>(r.count));
                runOffsets_.push_back(offset(r.first));
            }
            desktop_gl::MultiDrawElementsBaseVertex(PrimitiveMode(type), runCounts_.data(), indexType,
                                                    runOffsets_.data(), static_cast<GLsizei>(runs_.size()),
                                                    runBases_.data());
            ++stats_.submissions;
            return;
        }
    }
    if (gl_->es)
        glDrawElements(PrimitiveMode(type), static_cast<GLsizei>(count), indexType, offset(first));
    else
        desktop_gl::DrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(count), indexType, offset(first),
                                           src.baseVertex);
    ++stats_.submissions;
}

void Renderer::Clear(const DeviceState& s, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z) {
    if (!gl_->CanCallGl()) return;
    Flush();
    if (dirty_ & kViewport) {
        glState_.ApplyViewport(s.viewport);
        dirty_ &= ~kViewport;
    }
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, backBuffer_.HasAlpha() ? GL_TRUE : GL_FALSE);
        glState_.ForgetColourMask();
        float c[4];
        SetColour(c, colour);
        glClearColor(c[0], c[1], c[2], c[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glDepthMask(GL_TRUE);
        glState_.ForgetDepthMask();
        GlClearDepth(gl_->es, std::clamp(z, 0.0f, 1.0f));
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

void Renderer::Present(platform::GlContext& context) {
    ++stats_.presents;
    if (!gl_->CanCallGl()) return;
    Flush();
    if (backBuffer_.Present(context)) glState_.ForgetColourMask();
}

void Renderer::ReadBack(std::vector<std::uint32_t>& pixels) {
    if (!gl_->CanCallGl()) {
        pixels.assign(static_cast<std::size_t>(Desc().width) * Desc().height, 0);
        return;
    }
    Flush();
    backBuffer_.ReadBack(pixels);
}

void Renderer::ForgetBuffer(std::uint64_t serial) {
    culler_.Forget(serial);
    trimmer_.Forget(serial);
    if (vertexArrays_.Forget(serial)) dirty_ |= kStream;
}

}  // namespace gpu
