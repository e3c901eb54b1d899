// RenderList: the static, lit meshes of a scene and the lights that shine on them. Render sets the
// lights (list position = device light index), the camera matrices and the list's fixed states,
// then draws every subset of every instance. Instances and lights are not owned.
#pragma once

#include <vector>

#include "fx/camera.h"
#include "fx/light.h"
#include "fx/mesh_instance.h"
#include "platform/gpu/d3d8.h"

class RenderList {
public:
    static constexpr DWORD kAmbient = 0x00AAAAAA;
    static constexpr DWORD kAlphaReference = 8;

    // Turns device lighting on; it stays on unless a scene changes it.
    RenderList();
    // Disables device lights 0 .. light count - 1.
    virtual ~RenderList();
    RenderList(const RenderList&) = delete;
    RenderList& operator=(const RenderList&) = delete;

    // Append at the tail; a null pointer is ignored.
    void AddInstance(MeshInstance* instance);
    void AddLight(Light* light);

    // Afterwards alpha test, linear filtering, CCW culling, the lights, depth test on and
    // blending off stay set; texture stage 0 is left empty.
    void Render(const Camera& camera);

    // Exponential fog of the given ARGB colour and density; touches only device state.
    void EnableFog(D3DCOLOR colour, float density);
    void DisableFog();

    const std::vector<MeshInstance*>& Instances() const { return instances; }
    const std::vector<Light*>& Lights() const { return lights; }

private:
    void DrawInstance(IDirect3DDevice8* device, MeshInstance& instance);

    std::vector<MeshInstance*> instances;
    std::vector<Light*> lights;
};
