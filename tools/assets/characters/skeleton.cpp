#include "tools/assets/characters/skeleton.h"

namespace assets::characters {

namespace {

using Point = D3DXVECTOR3;

// One side's arm and leg, mirrored by the sign of y.
void AddArm(std::array<BoneDef, kBoneCount>& b, int first, const char* const (&names)[4], float s) {
    b[first + 0] = {names[0], kChest, Point(0, 2.0f * s, 49.0f), Point(0, 2.5f * s, 49.2f), Point(0, 6.5f * s, 49.5f)};
    b[first + 1] = {names[1], first + 0, Point(0, 7.6f * s, 49.2f), Point(0, 7.6f * s, 49.2f),
                    Point(0, 8.0f * s, 38.5f)};
    b[first + 2] = {names[2], first + 1, Point(0, 8.0f * s, 38.5f), Point(0, 8.0f * s, 38.5f),
                    Point(0, 8.0f * s, 29.5f)};
    b[first + 3] = {names[3], first + 2, Point(0, 8.0f * s, 29.5f), Point(0, 8.0f * s, 29.0f),
                    Point(0, 8.0f * s, 23.5f)};
}

void AddLeg(std::array<BoneDef, kBoneCount>& b, int first, const char* const (&names)[3], float s) {
    b[first + 0] = {names[0], kHips, Point(0, 3.8f * s, 32.0f), Point(0, 3.8f * s, 31.0f), Point(0, 3.8f * s, 17.0f)};
    b[first + 1] = {names[1], first + 0, Point(0, 3.8f * s, 17.0f), Point(0, 3.8f * s, 17.0f),
                    Point(0, 3.8f * s, 4.0f)};
    b[first + 2] = {names[2], first + 1, Point(0, 3.8f * s, 3.2f), Point(0, 3.8f * s, 1.8f),
                    Point(7.0f, 3.8f * s, 1.5f)};
}

std::array<BoneDef, kBoneCount> MakeBones() {
    std::array<BoneDef, kBoneCount> b{};
    b[kHips] = {"Hips", -1, Point(0, 0, 33.0f), Point(0, 0, 27.5f), Point(0, 0, 36.0f)};
    b[kSpine] = {"Spine", kHips, Point(0, 0, 37.0f), Point(0, 0, 37.5f), Point(0, 0, 43.0f)};
    b[kChest] = {"Chest", kSpine, Point(0, 0, 43.5f), Point(0, 0, 44.0f), Point(0, 0, 50.0f)};
    b[kNeck] = {"Neck", kChest, Point(0, 0, 51.0f), Point(0, 0, 51.0f), Point(0.3f, 0, 53.5f)};
    b[kHead] = {"Head", kNeck, Point(0.3f, 0, 54.0f), Point(0.6f, 0, 55.5f), Point(0.6f, 0, 59.0f)};
    AddArm(b, kShoulderL, {"ShoulderL", "UpperArmL", "ForearmL", "HandL"}, 1.0f);
    AddArm(b, kShoulderR, {"ShoulderR", "UpperArmR", "ForearmR", "HandR"}, -1.0f);
    AddLeg(b, kThighL, {"ThighL", "ShinL", "FootL"}, 1.0f);
    AddLeg(b, kThighR, {"ThighR", "ShinR", "FootR"}, -1.0f);
    return b;
}

std::vector<BodyPoint> MakeSoles() {
    return {{kFootL, Point(-2.9f, 0, -3.2f)}, {kFootL, Point(8.4f, 0, -3.0f)},
            {kFootR, Point(-2.9f, 0, -3.2f)}, {kFootR, Point(8.4f, 0, -3.0f)}};
}

std::vector<BodyPoint> MakeContacts() {
    std::vector<BodyPoint> p = MakeSoles();
    const std::vector<BodyPoint> more = {
        {kHead, Point(0.3f, 0, 6.8f)},    {kHead, Point(4.5f, 0, 2.5f)},     {kHead, Point(-3.6f, 0, 2.5f)},
        {kHead, Point(0.3f, 3.6f, 2.5f)}, {kHead, Point(0.3f, -3.6f, 2.5f)}, {kHandL, Point(0, 0, -6.5f)},
        {kHandR, Point(0, 0, -6.5f)},     {kForearmL, Point(0, 0, 0)},       {kForearmR, Point(0, 0, 0)},
        {kShinL, Point(2.4f, 0, 0)},      {kShinR, Point(2.4f, 0, 0)},       {kHips, Point(-4.5f, 0, -3.0f)},
        {kHips, Point(4.5f, 0, -3.0f)},   {kHips, Point(0, 6.5f, -2.0f)},    {kHips, Point(0, -6.5f, -2.0f)},
        {kChest, Point(-4.8f, 0, 3.0f)},  {kChest, Point(5.0f, 0, 3.0f)},    {kChest, Point(0, 7.5f, 4.0f)},
        {kChest, Point(0, -7.5f, 4.0f)},
    };
    p.insert(p.end(), more.begin(), more.end());
    return p;
}

}  // namespace

const std::array<BoneDef, kBoneCount>& Bones() {
    static const std::array<BoneDef, kBoneCount> bones = MakeBones();
    return bones;
}

const std::vector<BodyPoint>& ContactPoints() {
    static const std::vector<BodyPoint> points = MakeContacts();
    return points;
}

const std::vector<BodyPoint>& SolePoints() {
    static const std::vector<BodyPoint> points = MakeSoles();
    return points;
}

}  // namespace assets::characters
