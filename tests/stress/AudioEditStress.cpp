// One instance, four threads, a few seconds: the host's audio thread plays
// MIDI through blocks of every size while three other threads edit the kit
// the ways a host and the editor do: host parameters, the host saving and
// restoring the chunk, and WAV files from disk loaded into pads and removed.
// Built with ThreadSanitizer any data race stops the process; either way no
// output frame may come back unwritten or non-finite, and every chunk handed
// out must be a whole patch that the plug-in takes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "EventBlock.h"
#include "files/Patch.h"
#include "host/zelVst.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kOutputs = 16;
constexpr int kPads = 16;
constexpr int kParams = 240;
constexpr int32_t kLongestBlock = 4096;
constexpr auto kRunTime = std::chrono::seconds(4);
constexpr int kMaxEventsPerBlock = 12;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

struct Counts {
    std::atomic<long> blocks{0};
    std::atomic<long> audibleBlocks{0};
    std::atomic<long> badFrames{0};
    std::atomic<long> refusedEvents{0};
    std::atomic<long> parameterCalls{0};
    std::atomic<long> chunkRounds{0};
    std::atomic<long> tornChunks{0};
    std::atomic<long> refusedChunks{0};
    std::atomic<long> loads{0};
    std::atomic<long> refusedLoads{0};
    std::atomic<long> removals{0};
};

struct Session {
    AEffect* effect;
    zelVst* plugin;
    std::atomic<bool> go{false};
    std::atomic<bool> done{false};
    Counts counts;
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    void waitForGo() const {
        while (!go.load()) std::this_thread::yield();
    }
};

// Real files on disk: canonical WAV files of every width, mono and stereo,
// at several rates and lengths, in a private temporary folder.
class WavFolder {
public:
    WavFolder() {
        root = fs::temp_directory_path() / ("zel-stress-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
        std::mt19937 rng(5);
        const uint32_t rates[] = {11025, 22050, 44100, 48000, 96000};
        for (int i = 0; i < 12; ++i) {
            const int width = 1 + i % 4;
            const int channels = 1 + (i / 4) % 2;
            const int frames = 500 + 1700 * i;
            paths.push_back(write("sample" + std::to_string(i) + ".wav", channels, width,
                                  rates[i % 5], frames, rng));
        }
    }
    ~WavFolder() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    const std::vector<std::string>& files() const { return paths; }

private:
    std::string write(const std::string& name, int channels, int width, uint32_t rate, int frames,
                      std::mt19937& rng) {
        const uint32_t blockAlign = uint32_t(channels * width);
        const uint32_t dataSize = blockAlign * uint32_t(frames);
        std::vector<uint8_t> file;
        auto put = [&file](uint32_t value, int bytes) {
            for (int b = 0; b < bytes; ++b) file.push_back(uint8_t(value >> (8 * b)));
        };
        auto tag = [&file](const char* text) { file.insert(file.end(), text, text + 4); };
        tag("RIFF");
        put(36 + dataSize, 4);
        tag("WAVE");
        tag("fmt ");
        put(16, 4);
        put(1, 2);
        put(uint32_t(channels), 2);
        put(rate, 4);
        put(rate * blockAlign, 4);
        put(blockAlign, 2);
        put(uint32_t(8 * width), 2);
        tag("data");
        put(dataSize, 4);
        for (uint32_t i = 0; i < dataSize; ++i) file.push_back(uint8_t(rng()));
        const fs::path path = root / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                    std::streamsize(file.size()));
        return path.string();
    }

    fs::path root;
    std::vector<std::string> paths;
};

