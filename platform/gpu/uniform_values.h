// UniformValues: the values of the programs' uniform rows (uniform_layout.h), kept on the CPU
// and derived from the device state only where it was marked changed. Each group counts its
// changes, so a program uploads a group only when it has not seen the latest values.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gpu/device_state.h"
#include "platform/gpu/pipeline_key.h"
#include "platform/gpu/uniform_layout.h"

namespace gpu {

class UniformValues {
public:
    UniformValues() { version_.fill(1); }

    void MarkWorld(DWORD index) { worldDirty_ |= 1u << index; }
    // World matrices other than the first changed and are not derived yet.
    bool OtherWorldsChanged() const { return (worldDirty_ & ~1u) != 0; }

    // Derives the groups marked in `dirty` (dirty_state.h) and clears their bits. The normal
    // rows of the world matrices are made only as far as programs of `key` read them; `lights`
    // are the lights the program handles.
    void Derive(const DeviceState& state, std::uint32_t& dirty, const PipelineKey& key, const ActiveLights& lights);

    std::uint32_t Version(UniformGroup group) const { return version_[static_cast<int>(group)]; }
    const float* Vertex(int row) const { return vertex_[row]; }
    const float* Fragment(int row) const { return fragment_[row]; }

private:
    void DeriveWorlds(const DeviceState& state);
    void DeriveNormals(int needed);
    void DeriveLights(const DeviceState& state, const ActiveLights& lights);
    void Changed(UniformGroup group) { ++version_[static_cast<int>(group)]; }

    float vertex_[vertex_uniforms::kCount][4] = {};
    float fragment_[fragment_uniforms::kCount][4] = {};
    std::uint32_t worldDirty_ = (1u << kWorldMatrices) - 1;
    int normalsValid_ = 0;  // world matrices whose normal rows are up to date
    std::array<std::uint32_t, kUniformGroups> version_{};
};

}  // namespace gpu
