#include "fx/particle_system.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "fx/particle_system_random.h"
#include "tests/fx/particle_effect_fixture.h"

namespace {

using testpixels::Channel;

// An independent model of emission, written from the emitter's description: the classic rand
// from state 1 and the draws of one emission in their order. The process-wide sequence of the
// system under test goes on from whatever earlier tests emitted, so each test starts it over.
class ReferenceRand {
public:
    unsigned Next() {
        state = state * 214013u + 2531011u;
        return (state >> 16) & 0x7FFFu;
    }
    float Unit() { return static_cast<float>(Next()) * 3.0518509e-05f; }

private:
    std::uint32_t state = 1;
};

struct Emitted {
    float start[3];
    float velocity[3];
    float age;
    float lifetime;
};

Emitted ReferenceEmit(ReferenceRand& rand, float ox, float oy, float oz, float spread, float lifetimeRange,
                      bool jitter) {
    Emitted e{};
    const float phi = rand.Unit() * 6.2831855f;
    const float theta = rand.Unit() * 0.7853982f;
    rand.Next();
    const unsigned whole = static_cast<unsigned>(spread);
    const unsigned ry = rand.Next() % whole;
    const unsigned rx = rand.Next() % whole;
    e.start[0] = static_cast<float>(rx) + ox;
    e.start[1] = static_cast<float>(ry) + oy;
    e.start[2] = oz;
    e.velocity[0] = std::sin(theta) * std::cos(phi) * 2.5f;
    e.velocity[1] = std::sin(theta) * std::sin(phi) * 2.5f;
    e.velocity[2] = std::cos(theta);
    if (jitter) {
        e.velocity[2] = rand.Unit() * (spread * 0.1f) * e.velocity[2];
        const float f = rand.Unit();
        const unsigned m = rand.Next() % 2;
        e.start[0] -= f + static_cast<float>(m);
    } else {
        e.velocity[2] = rand.Unit() * spread * e.velocity[2];
    }
    e.age = static_cast<float>(rand.Next() % 2);
    e.lifetime = static_cast<float>((rand.Next() % static_cast<unsigned>(lifetimeRange)) / 10) + 0.3f;
    return e;
}

void ExpectMatches(const Particle& p, const Emitted& e, int index) {
    SCOPED_TRACE(testing::Message() << "particle " << index);
    const float start[3] = {p.startPosition.x, p.startPosition.y, p.startPosition.z};
    const float velocity[3] = {p.velocity.x, p.velocity.y, p.velocity.z};
    const float position[3] = {p.position.x, p.position.y, p.position.z};
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(start[k], e.start[k]) << k;
        EXPECT_FLOAT_EQ(velocity[k], e.velocity[k]) << k;
        EXPECT_EQ(position[k], start[k]) << k;
    }
    EXPECT_EQ(p.age, e.age);
    EXPECT_FLOAT_EQ(p.lifetime, e.lifetime);
    EXPECT_EQ(p.colour.r, 1.0f);
    EXPECT_EQ(p.colour.a, 1.0f);
}

class ParticleSystemTest : public effecttest::EffectTest {
protected:
    void SetUp() override {
        effecttest::EffectTest::SetUp();
        particle_random::Restart();
    }

    // A system with the given emission and update parameters and a grey texture, loaded.
    ParticleSystem& Make(unsigned count, float spread, float lifetimeRange, DWORD fade, DWORD jitter, DWORD fadeIn,
                         D3DXVECTOR3 acceleration = {0, 0, 0}, float gravity = -9.8f) {
        systems.push_back(std::make_unique<ParticleSystem>(count, 2.0f, 10.0f, -20.0f, 30.0f, acceleration.x,
                                                           acceleration.y, acceleration.z, spread, 1, lifetimeRange,
                                                           fade, gravity, jitter, fadeIn));
        EXPECT_EQ(systems.back()->Load(SolidTarga("grey.tga", 0x808080).c_str()), S_OK);
        EXPECT_EQ(systems.back()->Particles().size(), count);
        return *systems.back();
    }

