#include "tools/assets/characters/clips.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace assets::characters {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTau = 2.0f * kPi;

// A path on the ground: position, distance and heading integrated from speed(t) and heading(t).
class Path {
public:
    Path(D3DXVECTOR3 start, float duration, std::function<float(float)> speed, std::function<float(float)> heading)
        : heading_(std::move(heading)) {
        D3DXVECTOR3 p = start;
        float distance = 0.0f;
        for (int i = 0; i <= int(duration / kStep) + 1; ++i) {
            points_.push_back(p);
            distances_.push_back(distance);
            const float t = float(i) * kStep, h = heading_(t), v = speed(t);
            p += D3DXVECTOR3(std::cos(h), std::sin(h), 0.0f) * (v * kStep);
            distance += v * kStep;
        }
    }
    D3DXVECTOR3 Position(float t) const { return Lerp(points_, t); }
    float Distance(float t) const { return Lerp(distances_, t); }
    float Heading(float t) const { return heading_(t); }

private:
    static constexpr float kStep = 1.0f / 240.0f;
    template <typename T>
    T Lerp(const std::vector<T>& v, float t) const {
        const float x = std::clamp(t / kStep, 0.0f, float(v.size() - 1));
        const std::size_t i = std::min(std::size_t(x), v.size() - 2);
        const float f = x - float(i);
        return v[i] + (v[i + 1] - v[i]) * f;
    }
    std::function<float(float)> heading_;
    std::vector<D3DXVECTOR3> points_;
    std::vector<float> distances_;
};

struct GaitStyle {
    float stride;      // distance per full cycle (left and right step)
    float thigh;       // swing amplitude
    float kneeBase, kneeSwing;
    float arm, elbow;
    float lean, twist, bounce;
};

const GaitStyle kWalk{52.0f, 0.42f, 0.08f, 0.9f, 0.35f, 0.25f, 0.04f, 0.10f, 0.0f};
const GaitStyle kRun{140.0f, 0.75f, 0.35f, 1.55f, 0.75f, 1.35f, 0.22f, 0.16f, 1.8f};

// Arms hanging relaxed, a little away from the body.
void Relaxed(Pose& p) {
    p.angles[kUpperArmL].x = 0.1f;
    p.angles[kUpperArmR].x = -0.1f;
    p.angles[kForearmL].y = -0.15f;
    p.angles[kForearmR].y = -0.15f;
}

// The pose of a gait at `phase` cycles; `amount` (0..1) scales it down towards standing.
Pose Gait(float phase, const GaitStyle& s, float amount = 1.0f) {
    Pose p;
    Relaxed(p);
    const float a = kTau * phase, sa = std::sin(a);
    const float thighL = -s.thigh * sa * amount, thighR = s.thigh * sa * amount;
    auto knee = [&](float shift) {
        const float c = 0.5f + 0.5f * std::cos(a + shift - 0.5f);
        return (s.kneeBase + s.kneeSwing * c * c) * amount;
    };
    const float kneeL = knee(0.0f), kneeR = knee(kPi);
    p.angles[kThighL].y = thighL - 0.5f * s.kneeBase * amount;
    p.angles[kThighR].y = thighR - 0.5f * s.kneeBase * amount;
    p.angles[kShinL].y = kneeL;
    p.angles[kShinR].y = kneeR;
    p.angles[kFootL].y = -0.75f * (p.angles[kThighL].y + kneeL) - 0.2f * sa * amount;
    p.angles[kFootR].y = -0.75f * (p.angles[kThighR].y + kneeR) + 0.2f * sa * amount;
    p.angles[kUpperArmL].y = s.arm * sa * amount;
    p.angles[kUpperArmR].y = -s.arm * sa * amount;
    p.angles[kUpperArmL].x = 0.12f + 0.1f * amount;
    p.angles[kUpperArmR].x = -0.12f - 0.1f * amount;
    p.angles[kForearmL].y = -0.15f - s.elbow * amount * (0.8f + 0.2f * std::max(0.0f, -sa));
    p.angles[kForearmR].y = -0.15f - s.elbow * amount * (0.8f + 0.2f * std::max(0.0f, sa));
    p.angles[kHips].z = -0.6f * s.twist * sa * amount;
    p.angles[kHips].x = 0.04f * std::sin(a) * amount;
    p.angles[kSpine].y = s.lean * amount;
    p.angles[kChest].z = s.twist * sa * amount;
    p.angles[kNeck].y = -0.5f * s.lean * amount;
    p.angles[kHead].z = -0.4f * s.twist * sa * amount;
    const float b = std::cos(2.0f * a);
    p.root.z = s.bounce * amount * (0.5f + 0.5f * b);
    return p;
}

