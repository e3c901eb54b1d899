// Scene: one timed part of the show. The demo application creates each scene once, loads it
// before the music starts and then renders it on every frame whose show time lies in the
// scene's windows.
#pragma once

#include "platform/gpu/d3d8types.h"

class Scene {
public:
    virtual ~Scene() = default;

    // Creates the scene's objects and loads its files: 0 when everything loaded, E_FAIL at the
    // first file that failed (what was created so far stays with the scene).
    virtual HRESULT Load() = 0;
    // Draws the scene for show time t (seconds since the show began), between the frame's
    // begin and end. The caller ignores the result.
    virtual int Render(float t) = 0;
    // Releases what the scene holds beyond its destructor, or switches off a render state the
    // scene switched on. The show itself never calls it.
    virtual void Unload() = 0;
    // A fixed per-scene constant; the show itself never calls it.
    virtual int GetStatus() = 0;
};
