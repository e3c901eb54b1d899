// Raw OpenGL reference for the device's per-draw overhead: the particle pattern (one uniform
// change and one four-vertex strip per draw) without any of the device's bookkeeping. Used by
// the device benchmark; runs on whatever context is current.
#pragma once

namespace gpu {

class RawGlBaseline {
public:
    RawGlBaseline();  // builds a trivial program and a four-vertex buffer on the current context
    ~RawGlBaseline();
    RawGlBaseline(const RawGlBaseline&) = delete;
    RawGlBaseline& operator=(const RawGlBaseline&) = delete;

    bool Valid() const { return program_ != 0; }
    // Issues `draws` draws, each after one glUniform4f.
    void Draw(int draws);

private:
    unsigned program_ = 0, buffer_ = 0, vao_ = 0;
    int offsetLocation_ = -1;
};

// Waits until the current context has finished all submitted work.
void FinishGl();

}  // namespace gpu
