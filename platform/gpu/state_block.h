// StateBlock: a set of device states and their values, as the device state plus a mask of the
// entries it holds.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "platform/com/com_ptr.h"
#include "platform/com/enum_table.h"
#include "platform/gpu/d3d8.h"
#include "platform/gpu/device_state.h"

namespace gpu {

// The families of state a block can hold, in the order a block applies them.
enum class StateField : std::uint8_t {
    kRenderState,
    kStageState,  // entry stage * D3D_TEXTURESTAGESTATE_COUNT + type
    kTexture,
    kTransform,  // entry TransformSlot(type)
    kLight,
    kLightEnable,
    kMaterial,
    kViewport,
    kFvf,
    kStream,
    kIndices,
    kCount
};
constexpr std::size_t kStateFields = com::kEnumCount<StateField>;

// How many entries each family has.
struct FieldSize {
    StateField field;
    std::size_t entries;
};
inline constexpr com::EnumTable<StateField, FieldSize> kFieldEntries = {{
    {StateField::kRenderState, D3D_RENDERSTATE_COUNT},
    {StateField::kStageState, D3D_MAX_TEXTURE_STAGES * D3D_TEXTURESTAGESTATE_COUNT},
    {StateField::kTexture, D3D_MAX_TEXTURE_STAGES},
    {StateField::kTransform, kTransformSlots},
    {StateField::kLight, kMaxLights},
    {StateField::kLightEnable, kMaxLights},
    {StateField::kMaterial, 1},
    {StateField::kViewport, 1},
    {StateField::kFvf, 1},
    {StateField::kStream, 1},
    {StateField::kIndices, 1},
}};
static_assert(com::RowsInEnumOrder(kFieldEntries, &FieldSize::field), "one row per state family, in order");

constexpr std::size_t FieldEntries(StateField f) { return kFieldEntries[com::EnumIndex(f)].entries; }

// Where a family's entries start among all entries, families in order.
constexpr std::size_t FieldFirst(std::size_t field) {
    std::size_t first = 0;
    for (std::size_t i = 0; i < field; ++i) first += kFieldEntries[i].entries;
    return first;
}

// Which entries of every family a block holds, one bit each.
class StateMask {
public:
    void Set(StateField f, std::size_t entry) { bits_.set(Bit(f, entry)); }
    bool Has(StateField f, std::size_t entry) const { return bits_.test(Bit(f, entry)); }
    bool Empty() const { return bits_.none(); }

private:
    static std::size_t Bit(StateField f, std::size_t entry) { return FieldFirst(static_cast<std::size_t>(f)) + entry; }
    std::bitset<FieldFirst(kStateFields)> bits_;
};

// The objects bound to a device, each held by one reference.
struct StreamBinding {
    ComPtr<IDirect3DVertexBuffer8> buffer;
    UINT stride = 0;
};
struct IndexBinding {
    ComPtr<IDirect3DIndexBuffer8> buffer;
    UINT baseVertex = 0;
};
struct Bindings {
    std::array<ComPtr<IDirect3DBaseTexture8>, D3D_MAX_TEXTURE_STAGES> textures;
    StreamBinding stream;
    IndexBinding indices;
};

struct StateBlock {
    DeviceState values;  // only the entries the mask holds are meaningful
    Bindings bound;
    StateMask mask;
};

// Which render states a pixel or vertex state block holds.
bool IsPixelRenderState(DWORD state);
bool IsVertexRenderState(DWORD state);
// Whether a block made by CreateStateBlock(type) holds entry `entry` of family `field`.
bool BlockTypeHolds(D3DSTATEBLOCKTYPE type, StateField field, std::size_t entry);

}  // namespace gpu
