// Renderer: the OpenGL back end of the device.
//
// The front (Device) keeps the Direct3D state and tells the renderer what changed through the
// Mark* calls; at each draw the renderer brings GL up to date with as little work as the changes
// allow: the program is looked up only after pipeline state changed, uniforms are uploaded per
// group only when their values changed, GL state is set only when it differs.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gpu/blank_trim.h"
#include "platform/gpu/buffer.h"
#include "platform/gpu/d3d8.h"
#include "platform/gpu/device_state.h"
#include "platform/gpu/draw_culling.h"
#include "platform/gpu/gl_shared.h"
#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/shader_source.h"
#include "platform/gpu/texture.h"

namespace gpu {

struct BackBufferDesc {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    UINT samples = 0;
};

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
    enum Dirty : std::uint32_t {
        kPipeline = 1u << 0,
        kRaster = 1u << 1,
        kWorld = 1u << 2,       // world or view matrices
        kView = 1u << 3,        // view matrix (moves the lights too)
        kProjection = 1u << 4,  // projection and viewport
        kMaterial = 1u << 5,
        kLights = 1u << 6,
        kFog = 1u << 7,
        kMisc = 1u << 8,
        kTextures = 1u << 9,
        kSamplers = 1u << 10,
        kStream = 1u << 11,
        kViewport = 1u << 12,
        kAll = (1u << 13) - 1,
    };

    // Null with a message on stderr when the back buffer cannot be made.
    static std::unique_ptr<Renderer> Create(std::shared_ptr<GlShared> gl, const BackBufferDesc& desc);
    ~Renderer();

    void Mark(std::uint32_t dirty) { dirty_ |= dirty; }
    // Called before the front changes state: merged draws still waiting go out first, unless
    // only the world matrix or the material changes (what merged draws carry per instance).
    void Changing(std::uint32_t dirty) {
        if (batch_.count && (dirty & ~(kWorld | kMaterial))) Flush();
    }
    // Submits the merged draws that are waiting.
    void Flush();
    void MarkWorld(DWORD index) {
        dirty_ |= kWorld;
        worldDirty_ |= 1u << index;
    }

    HRESULT Draw(const DeviceState& state, const DrawSources& sources, D3DPRIMITIVETYPE type, UINT first,
                 UINT primitives, bool indexed);
    // Draws from memory the caller owns (copied into a stream buffer of the renderer).
    HRESULT DrawUser(const DeviceState& state, Texture* const textures[kMaxStages], D3DPRIMITIVETYPE type,
                     UINT primitives, const void* vertices, UINT vertexBytes, UINT stride, const void* indices,
                     UINT indexBytes, bool indices32);

    void Clear(const DeviceState& state, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z);
    void Present(platform::GlContext& context);
    void ReadBack(std::vector<std::uint32_t>& pixels);

    const BackBufferDesc& Desc() const { return desc_; }
    D3DDRAWSTATS& Stats() { return stats_; }
    GLint MaxTextureSize() const { return maxTextureSize_; }
    GLint MaxSamples() const { return maxSamples_; }

private:
    struct Program {
        GLuint name = 0;
        GLint vBase[8] = {};  // locations of the first element of each uniform group
        GLint instances = -1;  // location of the per-instance array of merged-draw programs
        std::uint32_t uploaded[8] = {};
    };
    enum Group { gWorld, gProjection, gMaterial, gLights, gFog, gMisc, kGroups };

    struct GlRaster {
        int depthTest = -1, depthMask = -1, depthFunc = -1, blend = -1, srcBlend = -1, dstBlend = -1, blendOp = -1,
            cull = -1, cullFace = -1, polygonMode = -1, colorMask = -1;
    };

