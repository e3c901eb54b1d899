// ParticleSystem: a fixed population of textured, camera-facing squares emitted from a square
// patch, flying on ballistic paths and re-emitted as soon as their lifetime is over.
#pragma once

#include <vector>

#include "fx/billboard_quad.h"
#include "fx/camera.h"
#include "platform/math/d3dx8math.h"
#include "platform/com/com_ptr.h"
#include "platform/gpu/d3d8.h"

struct Particle {
    D3DXVECTOR3 startPosition;
    D3DXVECTOR3 velocity;  // world units per second
    D3DXVECTOR3 position;  // the one drawn
    float age = 0.0f;      // seconds since emission
    float lifetime = 0.0f;
    D3DCOLORVALUE colour{1.0f, 1.0f, 1.0f, 1.0f};  // material colour; may exceed 1
};

class ParticleSystem {
public:
    // Flags are non-zero for "on". Stores the arguments; the colour given to new particles is
    // white; no particles and no device objects exist until Load.
    ParticleSystem(unsigned count, float size, float originX, float originY, float originZ, float accelerationX,
                   float accelerationY, float accelerationZ, float spread, DWORD additive, float lifetimeRange,
                   DWORD fade, float gravity, DWORD jitter, DWORD fadeIn);
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;
    virtual ~ParticleSystem();

    // Creates the texture from the image file and the vertex buffer, emits count particles and
    // writes the quad. E_FAIL when the texture or the buffer cannot be created; a texture that
    // cannot be made leaves the file name in the error reporter's detail.
    HRESULT Load(const char* fileName);
    // Advances every particle by seconds; particles older than their lifetime are emitted anew.
    void Update(float seconds);
    // Draws every particle facing the camera. Afterwards blending is off, depth writes are on,
    // no texture is bound and the world transform is the identity. Returns 0.
    HRESULT Render(const Camera& camera);

    // Emits one particle afresh from the process-wide random sequence.
    void Respawn(Particle& particle) const;

    // Where new particles are emitted from; a scene may move it between frames (snow that
    // follows the camera). Particles already in flight keep their paths.
    void SetOrigin(const D3DXVECTOR3& newOrigin) { origin = newOrigin; }
    const std::vector<Particle>& Particles() const { return particles; }
    IDirect3DTexture8* Texture() const { return texture.Get(); }
    IDirect3DVertexBuffer8* VertexBuffer() const { return vertexBuffer.Get(); }

private:
    float lifetimeRange;
    DWORD fade;
    unsigned count;
    float size;
    float spread;
    D3DXVECTOR3 origin;
    D3DXVECTOR3 acceleration;
    std::vector<Particle> particles;
    D3DXMATRIX world;
    ComPtr<IDirect3DVertexBuffer8> vertexBuffer;
    ComPtr<IDirect3DTexture8> texture;
    DWORD additive;
    float gravity;
    D3DCOLORVALUE colour{1.0f, 1.0f, 1.0f, 1.0f};
    DWORD jitter;
    DWORD fadeIn;
};
