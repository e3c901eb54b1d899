// Meshes, skinned meshes and buffers of the D3DX 8 helper library, over our Direct3D 8 device.
//
// A mesh holds a vertex buffer in its FVF, an index buffer of 16-bit (or, with D3DXMESH_32BIT,
// 32-bit) triangle indices and one attribute id (material index) per face. After an
// ATTRSORT optimisation the attribute table lists one range of faces and vertices per id, and
// DrawSubset(id) draws only that range; without a table DrawSubset scans the attribute buffer.
#pragma once

#include "platform/math/d3dx8math.h"
#include "platform/gpu/d3d8.h"
#include "platform/xfile/dxfile.h"

// ---- Options --------------------------------------------------------------------------------

constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_DONOTCLIP = 0x002;
constexpr DWORD D3DXMESH_POINTS = 0x004;
constexpr DWORD D3DXMESH_RTPATCHES = 0x008;
constexpr DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
constexpr DWORD D3DXMESH_VB_MANAGED = 0x020;
constexpr DWORD D3DXMESH_VB_WRITEONLY = 0x040;
constexpr DWORD D3DXMESH_VB_DYNAMIC = 0x080;
constexpr DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
constexpr DWORD D3DXMESH_IB_MANAGED = 0x200;
constexpr DWORD D3DXMESH_IB_WRITEONLY = 0x400;
constexpr DWORD D3DXMESH_IB_DYNAMIC = 0x800;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;
constexpr DWORD D3DXMESH_WRITEONLY = 0x440;
constexpr DWORD D3DXMESH_DYNAMIC = 0x880;

// Optimisation flags, as numbered by the helper library version the show was written for.
// VERTEXCACHE and STRIPREORDER sort the faces by attribute too: they reorder faces within each
// attribute's range, and the result has an attribute table.
constexpr DWORD D3DXMESHOPT_COMPACT = 0x001;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x002;
constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x004;
constexpr DWORD D3DXMESHOPT_STRIPREORDER = 0x008;
constexpr DWORD D3DXMESHOPT_IGNOREVERTS = 0x010;
constexpr DWORD D3DXMESHOPT_SHAREVB = 0x020;

constexpr DWORD UNUSED32 = 0xFFFFFFFF;

// ---- Records --------------------------------------------------------------------------------

struct D3DXMATERIAL {
    D3DMATERIAL8 MatD3D;
    char* pTextureFilename;  // null when the material names no texture
};

struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

struct D3DXBONECOMBINATION {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
    DWORD* BoneId;  // influences-many bone indices, UNUSED32 for an empty slot
};

// ---- Interfaces -----------------------------------------------------------------------------

class ID3DXBuffer : public IUnknown {
public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

class ID3DXMesh;

class ID3DXBaseMesh : public IUnknown {
public:
    virtual HRESULT DrawSubset(DWORD attribId) = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetOptions() = 0;
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
    virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice8* device, ID3DXMesh** clone) = 0;
    virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer) = 0;
    virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer) = 0;
    virtual HRESULT LockVertexBuffer(DWORD flags, BYTE** data) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    virtual HRESULT LockIndexBuffer(DWORD flags, BYTE** data) = 0;
    virtual HRESULT UnlockIndexBuffer() = 0;
    // Two-call form: with `table` null only *size (the number of entries) is written.
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) = 0;
};

class ID3DXMesh : public ID3DXBaseMesh {
public:
    virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;
    // Any pointer argument but `flags` may be null. The remaps give, per new face or vertex,
    // the old index.
    virtual HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                             ID3DXBuffer** vertexRemap, ID3DXMesh** optimized) = 0;
    virtual HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                    ID3DXBuffer** vertexRemap) = 0;
};

class ID3DXSkinMesh : public IUnknown {
public:
    virtual DWORD GetNumBones() = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetOptions() = 0;
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
    virtual HRESULT GetOriginalMesh(ID3DXMesh** mesh) = 0;
    // Bone `bone`: the vertices it influences and their weights (two-call form as above).
    virtual DWORD GetNumBoneInfluences(DWORD bone) = 0;
    virtual HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) = 0;
    // The largest number of bones influencing one vertex, and one face.
    virtual HRESULT GetMaxVertexInfluences(DWORD* maxVertexInfluences) = 0;
    virtual HRESULT GetMaxFaceInfluences(DWORD* maxFaceInfluences) = 0;
    // Groups the faces into bone combinations of at most the device's MaxVertexBlendMatrices
    // bones each, sorted by attribute, with the weights packed into an XYZBn format (the last
    // weight implied). *boneCombinationTable holds *numBoneCombinations D3DXBONECOMBINATION
    // records followed by their BoneId arrays; each record's BoneId has influences-many slots.
    virtual HRESULT ConvertToBlendedMesh(DWORD options, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                         DWORD* numBoneCombinations, ID3DXBuffer** boneCombinationTable,
                                         ID3DXMesh** mesh) = 0;
};

// ---- Functions ------------------------------------------------------------------------------

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer);
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                          ID3DXMesh** mesh);
UINT D3DXGetFVFVertexSize(DWORD fvf);

// Axis-aligned bounds and a bounding sphere (centre = the mean of the points, radius = the
// largest distance from it) of `numVertices` positions, the first three floats of each vertex of
// format `fvf`.
HRESULT D3DXComputeBoundingBox(const void* pointsFVF, DWORD numVertices, DWORD fvf, D3DXVECTOR3* min, D3DXVECTOR3* max);
HRESULT D3DXComputeBoundingSphere(const void* pointsFVF, DWORD numVertices, DWORD fvf, D3DXVECTOR3* centre,
                                  float* radius);

// Reads the first Mesh object of an X file (top level or inside frames, its frame transforms
// ignored). *materials holds *numMaterials D3DXMATERIAL records, then their texture names.
// *adjacency holds three words per face (UNUSED32 where a face edge has no neighbour).
HRESULT D3DXLoadMeshFromX(const char* filename, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                          ID3DXBuffer** materials, DWORD* numMaterials, ID3DXMesh** mesh);

// Reads one Mesh data object with its children (MeshNormals, MeshTextureCoords,
// MeshVertexColors, MeshMaterialList with Material and TextureFilename as children or
// references, XSkinMeshHeader, SkinWeights). *boneNames holds GetNumBones() char* names (then
// their text), *boneTransforms GetNumBones() D3DXMATRIX offsets; for a mesh without bones both
// are empty buffers and GetNumBones() is 0. Out pointers other than `mesh` may be null.
HRESULT D3DXLoadSkinMeshFromXof(IDirectXFileData* xofMesh, DWORD options, IDirect3DDevice8* device,
                                ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* numMaterials,
                                ID3DXBuffer** boneNames, ID3DXBuffer** boneTransforms, ID3DXSkinMesh** mesh);