// Places a pose on a path at time t.
Pose OnPath(Pose p, const Path& path, float t, float leanPerTurn = 0.0f) {
    const D3DXVECTOR3 at = path.Position(t);
    p.root.x = at.x;
    p.root.y = at.y;
    p.heading = path.Heading(t);
    if (leanPerTurn != 0.0f) {
        const float turn = (path.Heading(t + 0.05f) - path.Heading(t - 0.05f)) / 0.1f;
        p.angles[kHips].x += -leanPerTurn * turn;
    }
    return p;
}

float CosineTurn(float from, float to, float t0, float t1, float t) {
    const float f = std::clamp((t - t0) / (t1 - t0), 0.0f, 1.0f);
    return from + (to - from) * (0.5f - 0.5f * std::cos(kPi * f));
}

Clip Idle() {
    Clip c{"idle.x", "Idle", 8.0f, 10.0f, 0.0f, true, nullptr};
    c.pose = [](float t) {
        Pose p;
        Relaxed(p);
        const float breath = std::sin(kTau * t / 4.0f);
        const float look = std::sin(kTau * t / 8.0f), sway = std::sin(kTau * t / 8.0f + 0.7f);
        p.heading = -kPi / 2.0f;  // facing -Y, toward the avenue's camera
        p.angles[kChest].y = -0.03f * breath;
        p.angles[kShoulderL].x = 0.04f * breath;
        p.angles[kShoulderR].x = -0.04f * breath;
        p.angles[kHead].z = 0.65f * look;
        p.angles[kNeck].z = 0.25f * look;
        p.angles[kHead].y = 0.1f * std::sin(kTau * t / 4.0f + 1.0f);
        p.angles[kHips].x = 0.05f * sway;
        p.angles[kThighL].x = -0.05f * sway;
        p.angles[kThighR].x = -0.05f * sway;
        p.angles[kSpine].x = -0.04f * sway;
        p.angles[kShinL].y = 0.08f + 0.06f * std::max(0.0f, sway);
        p.angles[kShinR].y = 0.08f + 0.06f * std::max(0.0f, -sway);
        p.angles[kThighL].y = -0.04f;
        p.angles[kThighR].y = -0.04f;
        p.angles[kUpperArmL].y = 0.05f * breath;
        p.angles[kUpperArmR].y = -0.05f * breath;
        p.root.x = 0.6f * sway;
        return p;
    };
    return c;
}

// run1: starts 300 up the street ahead of the camera and runs toward it (-Y), swerves past it at
// the crossing and runs off along -X, down the cross street that the camera swings round to.
Clip Run1() {
    Clip c{"run1.x", "Run1", 8.0f, 20.0f, 0.0f, true, nullptr};
    auto path = std::make_shared<Path>(
        D3DXVECTOR3(0, 300, 0), 8.0f, [](float) { return 150.0f; },
        [](float t) { return CosineTurn(-kPi / 2.0f, -kPi, 1.5f, 2.3f, t); });
    c.pose = [path](float t) {
        return OnPath(Gait(path->Distance(t) / kRun.stride, kRun), *path, t, 0.12f);
    };
    return c;
}

// run2: a long straight run along +X (the scene turns it toward its camera).
Clip Run2() {
    Clip c{"run2.x", "Run2", 12.0f, 20.0f, 0.0f, true, nullptr};
    auto path = std::make_shared<Path>(D3DXVECTOR3(0, 0, 0), 12.0f, [](float) { return 140.0f; }, [](float) { return 0.0f; });
    c.pose = [path](float t) { return OnPath(Gait(path->Distance(t) / (kRun.stride * 0.85f), kRun), *path, t); };
    return c;
}

