// Buffers the audio thread may still be reading when an edit replaces them
// (a pad's decoded samples) go to a retirement, which frees each once the
// audio thread has moved past it. A synth without one frees them at once.
#pragma once

class Retirement {
public:
    virtual ~Retirement() = default;
    virtual void retire(void* buffer) = 0;
};