void playAudio(Session& run) {
    std::mt19937 rng(11);
    std::vector<std::vector<float>> storage(kOutputs, std::vector<float>(kLongestBlock));
    std::vector<float> silence(kLongestBlock, 0.0f);
    float* outputs[kOutputs];
    float* inputs[2] = {silence.data(), silence.data()};
    for (int o = 0; o < kOutputs; ++o) outputs[o] = storage[o].data();
    EventBlock list{kMaxEventsPerBlock};
    std::vector<HostEvent> events;
    auto pick = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };

    run.waitForGo();
    const auto deadline = Clock::now() + kRunTime;
    while (Clock::now() < deadline) {
        // Host block sizes: anything from 1 to 4096, often a power of two.
        int32_t frames = pick(1, kLongestBlock);
        if (pick(0, 2) == 0) frames = 1 << pick(0, 12);
        else if (pick(0, 2) == 0) frames = pick(1, 64);

        const int count = pick(0, kMaxEventsPerBlock);
        events.clear();
        for (int e = 0; e < count; ++e) {
            const int32_t delta = pick(0, frames + frames / 4);  // some past the block's end
            const int kind = pick(0, 9);
            const int channel = pick(0, 3);
            const uint8_t status = uint8_t((kind < 6 ? 0x90 : kind < 9 ? 0x80 : 0xB0) | channel);
            const uint8_t key = uint8_t(kind < 9 ? pick(20, 91) : 123);  // keys pads can have
            events.push_back({delta, status, key, uint8_t(kind < 9 ? pick(0, 127) : 0)});
        }
        if (run.dispatch(effProcessEvents, 0, 0, list.fill(events)) != 1) run.counts.refusedEvents.fetch_add(1);

        // Frames the plug-in leaves unwritten would show up as NaN.
        for (auto& buffer : storage)
            std::fill(buffer.begin(), buffer.begin() + frames, std::numeric_limits<float>::quiet_NaN());
        run.effect->processReplacing(run.effect, inputs, outputs, frames);

        bool audible = false;
        long bad = 0;
        for (int o = 0; o < kOutputs; ++o)
            for (int32_t f = 0; f < frames; ++f) {
                const float value = storage[o][f];
                if (!std::isfinite(value)) ++bad;
                else if (value != 0.0f) audible = true;
            }
        run.counts.badFrames.fetch_add(bad);
        if (audible) run.counts.audibleBlocks.fetch_add(1);
        run.counts.blocks.fetch_add(1);
    }
    run.done.store(true);
}

void automateParameters(Session& run) {
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> index(0, kParams - 1);
    std::uniform_real_distribution<float> value(-0.25f, 1.25f);  // clamped by the plug-in
    run.waitForGo();
    while (!run.done.load()) {
        run.effect->setParameter(run.effect, index(rng), value(rng));
        run.counts.parameterCalls.fetch_add(1);
        std::this_thread::yield();
    }
}

