#include "fx/particle_system.h"

#include <cmath>

#include "app/error_reporter.h"
#include "fx/particle_system_random.h"
#include "platform/d3dx/d3dx8tex.h"
#include "render/render_device.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kQuarterPi = 0.7853982f;

// A spread or lifetime range below 1 would truncate to a divisor of 0; such a system behaves
// as if given 1 (whole-number offsets of 0, lifetimes of 0.3 s).
unsigned Divisor(float value) {
    const unsigned whole = value >= 1.0f ? static_cast<unsigned>(value) : 0u;
    return whole == 0 ? 1u : whole;
}

}  // namespace

ParticleSystem::ParticleSystem(unsigned count, float size, float originX, float originY, float originZ,
                               float accelerationX, float accelerationY, float accelerationZ, float spread,
                               DWORD additive, float lifetimeRange, DWORD fade, float gravity, DWORD jitter,
                               DWORD fadeIn)
    : lifetimeRange(lifetimeRange),
      fade(fade),
      count(count),
      size(size),
      spread(spread),
      origin(originX, originY, originZ),
      acceleration(accelerationX, accelerationY, accelerationZ),
      additive(additive),
      gravity(gravity),
      jitter(jitter),
      fadeIn(fadeIn) {}

ParticleSystem::~ParticleSystem() = default;

void ParticleSystem::Respawn(Particle& particle) const {
    using particle_random::kUnit;
    using particle_random::Next;
    const unsigned spreadDivisor = Divisor(spread);

    const float phi = static_cast<float>(Next()) * kUnit * kTwoPi;
    const float theta = static_cast<float>(Next()) * kUnit * kQuarterPi;
    Next();  // drawn and not used
    const unsigned ry = Next() % spreadDivisor;
    const unsigned rx = Next() % spreadDivisor;
    particle.startPosition = D3DXVECTOR3(static_cast<float>(rx) + origin.x, static_cast<float>(ry) + origin.y, origin.z);

    particle.velocity = D3DXVECTOR3(std::sin(theta) * std::cos(phi) * 2.5f, std::sin(theta) * std::sin(phi) * 2.5f,
                                    std::cos(theta));
    if (jitter) {
        particle.velocity.z = static_cast<float>(Next()) * kUnit * (spread * 0.1f) * particle.velocity.z;
        const float f = static_cast<float>(Next()) * kUnit;
        const unsigned m = Next() % 2;
        particle.startPosition.x = particle.startPosition.x - (f + static_cast<float>(m));
    } else {
        particle.velocity.z = static_cast<float>(Next()) * kUnit * spread * particle.velocity.z;
    }

    particle.position = particle.startPosition;
    particle.colour = colour;
    particle.age = static_cast<float>(Next() % 2);
    particle.lifetime = static_cast<float>((Next() % Divisor(lifetimeRange)) / 10) + 0.3f;
}

HRESULT ParticleSystem::Load(const char* fileName) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device || !fileName || FAILED(D3DXCreateTextureFromFileA(device, fileName, texture.Receive()))) {
        // The file's name is left for whoever reports the failure, as the other loaders do.
        texture.Reset();
        ErrorReporter::Instance().SetDetail(fileName);
        return E_FAIL;
    }
    if (FAILED(device->CreateVertexBuffer(count * kBillboardQuadBytes, 0, kBillboardVertexFormat, D3DPOOL_DEFAULT,
                                          vertexBuffer.Receive()))) {
        vertexBuffer.Reset();
        return E_FAIL;
    }
    particles.clear();
    particles.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        Particle particle;
        Respawn(particle);
        particles.push_back(particle);
    }
    if (FAILED(WriteBillboardQuad(vertexBuffer.Get(), size))) return E_FAIL;
    return S_OK;
}

void ParticleSystem::Update(float seconds) {
    for (Particle& particle : particles) {
        const float t = particle.age + seconds;
        particle.age = t;

        particle.position.x = particle.startPosition.x + particle.velocity.x * t;
        particle.position.y = particle.startPosition.y + particle.velocity.y * t;
        particle.position.z = particle.startPosition.z + particle.velocity.z * t - gravity * 0.5f * t * t;

        particle.velocity.x += acceleration.x * t;
        particle.velocity.y += acceleration.y * t;
        particle.velocity.z += acceleration.z * t;

        if (fade) {
            float c = particle.lifetime / t - 0.8f;
            if (fadeIn) {
                c = 1.0f - c;
                if (c < 0.0f) c = 0.0f;
            }
            particle.colour = {c, c, c, c};
        }

        if (t > particle.lifetime) Respawn(particle);
    }
}

HRESULT ParticleSystem::Render(const Camera& camera) {
    IDirect3DDevice8* device = RenderDevice::Instance().GetDevice();
    if (!device) return S_OK;

    world = BeginFacingQuads(device, camera, additive, texture.Get(), vertexBuffer.Get());

    for (const Particle& particle : particles) {
        D3DMATERIAL8 material{};
        material.Diffuse = particle.colour;
        material.Ambient = particle.colour;
        device->SetMaterial(&material);
        world._41 = particle.position.x;
        world._42 = particle.position.y;
        world._43 = particle.position.z;
        device->SetTransform(D3DTS_WORLD, &world);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }

    EndFacingQuads(device);
    return S_OK;
}
