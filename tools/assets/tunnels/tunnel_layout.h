// Where the tunnel area's models sit, shared by the builders and their checks. Every value is
// in the coordinates the scenes draw the files in (see each model's header).
#pragma once

#include <vector>

#include "platform/math/d3dx8math.h"

namespace assets::tunnels {

// Both tunnels are six copies of one segment spanning local y = -kSegmentLength..0, placed
// kSegmentLength apart along +Y.
constexpr float kSegmentLength = 1570.0f;

// Rail tunnel cross-section (x, z): tracks at x = +-kTrackX, rail tops at z = kRailTop.
constexpr float kTrackX = 48.0f;
constexpr float kHalfGauge = 21.5f;
constexpr float kRailTop = -110.0f;
constexpr float kWallX = 150.0f;
constexpr float kCrownZ = 150.0f;
// The hanging lamps, at local y of each segment (the flares at z = 90 sit in their bulbs).
constexpr float kLampY[2] = {-1150.0f, -530.0f};
constexpr float kLampZ = 90.0f;

// The tunnel's inner outline in (x, z), in the order the walls are swept (inside faces).
std::vector<D3DXVECTOR2> RailTunnelOutline();

// Train model coordinates: origin at the scene's train position (48, y, -48), nose toward -Y.
constexpr float kTrainOriginZ = -48.0f;
constexpr float kTrainNoseY = -615.0f;
constexpr float kTrainTailY = 1290.0f;
constexpr float kTrainHalfWidth = 40.0f;
constexpr float kTrainRoofZ = 47.0f;
constexpr float kTrainWheelBottomZ = kRailTop - kTrainOriginZ;  // wheels on the rails
// Where the scene draws the warm flares (train A) and red flares (train B, turned by pi),
// in model coordinates.
inline const D3DXVECTOR3 kHeadlights[2] = {{-30.0f, -625.0f, -30.0f}, {30.0f, -625.0f, -30.0f}};
inline const D3DXVECTOR3 kTailLights[2] = {{-36.0f, 1300.0f, -20.0f}, {34.0f, 1300.0f, -20.0f}};

// Hand: the scene moves the model by kHandOffset; authored so the palm faces its camera.
inline const D3DXVECTOR3 kHandOffset{-7.9f, 0.0f, -6.0f};

// Organic tunnel: a ribbed tube round the Y axis (centre z = 0).
constexpr float kOrgRadius = 240.0f;
constexpr float kOrgRibDepth = 36.0f;
constexpr int kOrgRibs = 12;
// The eye hangs from the ceiling ahead of the camera, looking back along -Y.
inline const D3DXVECTOR3 kEyeCentre{0.0f, -300.0f, 40.0f};
constexpr float kEyeRadius = 52.0f;
// Teeth: a ring of jaws round the tube wall.
constexpr float kGumRadius = 214.0f;

}  // namespace assets::tunnels
