#include "scene/keyframe_animation.h"

#include <cmath>
#include <vector>

namespace {

struct Bracket {
    std::size_t lower = 0;
    std::size_t upper = 0;
    double f = 0.0;
};

// Finds the keys around `time` in a track that loops with the period of its last key time.
template <class Key>
Bracket FindBracket(const std::vector<Key>& keys, float time) {
    Bracket b;
    const std::uint32_t last = keys.back().time;
    const double t = last == 0 ? 0.0 : std::fmod(double(time), double(last));
    std::size_t upper = keys.size();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (double(keys[i].time) > t) {
            upper = i;
            break;
        }
    }
    if (upper == keys.size()) return b;
    b.upper = upper;
    b.lower = upper == 0 ? 0 : upper - 1;
    const double t0 = keys[b.lower].time;
    const double t1 = keys[b.upper].time;
    b.f = t1 == t0 ? 0.0 : (t - t0) / (t1 - t0);
    return b;
}

D3DXVECTOR3 Interpolate(const VectorKey& a, const VectorKey& b, double f) {
    return D3DXVECTOR3(float(a.x + f * (double(b.x) - a.x)), float(a.y + f * (double(b.y) - a.y)),
                       float(a.z + f * (double(b.z) - a.z)));
}

}  // namespace

void PoseAtTime(ModelFrame& frame, float time) {
    ModelFrame* target = frame.target;
    if (!target) return;

    if (!frame.matrixKeys.empty()) {
        const Bracket b = FindBracket(frame.matrixKeys, time);
        const MatrixKey& key = frame.matrixKeys[b.f > 0.5 ? b.upper : b.lower];
        target->local = D3DXMATRIX(key.m);
        return;
    }

    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    bool animated = false;
    if (!frame.scaleKeys.empty()) {
        const Bracket b = FindBracket(frame.scaleKeys, time);
        const D3DXVECTOR3 s = Interpolate(frame.scaleKeys[b.lower], frame.scaleKeys[b.upper], b.f);
        D3DXMATRIX scaling;
        D3DXMatrixScaling(&scaling, s.x, s.y, s.z);
        m = m * scaling;
        animated = true;
    }
    if (!frame.rotationKeys.empty()) {
        const Bracket b = FindBracket(frame.rotationKeys, time);
        const QuaternionKey& lo = frame.rotationKeys[b.lower];
        const QuaternionKey& hi = frame.rotationKeys[b.upper];
        // The file's rotations are applied inverted: their conjugates are interpolated.
        const D3DXQUATERNION qa(-lo.x, -lo.y, -lo.z, lo.w);
        const D3DXQUATERNION qb(-hi.x, -hi.y, -hi.z, hi.w);
        D3DXQUATERNION q;
        D3DXQuaternionSlerp(&q, &qa, &qb, float(b.f));
        D3DXMATRIX rotation;
        D3DXMatrixRotationQuaternion(&rotation, &q);
        m = m * rotation;
        animated = true;
    }
    D3DXMATRIX translation;
    if (!frame.positionKeys.empty()) {
        const Bracket b = FindBracket(frame.positionKeys, time);
        const D3DXVECTOR3 p = Interpolate(frame.positionKeys[b.lower], frame.positionKeys[b.upper], b.f);
        D3DXMatrixTranslation(&translation, p.x, p.y, p.z);
        target->local = m * translation;
        return;
    }
    D3DXMatrixTranslation(&translation, target->initial._41, target->initial._42, target->initial._43);
    if (animated) target->local = m * translation;
}

void AdvanceHierarchy(ModelHierarchy& hierarchy, float seconds) {
    const float delta = float(double(seconds) * kTicksPerSecond);
    hierarchy.clock = hierarchy.clock + delta;
    if (hierarchy.clock > kClockLimit) hierarchy.clock = 0.0f;
    for (ModelFrame* frame = hierarchy.animationList; frame; frame = frame->nextAnimationFrame) {
        PoseAtTime(*frame, hierarchy.clock);
    }
}
