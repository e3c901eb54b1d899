#include "scene/keyframe_animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "scene/animated_model.h"
#include "scene/frame_tree.h"

namespace {

// A hierarchy with one target frame and one animation frame aimed at it.
struct Rig {
    Rig() {
        h.root = std::make_unique<ModelFrame>();
        auto t = std::make_unique<ModelFrame>();
        t->name = "target";
        target = t.get();
        AddChild(*h.root, std::move(t));
        auto a = std::make_unique<ModelFrame>();
        a->isAnimationFrame = true;
        a->target = target;
        animation = a.get();
        AddChild(*h.root, std::move(a));
        h.animationList = animation;
    }
    // Poses the animation at each clock value in turn and checks the target's x translation.
    void ExpectXAt(std::initializer_list<std::pair<float, float>> clockAndX) {
        for (const auto& [clock, x] : clockAndX) {
            PoseAtTime(*animation, clock);
            EXPECT_FLOAT_EQ(target->local._41, x) << "clock " << clock;
        }
    }

    ModelHierarchy h;
    ModelFrame* target = nullptr;
    ModelFrame* animation = nullptr;
};

MatrixKey Translation(std::uint32_t time, float x) {
    MatrixKey k;
    k.time = time;
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, 0.0f, 0.0f);
    std::memcpy(k.m, &m, sizeof(k.m));
    return k;
}

TEST(KeyframeAnimationTest, PositionTrackInterpolatesAndLoops) {
    Rig rig;
    rig.animation->positionKeys = {{0, 0, 0, 0}, {4800, 10, 0, 0}};
    D3DXMatrixRotationZ(&rig.target->local, 1.0f);  // the rotation part is reset to identity
    AdvanceHierarchy(rig.h, 0.25f);
    EXPECT_FLOAT_EQ(rig.target->local._41, 2.5f);
    EXPECT_FLOAT_EQ(rig.target->local._11, 1.0f);
    EXPECT_FLOAT_EQ(rig.target->local._12, 0.0f);
    AdvanceHierarchy(rig.h, 1.0f);  // 1.25 s: wrapped once
    EXPECT_FLOAT_EQ(rig.h.clock, 6000.0f);
    EXPECT_FLOAT_EQ(rig.target->local._41, 2.5f);
}

TEST(KeyframeAnimationTest, ClockBeforeTheFirstKeyHoldsIt) {
    Rig rig;
    rig.animation->positionKeys = {{100, 7, 0, 0}, {200, 9, 0, 0}};
    rig.ExpectXAt({{50.0f, 7.0f}, {150.0f, 8.0f}});
}

TEST(KeyframeAnimationTest, MatrixKeysAreTakenWholeAroundTheMidpoint) {
    Rig rig;
    rig.animation->matrixKeys = {Translation(0, 1.0f), Translation(100, 2.0f)};
    rig.animation->positionKeys = {{0, 50, 0, 0}};  // ignored when matrix keys exist
    rig.ExpectXAt({{50.0f, 1.0f}, {51.0f, 2.0f}, {100.0f, 1.0f}});
}

TEST(KeyframeAnimationTest, SingleRotationKeyIsInvertedAndKeepsInitialTranslation) {
    Rig rig;
    D3DXMatrixTranslation(&rig.target->initial, 3.0f, 4.0f, 5.0f);
    // A quarter turn about Z as stored: (x, y, z, w) = (0, 0, sin 45, cos 45).
    const float s = std::sqrt(0.5f);
    rig.animation->rotationKeys = {{0, 0, 0, s, s}};
    AdvanceHierarchy(rig.h, 3.0f);
    D3DXMATRIX expected, rotation, move;
    D3DXMatrixRotationZ(&rotation, -D3DX_PI / 2);
    D3DXMatrixTranslation(&move, 3.0f, 4.0f, 5.0f);
    expected = rotation * move;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(rig.target->local(r, c), expected(r, c), 1e-6f) << r << c;
}

TEST(KeyframeAnimationTest, ScaleRotationTranslationCompose) {
    Rig rig;
    rig.animation->scaleKeys = {{0, 2, 2, 2}};
    rig.animation->rotationKeys = {{0, 0, 0, 0, 1}};
    rig.animation->positionKeys = {{0, 1, 0, 0}};
    PoseAtTime(*rig.animation, 0.0f);
    // (1, 0, 0): scaled to 2, not rotated, then moved by 1.
    const D3DXVECTOR3 p(1, 0, 0);
    D3DXVECTOR3 q;
    D3DXVec3TransformCoord(&q, &p, &rig.target->local);
    EXPECT_FLOAT_EQ(q.x, 3.0f);
}

TEST(KeyframeAnimationTest, TracksLoopWithTheirOwnPeriods) {
    Rig rig;
    rig.animation->scaleKeys = {{0, 1, 1, 1}, {4800, 3, 3, 3}};
    rig.animation->positionKeys = {{0, 0, 0, 0}, {9600, 20, 0, 0}};
    AdvanceHierarchy(rig.h, 1.5f);  // scale at 0.5 of its period, position at 0.75
    EXPECT_FLOAT_EQ(rig.target->local._11, 2.0f);
    EXPECT_FLOAT_EQ(rig.target->local._41, 15.0f);
}

TEST(KeyframeAnimationTest, ClockRestartsPastTheLimitAndUntargetedFramesAreSkipped) {
    Rig rig;
    rig.animation->positionKeys = {{0, 0, 0, 0}, {4800, 10, 0, 0}};
    rig.h.clock = 999999986991104.0f;
    AdvanceHierarchy(rig.h, 0.0f);
    EXPECT_EQ(rig.h.clock, 999999986991104.0f);
    AdvanceHierarchy(rig.h, 100000.0f);  // 4.8e8 ticks: more than one float step at 1e15
    EXPECT_EQ(rig.h.clock, 0.0f);

    Rig idle;
    idle.animation->target = nullptr;
    idle.animation->positionKeys = {{0, 5, 0, 0}};
    idle.target->local._41 = 9.0f;
    AdvanceHierarchy(idle.h, 1.0f);
    EXPECT_EQ(idle.target->local._41, 9.0f);
    // A frame with no track changes nothing.
    Rig empty;
    empty.target->local._41 = 4.0f;
    AdvanceHierarchy(empty.h, 1.0f);
    EXPECT_EQ(empty.target->local._41, 4.0f);
}

TEST(KeyframeAnimationTest, ModelWithoutHierarchyDoesNothing) {
    AnimatedModel model;
    EXPECT_EQ(model.AdvanceTime(1.0f), S_OK);
    EXPECT_EQ(model.Render(), S_OK);
}

}  // namespace
