// Operations on a model's frame tree: linking, lookup, transforms, drawing, bounds, bones.
#pragma once

#include <cstdint>
#include <memory>

#include "scene/model_hierarchy.h"

// Links child below parent. The first child stays first; later ones go right after it, so
// children added as c1, c2, c3 stand as c1, c3, c2.
void AddChild(ModelFrame& parent, std::unique_ptr<ModelFrame> child);
// Puts the container at the head of the frame's list.
void AddContainer(ModelFrame& frame, std::unique_ptr<MeshContainer> container);

// Depth first from start: start itself, its first child's subtree, then its later siblings.
// Exact, case-sensitive match; a frame without a name never matches.
ModelFrame* FindFrameByName(ModelFrame* start, const char* name);
// The root if it bears the name, else the root's children, else the root's siblings.
ModelFrame* FindFrameFromRoot(ModelFrame& root, const char* name);

// combined = local x parent x outer, then the same for every child.
HRESULT UpdateTransforms(ModelFrame& frame, const D3DXMATRIX& parent);

// Draws the frame's containers with its combined matrix as world transform, then its children.
// faces grows by the face count of each drawn container's mesh.
HRESULT DrawFrameTree(ModelFrame& frame, std::uint32_t& faces);
// Draws one container: its subsets with their materials and textures (skinned: blended).
HRESULT DrawContainer(MeshContainer& container);

// Fills the hierarchy's centre and radius from the vertices of its meshes (vertices exactly at
// the origin left out).
HRESULT MeasureBounds(ModelHierarchy& hierarchy);

// Points the bone matrices of every skinned container at the combined matrices of the frames
// bearing the bones' names (null for a bone no frame bears).
HRESULT BindBones(ModelFrame& frame, ModelHierarchy& hierarchy);