// The host saves its song and restores it: the chunk it was handed must be a
// whole patch however the kit changes meanwhile, and must go back in.
void saveAndRestore(Session& run) {
    run.waitForGo();
    while (!run.done.load()) {
        void* data = nullptr;
        const VstIntPtr size = run.dispatch(effGetChunk, 0, 0, &data);
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        if (size <= 0 || bytes == nullptr || patchRefusal(bytes, size) != nullptr) {
            run.counts.tornChunks.fetch_add(1);
            continue;
        }
        if (run.dispatch(effSetChunk, 0, size, data) != size) run.counts.refusedChunks.fetch_add(1);
        run.counts.chunkRounds.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void loadAndRemoveSamples(Session& run, const std::vector<std::string>& files) {
    std::mt19937 rng(29);
    auto pick = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    run.waitForGo();
    while (!run.done.load()) {
        const int pad = pick(0, kPads - 1);
        if (pick(0, 4) == 0) {
            run.plugin->core().removeSample(pad);
            run.counts.removals.fetch_add(1);
        } else {
            const std::string& file = files[size_t(pick(0, int(files.size()) - 1))];
            const std::string refused = run.plugin->core().loadSampleFile(pad, file.c_str());
            if (!refused.empty()) {
                run.counts.refusedLoads.fetch_add(1);
                std::fprintf(stderr, "%s refused: %s\n", file.c_str(), refused.c_str());
            }
            run.counts.loads.fetch_add(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(AudioEditStress, AudioAgainstParametersChunksAndSampleLoads) {
    const WavFolder folder;
    Session run;
    run.effect = createPlugin(hostCallback);
    ASSERT_NE(run.effect, nullptr);
    run.plugin = static_cast<zelVst*>(run.effect->object);
    run.effect->dispatcher(run.effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    for (int p = 0; p < kPads; ++p) {
        const std::string& file = folder.files()[size_t(p) % folder.files().size()];
        ASSERT_EQ(run.plugin->core().loadSampleFile(p, file.c_str()), "") << file;
    }
    run.dispatch(effMainsChanged, 0, 1);

    std::thread audio(playAudio, std::ref(run));
    std::thread host(automateParameters, std::ref(run));
    std::thread song(saveAndRestore, std::ref(run));
    std::thread editor(loadAndRemoveSamples, std::ref(run), std::cref(folder.files()));
    run.go.store(true);
    audio.join();
    host.join();
    song.join();
    editor.join();

    run.dispatch(effMainsChanged, 0, 0);
    run.dispatch(effClose);

    const Counts& counts = run.counts;
    EXPECT_EQ(counts.badFrames.load(), 0) << "non-finite or unwritten output frames";
    EXPECT_EQ(counts.refusedEvents.load(), 0);
    EXPECT_EQ(counts.tornChunks.load(), 0) << "a chunk handed out was no whole patch";
    EXPECT_EQ(counts.refusedChunks.load(), 0) << "the plug-in refused its own chunk";
    EXPECT_EQ(counts.refusedLoads.load(), 0) << "a good WAV file was refused";
    // Every side ran.
    EXPECT_GT(counts.blocks.load(), 0);
    EXPECT_GT(counts.audibleBlocks.load(), 0);
    EXPECT_GT(counts.parameterCalls.load(), 0);
    EXPECT_GT(counts.chunkRounds.load(), 0);
    EXPECT_GT(counts.loads.load(), 0);
    EXPECT_GT(counts.removals.load(), 0);
    std::printf("%ld blocks (%ld audible), %ld parameter calls, %ld chunk rounds, %ld loads, "
                "%ld removals\n",
                counts.blocks.load(), counts.audibleBlocks.load(), counts.parameterCalls.load(),
                counts.chunkRounds.load(), counts.loads.load(), counts.removals.load());
}

// One instance's sound over seeded host blocks with hits on every pad but
// pad 15 (whose key, 57, is never sent): all sixteen outputs, frame by frame.
std::vector<float> playAllButPadFifteen(AEffect* effect, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    static const uint8_t kKeys[15] = {36, 37, 38, 42, 44, 46, 41, 43, 45, 47, 48, 50, 51, 55, 49};
    std::vector<std::vector<float>> storage(kOutputs, std::vector<float>(1024));
    std::vector<float> silence(1024, 0.0f);
    float* outputs[kOutputs];
    float* inputs[2] = {silence.data(), silence.data()};
    for (int o = 0; o < kOutputs; ++o) outputs[o] = storage[size_t(o)].data();
    EventBlock list{8};
    std::vector<float> heard;
    for (int block = 0; block < 400; ++block) {
        const int32_t frames = 1 << pick(5, 10);
        std::vector<HostEvent> events;
        if (pick(0, 3) == 0) events.push_back({pick(0, frames - 1), 0x90, kKeys[pick(0, 14)], uint8_t(pick(1, 127))});
        effect->dispatcher(effect, effProcessEvents, 0, 0, list.fill(events), 0.0f);
        effect->processReplacing(effect, inputs, outputs, frames);
        for (const auto& channel : storage) heard.insert(heard.end(), channel.begin(), channel.begin() + frames);
    }
    return heard;
}

AEffect* startedInstance(const WavFolder& folder) {
    AEffect* effect = createPlugin(hostCallback);
    if (effect == nullptr) return nullptr;
    zelVst* plugin = static_cast<zelVst*>(effect->object);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    for (int p = 0; p < kPads; ++p)
        plugin->core().loadSampleFile(p, folder.files()[size_t(p) % folder.files().size()].c_str());
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    return effect;
}

// Loads and removals race the audio thread on a pad that never plays: no
// span falls silent or late, and every buffer they replace is freed only
// after the audio has let go of it (ThreadSanitizer and AddressSanitizer
// watch that).
TEST(AudioEditStress, SampleLoadsAndRemovalsOfAQuietPadChangeNoSound) {
    const WavFolder folder;
    AEffect* alone = startedInstance(folder);
    AEffect* edited = startedInstance(folder);
    ASSERT_TRUE(alone != nullptr && edited != nullptr);
    const std::vector<float> expected = playAllButPadFifteen(alone, 3);

    std::atomic<bool> done{false};
    std::atomic<long> edits{0};
    std::thread editor([&] {
        PluginCore& core = static_cast<zelVst*>(edited->object)->core();
        for (size_t i = 0; !done.load(); ++i) {
            if (i % 3 == 2)
                core.removeSample(15);
            else
                core.loadSampleFile(15, folder.files()[i % folder.files().size()].c_str());
            edits.fetch_add(1);
        }
    });
    const std::vector<float> heard = playAllButPadFifteen(edited, 3);
    done.store(true);
    editor.join();
    EXPECT_GT(edits.load(), 10);
    ASSERT_EQ(heard.size(), expected.size());
    EXPECT_EQ(std::memcmp(heard.data(), expected.data(), heard.size() * sizeof(float)), 0);
    alone->dispatcher(alone, effClose, 0, 0, nullptr, 0.0f);
    edited->dispatcher(edited, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
