#include "RenderCommand.h"

#include <vector>

#include "AudioWriter.h"
#include "DemoKit.h"
#include "KitFile.h"
#include "MidiFile.h"
#include "OutputMix.h"
#include "PendingFile.h"
#include "PluginInstance.h"
#include "ProgressBar.h"
#include "ZelError.h"
#include "engine/DrumKit.h"
#include "files/FileBytes.h"

namespace {

MidiSong readSong(const std::string& path) {
    MidiSong song;
    std::string reason;
    if (!readMidiFile(path, song, reason)) throw fileError(path, reason);
    return song;
}

}  // namespace

RenderResult renderFile(const RenderRequest& request) {
    const RenderOptions& options = request.options;
    const MidiSong song = readSong(request.midiPath);
    const int64_t songEnd = MidiClock(song, options.rate).frameAt(song.endTick);
    if (static_cast<double>(songEnd) > kMaxSongSeconds * options.rate)
        throw fileError(request.midiPath, "lasts longer than the 6 hours zel renders");
    const std::vector<uint8_t> kit =
        request.kitPath.empty() ? demoKitImage() : readKitFile(request.kitPath);

    PluginInstance plugin;
    plugin.open(options.rate, options.block);
    if (!plugin.setChunk(kit))
        throw fileError(request.kitPath.empty() ? "the demo kit" : request.kitPath, "refused by the plug-in");
    plugin.resume();

    PendingFile output(request.outputPath);
    const int64_t maxFrames = songEnd + options.block + static_cast<int64_t>(kMaxTailSeconds * options.rate);
    AudioWriter writer(output, request.allOutputs ? kOutputCount : 2, options.rate, maxFrames);
    RenderOptions playing = options;
    playing.soundingPairs = pairsWithSound(plugin.kit());
    OutputMix mix(writer, request.allOutputs, playing.soundingPairs);
    ProgressBar bar(baseName(request.outputPath.c_str()), songEnd, options.rate);
    const RenderResult result =
        renderSong(plugin, timedMessages(song, options.rate), songEnd, playing, mix, &bar);
    bar.finish();
    mix.flush();
    writer.finish();
    output.commit();
    return result;
}
