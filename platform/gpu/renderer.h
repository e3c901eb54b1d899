// Renderer: the OpenGL back end of the device, coordinating the pieces that each own one part
// of the GL side:
//   BackBuffer     the draw target, its resolve and the present (back_buffer.h)
//   ProgramCache   programs by PipelineKey and the uniform uploads into them (program_cache.h)
//   UniformValues  the uniform rows derived from the state (uniform_values.h)
//   GlStateShadow  raster, viewport, texture and sampler state, set only when it differs
//   VertexArrays   vertex layouts per buffer, FVF and stride (vertex_arrays.h)
//   UserStreams    the buffers draws from the caller's memory go through (user_streams.h)
//   InstanceBatch  consecutive draws merged into one instanced draw (instance_batch.h)
//   QuadTrimmer, DrawCuller  blended quads cut down, triangle lists cut to what can be seen
//
// The front (Device) keeps the Direct3D state, checks every draw's arguments, and tells the
// renderer what changed through the Mark* calls; at each draw the renderer brings GL up to
// date with as little work as the changes allow.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/back_buffer.h"
#include "platform/gpu/blank_trim.h"
#include "platform/gpu/buffer.h"
#include "platform/gpu/d3d8.h"
#include "platform/gpu/device_state.h"
#include "platform/gpu/dirty_state.h"
#include "platform/gpu/draw_culling.h"
#include "platform/gpu/gl_shared.h"
#include "platform/gpu/gl_state_shadow.h"
#include "platform/gpu/instance_batch.h"
#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/program_cache.h"
#include "platform/gpu/texture.h"
#include "platform/gpu/uniform_values.h"
#include "platform/gpu/user_streams.h"
#include "platform/gpu/vertex_arrays.h"

namespace gpu {

// Vertices that `primitives` primitives of a type need; 0 for an unknown type.
UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitives);

// What a draw reads besides the state: stream, indices and stage textures.
struct DrawSources {
    BufferStorage* vertices = nullptr;
    UINT stride = 0;
    BufferStorage* indices = nullptr;
    bool indices32 = false;
    INT baseVertex = 0;
    Texture* textures[kMaxStages] = {};
};

class Renderer {
public:
    using enum dirty::Bit;

    // Null with a message on stderr when the back buffer cannot be made.
    static std::unique_ptr<Renderer> Create(std::shared_ptr<GlShared> gl, const BackBufferDesc& desc);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    void Mark(std::uint32_t dirty) { dirty_ |= dirty; }
    // Called before the front changes state: merged draws still waiting go out first, unless
    // only the world matrix or the material changes (what merged draws carry per instance).
    void Changing(std::uint32_t dirty) {
        if (batch_.Pending() && (dirty & ~(kWorld | kMaterial))) Flush();
    }
    // Submits the merged draws that are waiting.
    void Flush();
    void MarkWorld(DWORD index) {
        dirty_ |= kWorld;
        uniforms_.MarkWorld(index);
    }

    // The draws take arguments the front has checked: a vertex source with a stride, a known
    // primitive type, and vertices and indices that lie inside their buffers.
    HRESULT Draw(const DeviceState& state, const DrawSources& sources, D3DPRIMITIVETYPE type, UINT first,
                 UINT primitives, bool indexed);
    // Draws from memory the caller owns (copied into a stream buffer of the renderer).
    HRESULT DrawUser(const DeviceState& state, Texture* const textures[kMaxStages], D3DPRIMITIVETYPE type,
                     UINT primitives, const void* vertices, UINT vertexBytes, UINT stride, const void* indices,
                     UINT indexBytes, bool indices32);

    void Clear(const DeviceState& state, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z);
    void Present(platform::GlContext& context);
    void ReadBack(std::vector<std::uint32_t>& pixels);

    const BackBufferDesc& Desc() const { return backBuffer_.Desc(); }
    D3DDRAWSTATS& Stats() { return stats_; }
    const GlLimits& Limits() const { return gl_->limits; }

private:
    Renderer(std::shared_ptr<GlShared> gl, bool targetHasAlpha);
    // The step every draw begins with: the layout of the state's FVF, and whether anything can
    // be drawn with it (a layout the programs read, a GL that can be reached); S_OK or the refusal.
    HRESULT BeginDraw(const DeviceState& state);
    // Counts a draw the caller made, whatever went out to the GL for it.
    HRESULT Counted(UINT primitives);
    // Brings the GL up to date for a draw: state, textures, program and its uniforms.
    bool Prepare(const DeviceState& state, Texture* const textures[kMaxStages], bool instanced);
    bool Mergeable(const DeviceState& state, bool indexed) const;
    void AppendInstance(const DeviceState& state);
    void DrawElements(const DeviceState& state, const DrawSources& sources, D3DPRIMITIVETYPE type, UINT first,
                      UINT count);
    // Which blank texels of stage 0 leave the target unchanged for the quad at `quad`; kNone
    // when it must be drawn whole.
    Blank TrimChannel(const DeviceState& state, const BYTE* quad, UINT stride) const;
    // A blended quad of the draw cut down to what can change the picture (see blank_trim.h).
    Trim TrimmedQuad(const DeviceState& state, const DrawSources& sources, UINT first, BufferStorage*& vertices);
    Trim TrimmedUserQuad(const DeviceState& state, Texture* texture, const void*& vertices, UINT stride);
    void ForgetBuffer(std::uint64_t serial);

    std::shared_ptr<GlShared> gl_;
    D3DDRAWSTATS stats_{};
    bool merging_ = false;  // the GL has room for the per-instance uniforms of two instances or more

    std::uint32_t dirty_ = kAll;
    PipelineKey key_{};
    static constexpr std::uint8_t kAnyMaterial = 0xFF;
    std::uint8_t keyMaterial_ = kAnyMaterial;  // MaterialBits of the material key_ was made for
    ActiveLights lights_{};
    DWORD keyFvf_ = 0xFFFFFFFF;
    FvfLayout layout_{};

    BackBuffer backBuffer_;
    GlStateShadow glState_;
    ProgramCache programs_;
    UniformValues uniforms_;
    VertexArrays vertexArrays_;
    UserStreams userStreams_;
    InstanceBatch batch_;

    QuadTrimmer trimmer_;
    std::vector<BYTE> userQuad_;
    DrawCuller culler_;
    std::vector<DrawCuller::Run> runs_;
    std::vector<GLsizei> runCounts_;
    std::vector<const void*> runOffsets_;
    std::vector<GLint> runBases_;
};

}  // namespace gpu
