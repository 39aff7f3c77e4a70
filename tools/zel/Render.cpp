#include "Render.h"

#include "PluginInstance.h"
#include "engine/DrumKit.h"

namespace {

// How many messages, from next on, fall before the frame end.
size_t dueCount(const std::vector<TimedMessage>& messages, size_t next, int64_t end) {
    size_t count = 0;
    while (next + count < messages.size() && messages[next + count].frame < end) ++count;
    return count;
}

}  // namespace

RenderResult renderSong(PluginInstance& plugin, const std::vector<TimedMessage>& messages,
                        int64_t songEnd, const RenderOptions& options, RenderSink& sink,
                        RenderProgress* progress) {
    std::vector<std::vector<float>> buffers(kOutputCount + 1,
                                            std::vector<float>(static_cast<size_t>(options.block)));
    float* outputs[kOutputCount];
    for (int o = 0; o < kOutputCount; ++o)
        outputs[o] = buffers[(options.soundingPairs >> (o / 2)) & 1u ? o : kOutputCount].data();
    const int64_t limit = songEnd + 1 + static_cast<int64_t>(kMaxTailSeconds * options.rate);

    RenderResult result;
    size_t next = 0;
    // Past the song's last frame, each block ends the render once no voice sounds.
    while (result.frames <= songEnd || plugin.sounding()) {
        if (result.frames >= limit) {
            result.cutOff = true;
            break;
        }
        const int64_t start = result.frames;
        const size_t count = dueCount(messages, next, start + options.block);
        if (count != 0) plugin.sendMidi(messages.data() + next, count, start);
        next += count;
        plugin.process(outputs, options.block);
        sink.write(outputs, options.block);
        result.frames += options.block;
        if (progress != nullptr) progress->advanced(result.frames);
    }
    return result;
}