// changedir: runs along +X, slows to a stop, looks round, turns round to its left and runs back.
Clip ChangeDir() {
    Clip c{"changedir.x", "ChangeDir", 11.0f, 20.0f, 0.0f, true, nullptr};
    auto speed = [](float t) {
        if (t < 3.6f) return 170.0f;
        if (t < 4.6f) return 170.0f * (1.0f - Smooth(3.6f, 4.6f, t));
        if (t < 6.2f) return 0.0f;
        return 170.0f * Smooth(6.2f, 7.2f, t);
    };
    auto heading = [](float t) { return CosineTurn(0.0f, kPi, 5.3f, 6.3f, t); };
    auto path = std::make_shared<Path>(D3DXVECTOR3(0, 0, 0), 11.0f, speed, heading);
    c.pose = [path, speed](float t) {
        const float running = std::clamp(speed(t) / 170.0f, 0.0f, 1.0f);
        const float turning = Smooth(5.1f, 5.4f, t) * (1.0f - Smooth(6.3f, 6.6f, t));
        // While turning on the spot it steps with a small walk.
        const float phase = path->Distance(t) / kRun.stride + (t > 5.0f ? 0.9f * (t - 5.0f) * turning : 0.0f);
        Pose run = Gait(phase, kRun, running);
        Pose step = Gait(phase, kWalk, 0.4f);
        Pose p = MixPoses(run, step, turning * (1.0f - running));
        // Looking round while stopped: left, then right.
        const float look = Smooth(4.4f, 4.8f, t) * (1.0f - Smooth(5.6f, 6.0f, t));
        p.angles[kHead].z += look * 0.7f * std::sin(kTau * (t - 4.4f) / 1.4f);
        p.angles[kNeck].z += look * 0.3f * std::sin(kTau * (t - 4.4f) / 1.4f);
        return OnPath(p, *path, t, 0.1f);
    };
    return c;
}

// climb: on the wall ahead of the climb camera (world (1150, 5000), the face looking -Y), reaching
// up, then climbing hand over hand.
Clip Climb() {
    constexpr float kGround = 18.5f - 41.0f;  // the scene adds 41 to z
    Clip c{"climb.x", "Climb", 10.0f, 10.0f, kGround, false, nullptr};
    c.pose = [](float t) {
        Pose stand;
        Relaxed(stand);
        Pose p;
        const float start = Smooth(0.2f, 1.0f, t) * (1.0f - Smooth(9.3f, 9.9f, t));
        const float climbT = std::max(0.0f, std::min(t, 9.3f) - 1.0f);
        const float a = kTau * climbT / 2.0f, sa = std::sin(a), ca = std::cos(a);
        // Arms up on the wall, one reaching while the other pulls.
        p.angles[kUpperArmL].y = -2.55f - 0.35f * sa;
        p.angles[kUpperArmR].y = -2.55f + 0.35f * sa;
        p.angles[kUpperArmL].x = 0.35f;
        p.angles[kUpperArmR].x = -0.35f;
        p.angles[kForearmL].y = -0.5f - 0.5f * (0.5f + 0.5f * sa);
        p.angles[kForearmR].y = -0.5f - 0.5f * (0.5f - 0.5f * sa);
        // Legs stepping up alternately.
        p.angles[kThighL].y = -0.7f + 0.55f * sa;
        p.angles[kThighR].y = -0.7f - 0.55f * sa;
        p.angles[kShinL].y = 1.0f - 0.6f * sa;
        p.angles[kShinR].y = 1.0f + 0.6f * sa;
        p.angles[kFootL].y = -0.3f;
        p.angles[kFootR].y = -0.3f;
        p.angles[kThighL].x = 0.15f;
        p.angles[kThighR].x = -0.15f;
        p.angles[kSpine].y = 0.05f;
        p.angles[kHips].x = 0.06f * sa;
        p.angles[kChest].x = -0.06f * sa;
        p.angles[kHead].y = -0.35f;  // looking up the wall
        p.angles[kHead].z = 0.2f * ca;
        p = MixPoses(stand, p, start);
        // Rising about 9 units a second once climbing; the pulls come in surges.
        const float rise = 9.0f * climbT - 2.0f * std::sin(2.0f * a) / 2.0f * (climbT > 0.0f ? 1.0f : 0.0f);
        p.heading = kPi / 2.0f;
        p.root = D3DXVECTOR3(1150.0f, 4993.0f + 1.0f, kGround + 1.6f * start + rise * (1.0f - Smooth(9.3f, 9.9f, t)));
        return p;
    };
    return c;
}

