// zel's speed: rendering songs through the demo kit as `zel render` does,
// into a stereo WAV file (as a real-time factor: seconds of audio per second
// of work, and zel_share, the part of that work that is zel's own mixdown and
// file writing), building and restoring a kit of 16 ten-second samples, and
// zel's start-up.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "AudioWriter.h"
#include "BenchSongs.h"
#include "DemoKit.h"
#include "KitBuilder.h"
#include "MidiFile.h"
#include "OutputMix.h"
#include "PendingFile.h"
#include "PluginInstance.h"
#include "Render.h"
#include "WavImage.h"

namespace {

constexpr uint32_t kRate = 44100;

// Takes the blocks and drops them: the render without zel's own work.
struct NoSink : RenderSink {
    void write(const float* const* outputs, int32_t) override { benchmark::DoNotOptimize(outputs[0][0]); }
};

double cpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

MidiSong grooveFile() {
    MidiSong song;
    std::string error;
    if (!readMidiFile(ZEL_GROOVE, song, error)) std::fprintf(stderr, "%s: %s\n", ZEL_GROOVE, error.c_str());
    return song;
}

// One render as `zel render` does it, into a stereo WAV file (never
// committed); with noFile, the same render with its blocks dropped.
int64_t renderSongOnce(const std::vector<uint8_t>& kit, const std::vector<TimedMessage>& messages,
                       int64_t songEnd, bool noFile) {
    PluginInstance plugin;
    plugin.open(kRate, 1024);
    plugin.setChunk(kit);
    plugin.resume();
    const RenderOptions options{kRate, 1024, pairsWithSound(plugin.kit())};
    if (noFile) {
        NoSink none;
        return renderSong(plugin, messages, songEnd, options, none).frames;
    }
    PendingFile file((std::filesystem::temp_directory_path() / "zel-bench-render.wav").string());
    AudioWriter writer(file, 2, kRate, songEnd + 700 * int64_t(kRate));
    OutputMix mix(writer, false, options.soundingPairs);
    const int64_t frames = renderSong(plugin, messages, songEnd, options, mix).frames;
    mix.flush();
    writer.finish();
    return frames;
}

// realtime_x: seconds of audio per CPU second of a whole render; zel_share:
// the part of that CPU time that is zel's own (mixdown, file writing),
// from the same render with its blocks dropped.
void renderThroughDemoKit(benchmark::State& state, const MidiSong& song) {
    const std::vector<uint8_t> kit = demoKitImage();
    const std::vector<TimedMessage> messages = timedMessages(song, kRate);
    const int64_t songEnd = MidiClock(song, kRate).frameAt(song.endTick);
    int64_t frames = 0;
    double whole = 0.0, engineOnly = 0.0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        frames += renderSongOnce(kit, messages, songEnd, false);
        const double rendered = cpuSeconds();
        renderSongOnce(kit, messages, songEnd, true);
        whole += rendered - start;
        engineOnly += cpuSeconds() - rendered;
    }
    state.counters["realtime_x"] = double(frames) / kRate / whole;
    state.counters["audio_s"] = double(frames) / kRate / double(state.iterations());
    state.counters["zel_share"] = 1.0 - engineOnly / whole;
}

void BM_RenderExampleGroove(benchmark::State& state) { renderThroughDemoKit(state, grooveFile()); }
BENCHMARK(BM_RenderExampleGroove)->Unit(benchmark::kMillisecond);

void BM_RenderDenseMinute(benchmark::State& state) { renderThroughDemoKit(state, denseGroove(1)); }
BENCHMARK(BM_RenderDenseMinute)->Unit(benchmark::kMillisecond);

void BM_SynthesizeDemoKit(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(demoKitImage().size());
}
BENCHMARK(BM_SynthesizeDemoKit)->Unit(benchmark::kMillisecond);

// Sixteen ten-second 16-bit files on disk, made once.
class TenSecondSamples {
public:
    TenSecondSamples() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zel-bench-XXXXXX").string();
        directory = mkdtemp(pattern.data()) != nullptr ? pattern : ".";
        uint32_t noise = 1;
        for (int p = 0; p < 16; ++p) {
            std::vector<int32_t> samples(10 * kRate);
            for (int32_t& sample : samples) {
                noise = noise * 1664525u + 1013904223u;
                sample = int32_t(noise >> 16) - 32768;
            }
            const std::vector<uint8_t> wav = canonicalWav(samples, 16, kRate);
            paths.push_back(directory + "/pad" + std::to_string(p + 1) + ".wav");
            std::FILE* file = std::fopen(paths.back().c_str(), "wb");
            std::fwrite(wav.data(), 1, wav.size(), file);
            std::fclose(file);
        }
    }
    ~TenSecondSamples() { std::filesystem::remove_all(directory); }
    std::vector<std::string> paths;

private:
    std::string directory;
};

KitRecipe sixteenPads(const TenSecondSamples& samples) {
    KitRecipe recipe;
    for (int p = 0; p < 16; ++p) recipe.samples.push_back({p, samples.paths[size_t(p)]});
    return recipe;
}

void BM_BuildKitOf16TenSecondSamples(benchmark::State& state) {
    const TenSecondSamples samples;
    const KitRecipe recipe = sixteenPads(samples);
    for (auto _ : state) benchmark::DoNotOptimize(buildKit(recipe).size());
    state.counters["kit_MB"] = double(buildKit(recipe).size()) / 1e6;
}
BENCHMARK(BM_BuildKitOf16TenSecondSamples)->Unit(benchmark::kMillisecond);

void BM_RestoreKitOf16TenSecondSamples(benchmark::State& state) {
    const TenSecondSamples samples;
    const std::vector<uint8_t> kit = buildKit(sixteenPads(samples));
    for (auto _ : state) {
        PluginInstance plugin;
        plugin.open(kRate, 1024);
        benchmark::DoNotOptimize(plugin.setChunk(kit));
    }
}
BENCHMARK(BM_RestoreKitOf16TenSecondSamples)->Unit(benchmark::kMillisecond);

// A zel that only prints its usage: what every command pays before its own
// work, loading zel and the libraries it links.
void BM_ZelStartUp(benchmark::State& state) {
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char program[] = ZEL_PATH, help[] = "--help";
    char* arguments[] = {program, help, nullptr};
    for (auto _ : state) {
        pid_t child = -1;
        int status = 0;
        if (posix_spawn(&child, program, &quiet, nullptr, arguments, environ) != 0 || waitpid(child, &status, 0) != child ||
            !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("zel --help failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
}
BENCHMARK(BM_ZelStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