    std::vector<std::unique_ptr<ParticleSystem>> systems;
};

TEST_F(ParticleSystemTest, FirstTwentyParticlesFollowTheProcessSequence) {
    // Plain emission, then a jitter system drawing on from where the first one stopped.
    ReferenceRand rand;
    const ParticleSystem& plain = Make(20, 75.0f, 38.0f, 1, 0, 0);
    for (int i = 0; i < 20; ++i) ExpectMatches(plain.Particles()[i], ReferenceEmit(rand, 10, -20, 30, 75, 38, false), i);
    const ParticleSystem& jittered = Make(20, 1.7f, 10.9f, 1, 1, 1);
    for (int i = 0; i < 20; ++i) ExpectMatches(jittered.Particles()[i], ReferenceEmit(rand, 10, -20, 30, 1.7f, 10.9f, true), i);
}

TEST_F(ParticleSystemTest, SpreadBelowTwoStartsAtTheOriginAndJitterStaysWithinTwo) {
    const ParticleSystem& plain = Make(300, 1.5f, 24.0f, 0, 0, 0);
    for (const Particle& p : plain.Particles()) {
        EXPECT_EQ(p.startPosition.x, 10.0f);
        EXPECT_EQ(p.startPosition.y, -20.0f);
        EXPECT_EQ(p.startPosition.z, 30.0f);
        EXPECT_TRUE(p.lifetime == 0.3f || p.lifetime == 1.3f || p.lifetime == 2.3f) << p.lifetime;
        EXPECT_TRUE(p.age == 0.0f || p.age == 1.0f) << p.age;
    }
    const ParticleSystem& jittered = Make(300, 1.5f, 10.9f, 0, 1, 0);
    float lowest = 10.0f;
    for (const Particle& p : jittered.Particles()) {
        EXPECT_GE(p.startPosition.x, 8.0f);
        EXPECT_LE(p.startPosition.x, 10.0f);
        EXPECT_EQ(p.startPosition.y, -20.0f);
        EXPECT_EQ(p.lifetime, 0.3f);
        // The vertical speed is scaled by a tenth of the spread at most.
        EXPECT_GE(p.velocity.z, 0.0f);
        EXPECT_LE(p.velocity.z, 0.15f);
        lowest = std::min(lowest, p.startPosition.x);
    }
    EXPECT_LT(lowest, 9.0f) << "the whole-unit part of the jitter never showed";
}

TEST_F(ParticleSystemTest, RangesBelowOneActAsOneInsteadOfDividingByZero) {
    const ParticleSystem& system = Make(50, 0.5f, 0.5f, 0, 0, 0);
    for (const Particle& p : system.Particles()) {
        EXPECT_EQ(p.startPosition.x, 10.0f);
        EXPECT_EQ(p.startPosition.y, -20.0f);
        EXPECT_EQ(p.lifetime, 0.3f);
    }
    ParticleSystem& zero = Make(50, 0.0f, 0.0f, 0, 1, 0);
    zero.Update(0.5f);  // every particle is re-emitted
    for (const Particle& p : zero.Particles()) EXPECT_EQ(p.lifetime, 0.3f);
}

TEST_F(ParticleSystemTest, ReemittedOnlyWhenAgeStrictlyExceedsLifetime) {
    // A range of 1 makes every lifetime 0.3 s; ages start at 0 or 1.
    ParticleSystem& system = Make(200, 50.0f, 1.0f, 0, 0, 0);
    const std::vector<Particle> before = system.Particles();
    system.Update(0.3f);
    int young = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const Particle& p = system.Particles()[i];
        if (before[i].age == 0.0f) {
            ++young;
            EXPECT_EQ(p.age, 0.3f) << i;  // age == lifetime: kept
            EXPECT_EQ(p.startPosition.x, before[i].startPosition.x) << i;
            EXPECT_EQ(p.startPosition.y, before[i].startPosition.y) << i;
            EXPECT_EQ(p.velocity.z, before[i].velocity.z) << i;
        } else {
            EXPECT_TRUE(p.age == 0.0f || p.age == 1.0f) << i << ": age 1.3 > 0.3 re-emits";
        }
    }
    ASSERT_GT(young, 0);
    const std::vector<Particle> kept = system.Particles();
    system.Update(0.001f);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].age != 0.3f) continue;
        EXPECT_TRUE(system.Particles()[i].age == 0.0f || system.Particles()[i].age == 1.0f) << i;
    }
}