// accident: walks across the street x = 1900 toward the north-west corner, where the car thrown
// out of the crossing slides onto the pavement: struck at 5.6 s at world (1765, 2330), thrown on
// along the car's path (north-west) and falling on its back, then lying still.
Clip Accident() {
    const D3DXVECTOR3 offset(-8.0f, 300.0f, 0.0f);
    Clip c{"accident.x", "Accident", 12.0f, 20.0f, 0.0f, true, nullptr};
    const float heading = std::atan2(-0.328f, -0.945f);
    constexpr float kStruck = 5.6f;
    const D3DXVECTOR3 hit = D3DXVECTOR3(1765.0f, 2330.0f, 0.0f) - offset;
    auto walk = std::make_shared<Path>(hit - D3DXVECTOR3(std::cos(heading), std::sin(heading), 0) * (45.0f * kStruck), 12.0f,
                                       [](float) { return 45.0f; }, [heading](float) { return heading; });
    c.pose = [walk, hit, heading](float t) {
        if (t < kStruck || t >= 11.6f) {
            const float u = t >= 11.6f ? 0.0f : t;
            return OnPath(Gait(walk->Distance(u) / kWalk.stride, kWalk), *walk, u);
        }
        const float since = t - kStruck;
        // Thrown north-west with the car, sliding to a stop about 110 away.
        const float throwF = 1.0f - std::exp(-since * 3.2f);
        Pose p;
        p.root = hit + D3DXVECTOR3(-90.0f, 65.0f, 0.0f) * throwF;
        // Turned by the blow to face south-east (back toward the car), then falling backwards.
        const float facing = std::atan2(-65.0f, 90.0f);
        p.heading = heading + std::remainder(facing - heading, kTau) * Smooth(0.0f, 0.4f, since);
        const float fall = Smooth(0.05f, 0.85f, since);
        p.angles[kHips].y = -1.52f * fall;
        p.angles[kHips].x = 0.35f * std::sin(kPi * std::min(1.0f, since / 1.2f));
        p.angles[kSpine].y = 0.25f * (1.0f - fall) + 0.02f;
        // Arms thrown up and out, landing spread.
        const float flail = std::sin(kPi * std::min(1.0f, since / 0.9f));
        p.angles[kUpperArmL].x = 0.4f + 0.9f * fall;
        p.angles[kUpperArmR].x = -0.5f - 0.7f * fall;
        p.angles[kUpperArmL].y = -1.2f * flail - 0.3f * fall;
        p.angles[kUpperArmR].y = -0.9f * flail - 0.6f * fall;
        p.angles[kForearmL].y = -0.9f * flail - 0.3f;
        p.angles[kForearmR].y = -0.6f * flail - 0.5f;
        p.angles[kThighL].y = -0.6f * flail - 0.15f * fall;
        p.angles[kShinL].y = 0.9f * flail + 0.5f * fall;
        p.angles[kThighR].y = -0.3f * flail;
        p.angles[kShinR].y = 0.5f * flail + 0.1f * fall;
        p.angles[kFootL].y = 0.4f * fall;
        p.angles[kFootR].y = 0.5f * fall;
        p.angles[kHead].y = 0.5f * flail - 0.15f * fall;
        // A weak attempt to raise the head, then stillness.
        const float raise = Smooth(2.0f, 2.8f, since) * (1.0f - Smooth(3.6f, 4.6f, since));
        p.angles[kNeck].y = 0.7f * raise;
        p.angles[kUpperArmL].y -= 0.4f * raise;
        // Back to the walk in the last moment of the loop (never seen: the shot is shorter).
        const float back = Smooth(11.0f, 11.6f, t);
        Pose start = OnPath(Gait(0.0f, kWalk), *walk, 0.0f);
        return MixPoses(p, start, back);
    };
    return c;
}

