#include "scene/frame_tree.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <functional>

#include "render/render_device.h"
#include "scene/skinned_mesh.h"

void AddChild(ModelFrame& parent, std::unique_ptr<ModelFrame> child) {
    if (!child) return;
    if (!parent.firstChild) {
        parent.firstChild = std::move(child);
        return;
    }
    child->sibling = std::move(parent.firstChild->sibling);
    parent.firstChild->sibling = std::move(child);
}

void AddContainer(ModelFrame& frame, std::unique_ptr<MeshContainer> container) {
    if (!container) return;
    container->next = std::move(frame.containers);
    frame.containers = std::move(container);
}

ModelFrame* FindFrameByName(ModelFrame* start, const char* name) {
    if (!name) return nullptr;
    for (ModelFrame* frame = start; frame; frame = frame->sibling.get()) {
        if (frame->name && *frame->name == name) return frame;
        if (ModelFrame* found = FindFrameByName(frame->firstChild.get(), name)) return found;
    }
    return nullptr;
}

ModelFrame* FindFrameFromRoot(ModelFrame& root, const char* name) {
    if (!name) return nullptr;
    if (root.name && *root.name == name) return &root;
    if (ModelFrame* found = FindFrameByName(root.firstChild.get(), name)) return found;
    return FindFrameByName(root.sibling.get(), name);
}

HRESULT UpdateTransforms(ModelFrame& frame, const D3DXMATRIX& parent) {
    frame.combined = frame.local * parent * frame.outer;
    for (ModelFrame* child = frame.firstChild.get(); child; child = child->sibling.get()) {
        const HRESULT hr = UpdateTransforms(*child, frame.combined);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT DrawContainer(MeshContainer& container) {
    if (container.skin) return DrawSkinnedContainer(container);
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return E_FAIL;
    if (!container.mesh) return S_OK;
    // Never index past the material arrays, whatever the counts say.
    const std::uint32_t count = std::min<std::size_t>(
        container.subsetCount, std::min(container.materials.size(), container.textures.size()));
    for (std::uint32_t i = 0; i < count; ++i) {
        device->SetMaterial(&container.materials[i]);
        device->SetTexture(0, container.textures[i].Get());
        const HRESULT hr = container.mesh->DrawSubset(i);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT DrawFrameTree(ModelFrame& frame, std::uint32_t& faces) {
    if (frame.containers) {
        IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
        if (!device) return E_FAIL;
        HRESULT hr = device->SetTransform(D3DTS_WORLD, &frame.combined);
        if (FAILED(hr)) return hr;
        for (MeshContainer* c = frame.containers.get(); c; c = c->next.get()) {
            hr = DrawContainer(*c);
            if (FAILED(hr)) return hr;
            if (c->mesh) faces += c->mesh->GetNumFaces();
        }
    }
    for (ModelFrame* child = frame.firstChild.get(); child; child = child->sibling.get()) {
        const HRESULT hr = DrawFrameTree(*child, faces);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

namespace {

using PositionVisitor = std::function<void(const D3DXVECTOR3&)>;

// Calls visit with every vertex position not exactly at the origin, transformed by the frames'
// local matrices down from the given parent (outer matrices are not used).
HRESULT VisitPositions(ModelFrame& frame, const D3DXMATRIX& parent, const PositionVisitor& visit) {
    const D3DXMATRIX pass = frame.local * parent;
    for (MeshContainer* c = frame.containers.get(); c; c = c->next.get()) {
        if (!c->mesh) continue;
        const UINT stride = D3DXGetFVFVertexSize(c->mesh->GetFVF());
        const DWORD count = c->mesh->GetNumVertices();
        BYTE* data = nullptr;
        const HRESULT hr = c->mesh->LockVertexBuffer(0, &data);
        if (FAILED(hr)) return hr;
        if (data && stride >= 3 * sizeof(float)) {
            for (DWORD v = 0; v < count; ++v) {
                float p[3];
                std::memcpy(p, data + std::size_t(v) * stride, sizeof(p));
                if (p[0] == 0.0f && p[1] == 0.0f && p[2] == 0.0f) continue;
                const D3DXVECTOR3 position(p[0], p[1], p[2]);
                D3DXVECTOR3 moved;
                D3DXVec3TransformCoord(&moved, &position, &pass);
                visit(moved);
            }
        }
        c->mesh->UnlockVertexBuffer();
    }
    for (ModelFrame* child = frame.firstChild.get(); child; child = child->sibling.get()) {
        const HRESULT hr = VisitPositions(*child, pass, visit);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT MeasureBounds(ModelHierarchy& hierarchy) {
    if (!hierarchy.root) return E_FAIL;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    double sum[3] = {0.0, 0.0, 0.0};
    std::uint64_t count = 0;
    HRESULT hr = VisitPositions(*hierarchy.root, identity, [&](const D3DXVECTOR3& p) {
        sum[0] += p.x;
        sum[1] += p.y;
        sum[2] += p.z;
        ++count;
    });
    if (FAILED(hr)) return hr;
    if (count == 0) {
        hierarchy.centre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        hierarchy.radius = 0.0f;
        return S_OK;
    }
    const D3DXVECTOR3 centre(float(sum[0] / double(count)), float(sum[1] / double(count)),
                             float(sum[2] / double(count)));
    float largest = 0.0f;
    hr = VisitPositions(*hierarchy.root, identity, [&](const D3DXVECTOR3& p) {
        const D3DXVECTOR3 d = p - centre;
        largest = std::max(largest, D3DXVec3LengthSq(&d));
    });
    if (FAILED(hr)) return hr;
    hierarchy.centre = centre;
    hierarchy.radius = std::sqrt(largest);
    return S_OK;
}

HRESULT BindBones(ModelFrame& frame, ModelHierarchy& hierarchy) {
    for (MeshContainer* c = frame.containers.get(); c; c = c->next.get()) {
        if (!c->skin) continue;
        const std::uint32_t bones = c->BoneCount();
        c->boneMatrices.assign(bones, nullptr);
        for (std::uint32_t i = 0; i < bones && hierarchy.root; ++i) {
            ModelFrame* bone = FindFrameFromRoot(*hierarchy.root, c->BoneName(i));
            c->boneMatrices[i] = bone ? &bone->combined : nullptr;
        }
    }
    for (ModelFrame* child = frame.firstChild.get(); child; child = child->sibling.get()) {
        BindBones(*child, hierarchy);
    }
    return S_OK;
}