TEST_F(ParticleSystemTest, PositionsFollowThePathAndAZeroStepStillDrifts) {
    const D3DXVECTOR3 acceleration(0.5f, -1.0f, 2.0f);
    ParticleSystem& system = Make(100, 60.0f, 200.0f, 0, 0, 0, acceleration, -9.8f);
    const std::vector<Particle> before = system.Particles();
    system.Update(0.0f);
    system.Update(0.0f);
    int checked = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const Particle& was = before[i];
        const Particle& p = system.Particles()[i];
        if (was.age > was.lifetime) continue;  // re-emitted on the first update
        ++checked;
        const float t = was.age;
        EXPECT_EQ(p.age, t) << i;
        // Position from the velocity before the second update's drift.
        const float vz = was.velocity.z + acceleration.z * t;
        EXPECT_FLOAT_EQ(p.position.x, was.startPosition.x + (was.velocity.x + acceleration.x * t) * t) << i;
        EXPECT_FLOAT_EQ(p.position.z, was.startPosition.z + vz * t + 9.8f * 0.5f * t * t) << i;
        // Two updates, two drifts of acceleration x age.
        EXPECT_FLOAT_EQ(p.velocity.x, was.velocity.x + 2 * acceleration.x * t) << i;
        EXPECT_FLOAT_EQ(p.velocity.y, was.velocity.y + 2 * acceleration.y * t) << i;
        EXPECT_FLOAT_EQ(p.velocity.z, was.velocity.z + 2 * acceleration.z * t) << i;
    }
    EXPECT_GT(checked, 20);
}

TEST_F(ParticleSystemTest, FadeAndFadeInCurves) {
    ParticleSystem& fading = Make(100, 20.0f, 60.0f, 1, 0, 0);
    ParticleSystem& rising = Make(100, 20.0f, 60.0f, 1, 0, 1);
    ParticleSystem& steady = Make(100, 20.0f, 60.0f, 0, 0, 0);
    for (ParticleSystem* s : {&fading, &rising, &steady}) s->Update(0.25f);
    int dark = 0;
    for (int i = 0; i < 100; ++i) {
        for (const ParticleSystem* s : {&fading, &rising}) {
            const Particle& p = s->Particles()[i];
            if (p.age != 0.25f && p.age != 1.25f) {
                // Re-emitted after the fade was applied: the system's colour again.
                EXPECT_EQ(p.colour.r, 1.0f) << i;
                EXPECT_EQ(p.colour.a, 1.0f) << i;
                continue;
            }
            const float c = p.lifetime / p.age - 0.8f;
            const float expected = s == &rising ? std::max(0.0f, 1.0f - c) : c;
            EXPECT_FLOAT_EQ(p.colour.r, expected) << i;
            EXPECT_EQ(p.colour.g, p.colour.r);
            EXPECT_EQ(p.colour.b, p.colour.r);
            EXPECT_EQ(p.colour.a, p.colour.r);
            if (s == &rising && p.age < p.lifetime / 1.8f) dark += p.colour.r == 0.0f;
        }
        EXPECT_EQ(steady.Particles()[i].colour.r, 1.0f);
        EXPECT_EQ(steady.Particles()[i].colour.a, 1.0f);
    }
    EXPECT_GT(dark, 0);
    // At the end of life the fade reaches 0.2 and the fade-in 0.8.
    ParticleSystem& one = Make(50, 20.0f, 1.0f, 1, 0, 0);
    ParticleSystem& oneIn = Make(50, 20.0f, 1.0f, 1, 0, 1);
    one.Update(0.3f);
    oneIn.Update(0.3f);
    for (int i = 0; i < 50; ++i) {
        if (one.Particles()[i].age == 0.3f) {
            EXPECT_NEAR(one.Particles()[i].colour.r, 0.2f, 1e-6f);
        }
        if (oneIn.Particles()[i].age == 0.3f) {
            EXPECT_NEAR(oneIn.Particles()[i].colour.r, 0.8f, 1e-6f);
        }
    }
}