    explicit Renderer(std::shared_ptr<GlShared> gl) : gl_(gl), trimmer_(std::move(gl)) {}
    bool CreateTargets();
    bool Prepare(const DeviceState& state, const FvfLayout& layout, Texture* const textures[kMaxStages], bool instanced);
    bool Mergeable(const DeviceState& state, bool indexed) const;
    void AppendInstance(const DeviceState& state);
    Program* BuildProgram(const PipelineKey& key);
    void UploadUniforms(const DeviceState& state, bool instanced);
    void DeriveUniforms(const DeviceState& state);
    void DrawElements(const DeviceState& state, const DrawSources& sources, D3DPRIMITIVETYPE type, UINT first,
                      UINT count);
    void ApplyRaster(const DeviceState& state);
    void ApplyViewport(const DeviceState& state);
    void BindTextures(const DeviceState& state, Texture* const textures[kMaxStages]);
    void BindVertexArray(std::uint64_t serial, GLuint buffer, DWORD fvf, const FvfLayout& layout, UINT stride);
    GLuint Sampler(const std::array<DWORD, D3D_TEXTURESTAGESTATE_COUNT>& stage);
    // Which blank texels of stage 0 leave the target unchanged for the quad at `quad`; kNone
    // when it must be drawn whole.
    Blank TrimChannel(const DeviceState& state, const BYTE* quad, UINT stride) const;
    // A blended quad of the draw cut down to what can change the picture (see blank_trim.h).
    Trim TrimmedQuad(const DeviceState& state, const DrawSources& sources, UINT first, BufferStorage*& vertices);
    Trim TrimmedUserQuad(const DeviceState& state, Texture* texture, const void*& vertices, UINT stride);
    void ResolveInto(GLuint readTarget);
    void ForgetBuffer(std::uint64_t serial);

    std::shared_ptr<GlShared> gl_;
    BackBufferDesc desc_;
    bool clipControl_ = false;
    GLint maxTextureSize_ = 0;
    GLint maxSamples_ = 0;
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;   // draw target (multisampled when asked)
    GLuint resolveFbo_ = 0, resolveColour_ = 0;  // single-sampled copy for read-back and present

    std::uint32_t dirty_ = kAll;
    std::uint32_t worldDirty_ = 0xF;
    std::uint32_t version_[kGroups] = {1, 1, 1, 1, 1, 1};

    std::unordered_map<PipelineKey, Program, PipelineKeyHash> programs_;
    Program* program_ = nullptr;
    PipelineKey key_{};
    static constexpr std::uint8_t kAnyMaterial = 0xFF;
    std::uint8_t keyMaterial_ = kAnyMaterial;  // MaterialBits of the material key_ was made for
    ActiveLights lights_{};
    DWORD keyFvf_ = 0xFFFFFFFF;
    FvfLayout layout_{};

    float v_[vu::kCount][4] = {};
    float f_[fu::kCount][4] = {};
    int normalsValid_ = 0;  // world matrices whose normal rows are up to date

    GlRaster raster_;
    struct VaoKey {
        std::uint64_t serial;
        DWORD fvf;
        UINT stride;
        bool operator==(const VaoKey& o) const { return serial == o.serial && fvf == o.fvf && stride == o.stride; }
    };
    struct VaoKeyHash {
        std::size_t operator()(const VaoKey& k) const { return (k.serial * 1000003u) ^ (k.fvf * 31u) ^ k.stride; }
    };
    struct Vao {
        GLuint name = 0;
        std::uint64_t elements = 0;  // serial of the bound index buffer
    };
    std::unordered_map<VaoKey, Vao, VaoKeyHash> vaos_;
    Vao* vao_ = nullptr;
    VaoKey vaoKey_{0, 0xFFFFFFFF, 0};

    GLuint boundTexture_[kMaxStages] = {};
    GLuint boundSampler_[kMaxStages] = {};
    std::unordered_map<std::uint64_t, GLuint> samplers_;

    GLuint userVertices_ = 0, userIndices_ = 0;
    std::uint64_t userSerial_ = 0, userIndexSerial_ = 0;

    D3DDRAWSTATS stats_{};

    QuadTrimmer trimmer_;
    std::vector<BYTE> userQuad_;
    DrawCuller culler_;
    std::vector<DrawCuller::Run> runs_;
    std::vector<GLsizei> runCounts_;
    std::vector<const void*> runOffsets_;
    std::vector<GLint> runBases_;

    // Consecutive draws that differ only in world matrix and material, merged into one
    // instanced draw (the particle pattern).
    struct Batch {
        int count = 0;
        GLenum mode = 0;
        GLint first = 0;
        GLsizei vertices = 0;
        std::uint64_t serial = 0;
        UINT stride = 0;
        float rows[vu::kInstanceRows * vu::kBatch][4];
    };
    Batch batch_;
    bool merging_ = false;  // the GL has room for the per-instance uniforms
};

}  // namespace gpu
