// The skinned mesh object: the mesh as loaded plus each bone's vertex weights; converts itself
// into a blended mesh for the device's vertex blending.
#pragma once

#include <vector>

#include "platform/d3dx/mesh_object.h"
#include "platform/d3dx/skin_blend.h"

namespace d3dx {

class SkinMesh final : public RefCounted<ID3DXSkinMesh> {
public:
    // Takes a reference on `mesh`.
    SkinMesh(Mesh* mesh, std::vector<SkinBone> bones);

    DWORD GetNumBones() override { return static_cast<DWORD>(bones_.size()); }
    DWORD GetNumFaces() override { return mesh_->GetNumFaces(); }
    DWORD GetNumVertices() override { return mesh_->GetNumVertices(); }
    DWORD GetFVF() override { return mesh_->GetFVF(); }
    DWORD GetOptions() override { return mesh_->GetOptions(); }
    HRESULT GetDevice(IDirect3DDevice8** device) override { return mesh_->GetDevice(device); }
    HRESULT GetOriginalMesh(ID3DXMesh** mesh) override;
    DWORD GetNumBoneInfluences(DWORD bone) override;
    HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) override;
    HRESULT GetMaxVertexInfluences(DWORD* maxVertexInfluences) override;
    HRESULT GetMaxFaceInfluences(DWORD* maxFaceInfluences) override;
    HRESULT ConvertToBlendedMesh(DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                 DWORD* numBoneCombinations, ID3DXBuffer** boneCombinationTable,
                                 ID3DXMesh** mesh) override;

private:
    HRESULT Convert(DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* numBoneCombinations,
                    ID3DXBuffer** boneCombinationTable, ID3DXMesh** mesh);

    ComPtr<Mesh> mesh_;
    std::vector<SkinBone> bones_;
};

// The combination records followed by their BoneId arrays of `influences` slots each
// (UNUSED32 in empty slots), the pointers pointing into the same buffer.
HRESULT MakeBoneCombinationBuffer(const std::vector<BoneCombination>& combinations, DWORD influences, ID3DXBuffer** out);

}  // namespace d3dx
