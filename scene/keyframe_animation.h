// Keyframe animation: evaluates an animation frame's key tracks at a time in ticks.
#pragma once

#include "scene/model_hierarchy.h"

// Ticks per second of X file animation time.
constexpr double kTicksPerSecond = 4800.0;
// The clock restarts at 0 once it passes this many ticks.
constexpr float kClockLimit = 1e15f;

// Writes the target's local matrix from the frame's tracks at `time` ticks. A frame without a
// target is passed over.
void PoseAtTime(ModelFrame& frame, float time);

// Adds `seconds` to the hierarchy's clock and poses every frame of its animation list.
void AdvanceHierarchy(ModelHierarchy& hierarchy, float seconds);
