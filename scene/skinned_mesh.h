// Skinned meshes: conversion to a vertex-blended mesh at load, drawing with bone matrices.
#pragma once

#include <cstdint>
#include <span>

#include "scene/mesh_container.h"

// Matrices per vertex of a blended mesh of format fvf.
std::uint32_t BlendInfluences(DWORD fvf);

// Builds the container's blended mesh (split in two when the device blends only two
// matrices), its bone combinations, subset count, split subset and influences.
HRESULT BuildBlendedMesh(MeshContainer& container);

// Cuts an attribute-sorted mesh into the faces before attribute range `split` (first) and
// those from it on (second, indices rebased). Either output stays null when it would be empty.
HRESULT SplitBlendedMesh(ID3DXMesh* mesh, std::uint32_t split, std::span<const DWORD> adjacency, DWORD optionsFirst,
                         DWORD optionsSecond, ComPtr<ID3DXMesh>& first, ComPtr<ID3DXMesh>& second);

// Draws every bone combination of both meshes with its world matrices and material.
HRESULT DrawSkinnedContainer(MeshContainer& container);
