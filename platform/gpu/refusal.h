// Why the device refused a call. A refused call draws or changes nothing, so without a word the
// fault shows only as a missing picture: every refusal names its method, argument and reason on
// stderr, once per process (a per-frame misuse must not flood the log), and is counted.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/enum_table.h"
#include "platform/gpu/d3d8types.h"

namespace gpu {

// X(item, method, argument, reason): the line reads "<method> refused: <argument> <reason>".
#define ORRERY_GPU_REFUSALS(X)                                                                                  \
    X(GetAdapterDisplayModeAdapter, "GetAdapterDisplayMode", "adapter", "is not the default adapter")          \
    X(GetAdapterDisplayModeMode, "GetAdapterDisplayMode", "mode", "is null")                                   \
    X(GetAdapterCapsAdapter, "IDirect3D8::GetDeviceCaps", "adapter", "is not the default adapter")             \
    X(GetAdapterCapsCaps, "IDirect3D8::GetDeviceCaps", "caps", "is null")                                      \
    X(GetAdapterCapsType, "IDirect3D8::GetDeviceCaps", "device type", "is neither HAL nor REF")                \
    X(CreateDeviceDevice, "CreateDevice", "device", "is null")                                                 \
    X(CreateDeviceParams, "CreateDevice", "present parameters", "are null")                                    \
    X(CreateDeviceAdapter, "CreateDevice", "adapter", "is not the default adapter")                            \
    X(CreateDeviceWindow, "CreateDevice", "window", "is null in both the parameters and the focus window")     \
    X(CreateDeviceProcessing, "CreateDevice", "flags", "do not ask for exactly one kind of vertex processing") \
    X(CreateDeviceFormat, "CreateDevice", "back buffer format", "is not X8R8G8B8, A8R8G8B8 or R5G6B5")         \
    X(CreateDeviceSize, "CreateDevice", "back buffer size", "is over 16384 on a side")                         \
    X(CreateDeviceMultiSample, "CreateDevice", "multisample type", "is neither none nor 2 to 16 samples")       \
    X(GetDeviceCapsCaps, "GetDeviceCaps", "caps", "is null")                                                   \
    X(GetDisplayModeMode, "GetDisplayMode", "mode", "is null")                                                 \
    X(ClearFlags, "Clear", "flags", "hold bits other than target, z buffer and stencil")                       \
    X(ClearRects, "Clear", "rects", "is null with a count above 0")                                            \
    X(BeginSceneTwice, "BeginScene", "the scene", "is already begun")                                          \
    X(EndSceneNotBegun, "EndScene", "the scene", "was not begun")                                              \
    X(PresentContext, "Present", "the device", "has no GL context to present with")                            \
    X(SetViewportNull, "SetViewport", "viewport", "is null")                                                   \
    X(SetViewportRect, "SetViewport", "viewport", "is empty, leaves the back buffer or has depths outside 0..1") \
    X(GetViewportNull, "GetViewport", "viewport", "is null")                                                   \
    X(SetRenderStateState, "SetRenderState", "state", "is not a render state")                                 \
    X(GetRenderStateState, "GetRenderState", "state", "is not a render state")                                 \
    X(GetRenderStateValue, "GetRenderState", "value", "is null")                                               \
    X(SetStageStateStage, "SetTextureStageState", "stage", "is past the last stage")                           \
    X(SetStageStateType, "SetTextureStageState", "type", "is not a stage state")                               \
    X(GetStageStateStage, "GetTextureStageState", "stage", "is past the last stage")                           \
    X(GetStageStateType, "GetTextureStageState", "type", "is not a stage state")                               \
    X(GetStageStateValue, "GetTextureStageState", "value", "is null")                                          \
    X(SetTransformType, "SetTransform", "type", "is not a transform")                                          \
    X(SetTransformMatrix, "SetTransform", "matrix", "is null")                                                 \
    X(GetTransformType, "GetTransform", "type", "is not a transform")                                          \
    X(GetTransformMatrix, "GetTransform", "matrix", "is null")                                                 \
    X(MultiplyTransformType, "MultiplyTransform", "type", "is not a transform")                                \
    X(MultiplyTransformMatrix, "MultiplyTransform", "matrix", "is null")                                       \
    X(SetMaterialNull, "SetMaterial", "material", "is null")                                                   \
    X(GetMaterialNull, "GetMaterial", "material", "is null")                                                   \
    X(SetLightIndex, "SetLight", "index", "is past the last light")                                            \
    X(SetLightNull, "SetLight", "light", "is null")                                                            \
    X(SetLightType, "SetLight", "light type", "is not point, spot or directional")                             \
    X(SetLightRange, "SetLight", "range", "is negative or NaN")                                                \
    X(GetLightIndex, "GetLight", "index", "is past the last light")                                            \
    X(GetLightNull, "GetLight", "light", "is null")                                                            \
    X(GetLightUnset, "GetLight", "light", "was never set")                                                     \
    X(LightEnableIndex, "LightEnable", "index", "is past the last light")                                      \
    X(GetLightEnableIndex, "GetLightEnable", "index", "is past the last light")                                \
    X(GetLightEnableNull, "GetLightEnable", "enable", "is null")                                               \
    X(SetTextureStage, "SetTexture", "stage", "is past the last stage")                                        \
    X(SetTextureForeign, "SetTexture", "texture", "is not one of this device's")                               \
    X(GetTextureStage, "GetTexture", "stage", "is past the last stage")                                        \
    X(GetTextureNull, "GetTexture", "texture", "is null")                                                      \
    X(SetVertexShaderFvf, "SetVertexShader", "FVF", "is not a vertex format this device draws")                \
    X(GetVertexShaderNull, "GetVertexShader", "FVF", "is null")                                                \
    X(SetStreamSourceStream, "SetStreamSource", "stream", "is not 0, the only stream")                         \
    X(SetStreamSourceForeign, "SetStreamSource", "vertex buffer", "is not one of this device's")               \
    X(SetIndicesForeign, "SetIndices", "index buffer", "is not one of this device's")                          \
    X(DrawFvf, "Draw", "the FVF", "is not a vertex format this device draws")                                  \
    X(DrawContext, "Draw", "the device", "has no GL context to draw with")                                     \
    X(DrawPrimitiveStream, "DrawPrimitive", "stream 0", "has no vertex buffer")                                \
    X(DrawPrimitiveStride, "DrawPrimitive", "stride", "is 0")                                                  \
    X(DrawPrimitiveCount, "DrawPrimitive", "primitive count", "is 0 or over the most a draw takes")            \
    X(DrawPrimitiveType, "DrawPrimitive", "primitive type", "is not one this device draws")                    \
    X(DrawPrimitiveRange, "DrawPrimitive", "vertex range", "runs past the vertex buffer")                      \
    X(DrawIndexedStream, "DrawIndexedPrimitive", "stream 0", "has no vertex buffer")                           \
    X(DrawIndexedIndices, "DrawIndexedPrimitive", "indices", "have no index buffer")                           \
    X(DrawIndexedStride, "DrawIndexedPrimitive", "stride", "is 0")                                             \
    X(DrawIndexedCount, "DrawIndexedPrimitive", "primitive count", "is 0 or over the most a draw takes")       \
    X(DrawIndexedType, "DrawIndexedPrimitive", "primitive type", "is not one this device draws")               \
    X(DrawIndexedIndexRange, "DrawIndexedPrimitive", "index range", "runs past the index buffer")              \
    X(DrawIndexedVertexRange, "DrawIndexedPrimitive", "an index", "points past the vertex buffer")             \
    X(DrawUpPointers, "DrawPrimitiveUP", "vertices", "is null")                                                \
    X(DrawUpStride, "DrawPrimitiveUP", "stride", "is 0 or over 65535")                                         \
    X(DrawUpCount, "DrawPrimitiveUP", "primitive count", "is over the most a draw takes")                      \
    X(DrawUpNoVertices, "DrawPrimitiveUP", "primitive type and count", "give no vertices")                     \
    X(DrawIndexedUpPointers, "DrawIndexedPrimitiveUP", "vertices or indices", "is null")                       \
    X(DrawIndexedUpStride, "DrawIndexedPrimitiveUP", "stride", "is 0 or over 65535")                           \
    X(DrawIndexedUpCount, "DrawIndexedPrimitiveUP", "primitive count", "is over the most a draw takes")        \
    X(DrawIndexedUpNoVertices, "DrawIndexedPrimitiveUP", "primitive type and count", "give no vertices")       \
    X(DrawIndexedUpVertices, "DrawIndexedPrimitiveUP", "minimum index or vertex count", "is 0 or past 2^24")   \
    X(DrawIndexedUpFormat, "DrawIndexedPrimitiveUP", "index format", "is neither INDEX16 nor INDEX32")         \
    X(DrawIndexedUpIndex, "DrawIndexedPrimitiveUP", "an index", "is outside the vertices given")               \
    X(CreateTextureOut, "CreateTexture", "texture", "is null")                                                 \
    X(CreateTextureContext, "CreateTexture", "the device", "has no GL context to make it with")                \
    X(CreateTextureFormat, "CreateTexture", "format", "is not supported")                                      \
    X(CreateTextureEmpty, "CreateTexture", "size", "has no texels")                                            \
    X(CreateTextureTooLarge, "CreateTexture", "size", "is larger than this GL's textures")                     \
    X(CreateVertexBufferOut, "CreateVertexBuffer", "vertex buffer", "is null")                                 \
    X(CreateVertexBufferLength, "CreateVertexBuffer", "length", "is 0")                                        \
    X(CreateVertexBufferContext, "CreateVertexBuffer", "the device", "has no GL context to make it with")      \
    X(CreateIndexBufferOut, "CreateIndexBuffer", "index buffer", "is null")                                    \
    X(CreateIndexBufferLength, "CreateIndexBuffer", "length", "is 0")                                          \
    X(CreateIndexBufferFormat, "CreateIndexBuffer", "format", "is neither INDEX16 nor INDEX32")                \
    X(CreateIndexBufferContext, "CreateIndexBuffer", "the device", "has no GL context to make it with")        \
    X(ReadBackContext, "ReadBackBuffer", "the device", "has no GL context to read with")                       \
    X(BufferGetDeviceNull, "buffer GetDevice", "device", "is null")                                            \
    X(BufferGetDeviceGone, "buffer GetDevice", "the buffer's device", "is gone")                               \
    X(BufferLockData, "Lock", "data", "is null")                                                               \
    X(BufferLockTwice, "Lock", "the buffer", "is already locked")                                              \
    X(BufferLockRange, "Lock", "offset and size", "run past the buffer")                                       \
    X(BufferUnlockNotLocked, "Unlock", "the buffer", "is not locked")                                          \
    X(VertexBufferDescNull, "vertex buffer GetDesc", "desc", "is null")                                        \
    X(IndexBufferDescNull, "index buffer GetDesc", "desc", "is null")                                          \
    X(TextureGetDeviceNull, "texture GetDevice", "device", "is null")                                          \
    X(TextureGetDeviceGone, "texture GetDevice", "the texture's device", "is gone")                            \
    X(GetLevelDescLevel, "GetLevelDesc", "level", "is past the last level")                                    \
    X(GetLevelDescNull, "GetLevelDesc", "desc", "is null")                                                     \
    X(LockRectLevel, "LockRect", "level", "is past the last level")                                            \
    X(LockRectNull, "LockRect", "locked rect", "is null")                                                      \
    X(LockRectTwice, "LockRect", "the level", "is already locked")                                             \
    X(LockRectRect, "LockRect", "rect", "is empty or leaves the level")                                        \
    X(UnlockRectLevel, "UnlockRect", "level", "is past the last level")                                        \
    X(UnlockRectNotLocked, "UnlockRect", "the level", "is not locked")                                         \
    X(BeginStateBlockTwice, "BeginStateBlock", "a block", "is already being recorded")                         \
    X(EndStateBlockNotBegun, "EndStateBlock", "no block", "is being recorded")                                 \
    X(EndStateBlockToken, "EndStateBlock", "token", "is null")                                                 \
    X(ApplyStateBlockToken, "ApplyStateBlock", "token", "names no block")                                      \
    X(ApplyStateBlockRecording, "ApplyStateBlock", "a block", "is being recorded")                             \
    X(CaptureStateBlockToken, "CaptureStateBlock", "token", "names no block")                                  \
    X(CaptureStateBlockRecording, "CaptureStateBlock", "a block", "is being recorded")                         \
    X(DeleteStateBlockToken, "DeleteStateBlock", "token", "names no block")                                    \
    X(CreateStateBlockToken, "CreateStateBlock", "token", "is null")                                           \
    X(CreateStateBlockRecording, "CreateStateBlock", "a block", "is being recorded")                           \
    X(CreateStateBlockType, "CreateStateBlock", "type", "is not ALL, PIXELSTATE or VERTEXSTATE")

enum class Refusal : std::uint16_t {
#define ORRERY_GPU_REFUSAL_ENUM(item, method, argument, reason) k##item,
    ORRERY_GPU_REFUSALS(ORRERY_GPU_REFUSAL_ENUM)
#undef ORRERY_GPU_REFUSAL_ENUM
        kCount
};

struct RefusalText {
    Refusal item;
    const char* method;
    const char* argument;
    const char* reason;
};

inline constexpr com::EnumTable<Refusal, RefusalText> kRefusals = {{
#define ORRERY_GPU_REFUSAL_ROW(item, method, argument, reason) {Refusal::k##item, method, argument, reason},
    ORRERY_GPU_REFUSALS(ORRERY_GPU_REFUSAL_ROW)
#undef ORRERY_GPU_REFUSAL_ROW
}};
static_assert(com::RowsInEnumOrder(kRefusals, &RefusalText::item));

// Counts the refusal, writes its line the first time it fires (ending in `detail`, in
// parentheses, when one is given) and returns D3DERR_INVALIDCALL, so that a refusing check reads
// `return Refuse(...)`.
HRESULT Refuse(Refusal item);
HRESULT Refuse(Refusal item, const std::string& detail);

// "<method> refused: <argument> <reason>", the line without its prefix.
std::string RefusalMessage(Refusal item);

// For tests: how often an item fired since the last reset, the sum over all items, and a reset
// (which also lets each item's line be written once more).
std::uint64_t RefusalCount(Refusal item);
std::uint64_t RefusalTotal();
void ResetRefusals();

}  // namespace gpu