TEST_F(ParticleSystemTest, LoadCreatesOneQuadAndFailsOnAMissingImage) {
    ParticleSystem system(30, 3.0f, 0, 0, 0, 0, 0, 0, 10, 1, 24, 0, -9.8f, 0, 0);
    EXPECT_EQ(system.Texture(), nullptr);
    EXPECT_EQ(system.Load((files.Path() + "/missing.jpg").c_str()), E_FAIL);
    EXPECT_EQ(system.Texture(), nullptr);
    EXPECT_TRUE(system.Particles().empty());
    EXPECT_EQ(system.Load(nullptr), E_FAIL);

    ASSERT_EQ(system.Load(SolidTarga("white.tga", 0xFFFFFF).c_str()), S_OK);
    ASSERT_NE(system.Texture(), nullptr);
    ASSERT_NO_FATAL_FAILURE(rendertest::ExpectVertexBuffer(system.VertexBuffer(), 30u * 80u, 0u, 0x102u));
    ExpectQuad(system.VertexBuffer(), 1.5f);
    EXPECT_EQ(system.Particles().size(), 30u);
}

TEST_F(ParticleSystemTest, RenderBlendsEachParticleAndRestoresTheDevice) {
    ViewFrustum frustum;
    const Camera camera(10.0f, -40.0f, 30.0f, 10.0f, 0.0f, 30.0f, 0, 0, 1, frustum);
    // Spread 1.5 and no update: every particle sits at the origin; one colour per particle.
    ParticleSystem additive(1, 8.0f, 10.0f, -20.0f, 30.0f, 0, 0, 0, 1.5f, 1, 10.9f, 0, -9.8f, 0, 0);
    ParticleSystem squared(1, 8.0f, 10.0f, -20.0f, 30.0f, 0, 0, 0, 1.5f, 0, 10.9f, 0, -9.8f, 0, 0);
    const std::string texture = SolidTarga("tex.tga", 0x806040);
    ASSERT_EQ(additive.Load(texture.c_str()), S_OK);
    ASSERT_EQ(squared.Load(texture.c_str()), S_OK);
    AmbientOnly();
    const D3DCOLOR background = 0xFF203040;
    for (ParticleSystem* system : {&additive, &squared}) {
        DirtyStates();
        const auto pixels = Frame(background, [&] { EXPECT_EQ(system->Render(camera), S_OK); });
        const std::uint32_t centre = PixelAt(pixels, camera, {10.0f, -20.0f, 30.0f});
        const int source[3] = {0x40, 0x60, 0x80};  // blue, green, red
        for (int k = 0; k < 3; ++k) {
            const int shift = 8 * k;
            const double s = source[k] / 255.0;
            const double expected = Channel(background, shift) + 255.0 * (system == &additive ? s : s * s);
            EXPECT_NEAR(Channel(centre, shift), expected, 2.0) << "channel shift " << shift;
        }
        ExpectStatesRestored();
        DWORD value = 0;
        device->GetRenderState(D3DRS_SRCBLEND, &value);
        EXPECT_EQ(value, static_cast<DWORD>(system == &additive ? D3DBLEND_ONE : D3DBLEND_SRCCOLOR));
        device->GetRenderState(D3DRS_DESTBLEND, &value);
        EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_ONE));
        D3DMATRIX view{};
        device->GetTransform(D3DTS_VIEW, &view);
        EXPECT_EQ(std::memcmp(&view, &camera.View(), sizeof view), 0);
    }
}

}  // namespace
