// MeshContainer: one Mesh object of an X file with its materials, textures and skinning data.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx8mesh.h"
#include "platform/com/com_ptr.h"

struct MeshContainer {
    MeshContainer() = default;
    ~MeshContainer();
    MeshContainer(const MeshContainer&) = delete;
    MeshContainer& operator=(const MeshContainer&) = delete;

    // Rigid: the mesh as loaded. Skinned: the blended mesh, or its first part after a split.
    ComPtr<ID3DXMesh> mesh;
    // Skinned and split only: the part drawn with software vertex processing.
    ComPtr<ID3DXMesh> secondMesh;
    std::vector<D3DMATERIAL8> materials;
    // One per material; null where there is no texture or it failed to load.
    std::vector<ComPtr<IDirect3DTexture8>> textures;
    std::uint32_t subsetCount = 0;
    std::uint32_t materialCount = 0;
    // First bone combination that lives in the second mesh.
    std::uint32_t splitSubset = 0;
    std::unique_ptr<MeshContainer> next;
    std::optional<std::string> name;

    ComPtr<ID3DXSkinMesh> skin;
    // Per bone: the combined matrix of the frame bearing the bone's name; null when no frame does.
    std::vector<const D3DXMATRIX*> boneMatrices;
    ComPtr<ID3DXBuffer> boneNames;
    ComPtr<ID3DXBuffer> boneOffsets;
    // Into boneOffsets; one matrix per bone.
    const D3DXMATRIX* boneOffsetMatrices = nullptr;
    std::vector<std::uint32_t> adjacency;
    std::uint32_t influences = 0;
    ComPtr<ID3DXBuffer> boneCombinations;
    // Whether the blended mesh of a skinned container has been built; a draw that finds it
    // pending builds it first.
    enum class Blending : std::uint32_t { Pending = 3, Built = 0 };
    Blending blending = Blending::Pending;
    // A draw's build of the blended mesh failed and said so on stderr; later draws keep trying
    // without repeating the message every frame.
    bool blendFailureReported = false;

    // Number of bones of the skin (0 for a rigid mesh).
    std::uint32_t BoneCount() const;
    // The name of bone i, or null when the bone-name buffer does not hold it.
    const char* BoneName(std::uint32_t i) const;
};