// walk: toward the blood at (1115, 3800) along the camera's view, slowing to a stop at its edge
// and looking down at it.
Clip Walk() {
    Clip c{"walk.x", "Walk", 8.0f, 15.0f, 0.0f, true, nullptr};
    const float heading = std::atan2(400.0f, 115.0f);
    auto speed = [](float t) { return 52.0f * (1.0f - Smooth(5.6f, 6.6f, t)); };
    auto path = std::make_shared<Path>(D3DXVECTOR3(0, 0, 0), 8.0f, speed, [heading](float) { return heading; });
    c.pose = [path, speed](float t) {
        const float moving = std::clamp(speed(t) / 52.0f, 0.0f, 1.0f);
        Pose p = Gait(path->Distance(t) / kWalk.stride, kWalk, moving);
        const float look = Smooth(6.0f, 6.8f, t) * (1.0f - Smooth(7.6f, 7.95f, t));
        p.angles[kHead].y += 0.5f * look;
        p.angles[kNeck].y += 0.2f * look;
        p.angles[kSpine].y += 0.15f * look;
        const float tail = Smooth(7.6f, 7.95f, t);
        Pose out = OnPath(p, *path, t);
        Pose first = OnPath(Gait(0.0f, kWalk), *path, 0.0f);
        return MixPoses(out, first, tail);
    };
    return c;
}

// praise: on the rooftop at world (1570, -1240, 1030), arms raised, pumping and swaying, facing
// where its camera comes from.
Clip Praise() {
    // About 50 beside the camera's glide path, 55 from the point it looks at.
    const D3DXVECTOR3 world(1570.0f, -1240.0f, 1030.0f), offset(2115.0f, 15.0f, 1065.0f);
    const D3DXVECTOR3 at = world - offset;
    Clip c{"praise.x", "Praise", 16.0f, 10.0f, at.z, true, nullptr};
    const float heading = std::atan2(-330.0f, 655.0f);  // toward where the camera starts
    c.pose = [at, heading](float t) {
        Pose p;
        const float pump = std::sin(kTau * t / 2.0f), sway = std::sin(kTau * t / 4.0f);
        const float turn = std::sin(kTau * t / 16.0f);
        p.angles[kShoulderL].x = 0.25f + 0.05f * pump;
        p.angles[kShoulderR].x = -0.25f - 0.05f * pump;
        p.angles[kUpperArmL].x = 2.5f + 0.15f * pump;
        p.angles[kUpperArmR].x = -2.5f - 0.15f * pump;
        p.angles[kUpperArmL].y = -0.3f;
        p.angles[kUpperArmR].y = -0.3f;
        p.angles[kForearmL].x = 0.3f + 0.35f * (0.5f + 0.5f * pump);
        p.angles[kForearmR].x = -0.3f - 0.35f * (0.5f + 0.5f * pump);
        p.angles[kHead].y = -0.3f;  // face turned up
        p.angles[kSpine].y = -0.1f;
        p.angles[kSpine].x = 0.08f * sway;
        p.angles[kChest].x = 0.05f * sway;
        p.angles[kHead].x = -0.1f * sway;
        p.angles[kThighL].y = -0.15f * (0.5f + 0.5f * pump);
        p.angles[kThighR].y = -0.15f * (0.5f + 0.5f * pump);
        p.angles[kShinL].y = 0.3f * (0.5f + 0.5f * pump);
        p.angles[kShinR].y = 0.3f * (0.5f + 0.5f * pump);
        p.angles[kFootL].y = -0.15f * (0.5f + 0.5f * pump);
        p.angles[kFootR].y = -0.15f * (0.5f + 0.5f * pump);
        p.angles[kThighL].x = 0.06f;
        p.angles[kThighR].x = -0.06f;
        p.heading = heading + 0.35f * turn;
        p.root = D3DXVECTOR3(at.x, at.y, 0.0f);
        return p;
    };
    return c;
}

std::vector<Clip> MakeClips() {
    return {Idle(), Walk(), Run1(), Run2(), Climb(), ChangeDir(), Accident(), Praise()};
}

}  // namespace

const std::vector<Clip>& Clips() {
    static const std::vector<Clip> clips = MakeClips();
    return clips;
}

}  // namespace assets::characters
