// Recording stand-ins for the engine's two audio-thread entries, linked in
// place of Render.cpp and Notes.cpp so a test sees exactly which engine calls
// a host block turns into, in which order and at which frame.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct EngineCall {
    enum Kind { Render, Note };
    Kind kind;
    int32_t position;  // Render: first frame of the span; Note: frames rendered so far
    int32_t length;    // Render only
    uint8_t status;    // Note only: status with the channel bits cleared
    int16_t key;
    int16_t value;
};

struct EngineLog {
    std::vector<EngineCall> calls;
    // The host's 16 output buffers of the block being processed; each render
    // must be handed pointers at one common offset into them.
    float* const* block = nullptr;
    int32_t reached = 0;        // end of the last rendered span of this block
    bool misplacedSpan = false;  // a render got pointers not at one offset of block
    // Called inside a render, after it was logged, with its index in calls.
    std::function<void(size_t)> duringRender;

    void reset(float* const* outputs) {
        calls.clear();
        block = outputs;
        reached = 0;
        misplacedSpan = false;
        duringRender = nullptr;
    }
    void startBlock(float* const* outputs) {
        block = outputs;
        reached = 0;
    }
    std::vector<EngineCall> notes() const;
    std::vector<EngineCall> renders() const;
};

extern EngineLog engineLog;

// What a render writes into its span, so tests can see which call wrote a frame.
inline float renderMark(size_t callIndex) { return static_cast<float>(callIndex + 1); }
