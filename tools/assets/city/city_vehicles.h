// The city's traffic: car and train bodies, their looping drives, and the two animated files
// ("cars.x", "trains_anim.x"). Both files are drawn by the scene at the origin without rotation,
// so every track is authored in world coordinates.
#pragma once

#include <vector>

#include "tools/assets/core/model.h"

namespace assets::city {

// One point of a looping drive: where a vehicle is (its ground centre) and which way it heads
// (radians about Z, 0 = +X) at a time in seconds. A track is a cycle: after the last point it
// moves on to the first point again, one period later.
struct Waypoint {
    float time;
    D3DXVECTOR3 position;
    float heading;
};

// The keys of a track looping with `period` seconds: keys at 0 and at the period are equal, and
// a waypoint time may lie anywhere (it is taken modulo the period).
Animation LoopAnimation(const std::string& frame, std::vector<Waypoint> track, float period,
                        std::uint32_t ticksPerSecond);

// The rotation key that turns a frame to `heading` about Z with the project's keyframe player.
D3DXQUATERNION HeadingKey(float heading);

constexpr float kCarPeriod = 20.0f;     // seconds per loop of cars.x
constexpr float kTrainPeriod = 40.0f;   // seconds per loop of trains_anim.x
constexpr float kCrashTime = 5.0f;      // when the two cars collide, seconds into cars.x

// A small saloon, heading +X, its wheels on z = 0, centred on the origin.
Mesh CarMesh(const std::string& name, float r, float g, float b, bool lightsOn);

Model BuildCarsModel();
Model BuildTrainsModel();

}  // namespace assets::city
