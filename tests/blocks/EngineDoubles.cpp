#include "EngineDoubles.h"

#include "engine/Notes.h"
#include "engine/Render.h"

EngineLog engineLog;

std::vector<EngineCall> EngineLog::notes() const {
    std::vector<EngineCall> out;
    for (const EngineCall& call : calls)
        if (call.kind == EngineCall::Note) out.push_back(call);
    return out;
}

std::vector<EngineCall> EngineLog::renders() const {
    std::vector<EngineCall> out;
    for (const EngineCall& call : calls)
        if (call.kind == EngineCall::Render) out.push_back(call);
    return out;
}

int renderBlock(DrumSynth& synth, float* const* outputs, int32_t count) {
    (void)synth;
    EngineLog& log = engineLog;
    int32_t offset = -1;
    if (log.block != nullptr) {
        offset = static_cast<int32_t>(outputs[0] - log.block[0]);
        for (int o = 0; o < kOutputCount; ++o)
            if (outputs[o] != log.block[o] + offset) log.misplacedSpan = true;
    }
    const size_t index = log.calls.size();
    log.calls.push_back({EngineCall::Render, offset, count, 0, 0, 0});
    // The engine overwrites every output for the span.
    for (int o = 0; o < kOutputCount; ++o)
        for (int32_t i = 0; i < count; ++i) outputs[o][i] = renderMark(index);
    log.reached = offset + count;
    if (log.duringRender) log.duringRender(index);
    return 0;
}

int noteEvent(DrumSynth& synth, uint8_t status, int16_t key, int16_t velocity) {
    (void)synth;
    EngineLog& log = engineLog;
    log.calls.push_back({EngineCall::Note, log.reached, 0, status, key, velocity});
    return 0;
}
