// Drives a built plug-in binary the way a host does: VSTPluginMain, the
// dispatcher, parameters, MIDI events and processReplacing, nothing else.
// The same source runs natively against the .so and under wine against the
// DLL; the binary's path is the program's one argument.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "PluginUnderTest.h"
#include "VstHost.h"

namespace {

constexpr VstInt32 kUniqueId = 0x6B716D72;
constexpr int kParams = 240;
constexpr int kOutputs = 16;
// Replacing processing, chunks and an instrument; no editor is declared yet.
constexpr VstInt32 kFlags = effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth;
static_assert(kFlags == 0x131, "declared flags");

const char* const kNames[15] = {"Name", "Wav",         "Volume", "Pan",  "Pitch",
                                "Low",  "High",        "Mid",    "Mid-gain",
                                "Sample rate", "bit",  "Note",   "Group", "Channel", "Pitch-X"};
const char* const kLabels[15] = {"",     "",     "[%]", "[%]", "[%]", "[Hz]", "[Hz]", "[Hz]",
                                 "[%]", "[Hz]", "",    "",    "",    "",     "[%]"};
const int kPadKeys[16] = {36, 37, 38, 42, 44, 46, 41, 43, 45, 47, 48, 50, 51, 55, 49, 57};
const char* const kPadKeyNames[16] = {"C2", "C#2", "D2", "F#2", "G#2", "A#2", "F2", "G2",
                                      "A2", "B2",  "C3", "D3",  "D#3", "G3",  "C#3", "A3"};

// Every call the plug-in makes to the host, for the tests that listen.
struct HostCall {
    AEffect* effect;
    VstInt32 opcode, index;
    VstIntPtr value;
    void* ptr;
    float opt;
};
std::vector<HostCall> hostCalls;
VstIntPtr recordedAnswer = 0;

VstIntPtr recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                        void* ptr, float opt) {
    hostCalls.push_back({effect, opcode, index, value, ptr, opt});
    return opcode == audioMasterVersion ? recordedAnswer : 0;
}

std::unique_ptr<vsthost::Effect> newInstance() {
    AEffect* record = library != nullptr ? library->create() : nullptr;
    return record != nullptr ? std::make_unique<vsthost::Effect>(record) : nullptr;
}

// Output buffers as a host hands them over: full of old data, with a tail
// past the requested frames that the plug-in must not touch.
constexpr float kStale = 1234.5f;
constexpr int kTail = 64;

struct Buffers {
    std::vector<std::vector<float>> channels;
    std::vector<float*> pointers;
    Buffers(int count, int frames) : channels(count, std::vector<float>(frames + kTail, kStale)) {
        for (auto& channel : channels) pointers.push_back(channel.data());
    }
    bool allStale() const {
        for (const auto& channel : channels)
            for (float sample : channel)
                if (sample != kStale) return false;
        return true;
    }
    // Zero in the first frames of every channel, untouched after them.
    bool silentFor(int frames) const {
        for (const auto& channel : channels)
            for (size_t i = 0; i < channel.size(); ++i)
                if (channel[i] != (int(i) < frames ? 0.0f : kStale)) return false;
        return true;
    }
};

VstIntPtr sendNote(vsthost::Effect& effect, int frame = 0) {
    return effect.sendMidi({{frame, 0x90, 36, 100}});
}

class Plugin : public testing::Test {
protected:
    void SetUp() override {
        effect = newInstance();
        ASSERT_NE(effect, nullptr) << "VSTPluginMain made no instance of " << pluginPath;
    }
    std::unique_ptr<vsthost::Effect> effect;
};

// --- The entry point and the record --------------------------------------

TEST_F(Plugin, RecordDeclaresTheInstrument) {
    const AEffect& record = *effect->record();
    EXPECT_EQ(record.magic, 0x56737450);
    EXPECT_EQ(record.uniqueID, kUniqueId);
    EXPECT_EQ(record.version, 1);
    EXPECT_EQ(record.numPrograms, 1);
    EXPECT_EQ(record.numParams, kParams);
    EXPECT_EQ(record.numInputs, 2);
    EXPECT_EQ(record.numOutputs, kOutputs);
    EXPECT_EQ(record.flags, kFlags);
    EXPECT_EQ(record.ioRatio, 1.0f);
    EXPECT_EQ(record.initialDelay, 0);
    EXPECT_EQ(record.realQualities, 0);
    EXPECT_EQ(record.offQualities, 0);
    EXPECT_EQ(record.resvd1, 0);
    EXPECT_EQ(record.resvd2, 0);
    EXPECT_NE(record.object, nullptr);
    EXPECT_EQ(record.user, nullptr);
    EXPECT_NE(record.dispatcher, nullptr);
    EXPECT_NE(record.process, nullptr);
    EXPECT_NE(record.setParameter, nullptr);
    EXPECT_NE(record.getParameter, nullptr);
    EXPECT_NE(record.processReplacing, nullptr);
    EXPECT_NE(record.processDoubleReplacing, nullptr);
    for (char byte : record.future) EXPECT_EQ(byte, 0);
}

TEST(Entry, HostVersionDecidesWhetherAnInstanceIsMade) {
    ASSERT_NE(library, nullptr);
    hostCalls.clear();
    recordedAnswer = 0;
    EXPECT_EQ(library->create(recordingHost), nullptr);
    ASSERT_EQ(hostCalls.size(), 1u);
    const HostCall& call = hostCalls[0];
    EXPECT_EQ(call.effect, nullptr);
    EXPECT_EQ(call.opcode, audioMasterVersion);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.value, 0);
    EXPECT_EQ(call.ptr, nullptr);
    EXPECT_EQ(call.opt, 0.0f);

    for (VstIntPtr answer : {VstIntPtr(1), VstIntPtr(2400), VstIntPtr(-1)}) {
        recordedAnswer = answer;
        AEffect* record = library->create(recordingHost);
        ASSERT_NE(record, nullptr) << "host version " << answer;
        EXPECT_EQ(record->magic, kEffectMagic);
        EXPECT_EQ(vsthost::Effect(record).close(), 1);
    }
    EXPECT_EQ(library->create(nullptr), nullptr) << "no host callback at all";
}

TEST(Entry, MainIsTheSameEntry) {
    ASSERT_NE(library, nullptr);
    const vsthost::PluginEntry mainEntry = library->entry("main");
    ASSERT_NE(mainEntry, nullptr);
    EXPECT_EQ(mainEntry, library->entry("VSTPluginMain"));
    AEffect* record = mainEntry(vsthost::hostCallback);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->uniqueID, kUniqueId);
    EXPECT_EQ(vsthost::Effect(record).close(), 1);
}

TEST(Entry, PluginCallsTheHostOnlyForItsVersion) {
    ASSERT_NE(library, nullptr);
    hostCalls.clear();
    recordedAnswer = kVstVersion;
    AEffect* record = library->create(recordingHost);
    ASSERT_NE(record, nullptr);
    vsthost::Effect effect(record);
    effect.dispatch(effOpen);
    effect.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect.dispatch(effSetProgram, 0, 0);
    effect.setParameter(17, 1.0f);
    effect.getParameter(17);
    effect.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(sendNote(effect, 10), 1);
    Buffers out(kOutputs, 256);
    effect.process(out.pointers.data(), 256);
    effect.dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(effect.close(), 1);
    ASSERT_EQ(hostCalls.size(), 1u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterVersion);
}

TEST_F(Plugin, CloseAnswersOne) {
    EXPECT_EQ(effect->close(), 1);
    // After a working session as well.
    auto other = newInstance();
    ASSERT_NE(other, nullptr);
    other->dispatch(effMainsChanged, 0, 1);
    Buffers out(kOutputs, 128);
    other->process(out.pointers.data(), 128);
    EXPECT_EQ(other->close(), 1);
}

TEST_F(Plugin, InstancesKeepTheirOwnState) {
    auto second = newInstance();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->record(), effect->record());
    EXPECT_NE(second->record()->object, effect->record()->object);

    effect->setParameter(17, 1.0f);  // pad 1 "Volume" to 200 %
    EXPECT_EQ(effect->getParameter(17), 1.0f);
    EXPECT_EQ(effect->text(effGetParamDisplay, 17), "200");
    EXPECT_EQ(second->getParameter(17), 0.5f);
    EXPECT_EQ(second->text(effGetParamDisplay, 17), "100");

    // Processing is switched per instance.
    effect->dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(sendNote(*effect), 1);
    EXPECT_EQ(sendNote(*second), 0);
    Buffers first(kOutputs, 200), other(kOutputs, 200);
    effect->process(first.pointers.data(), 200);
    second->process(other.pointers.data(), 200);
    EXPECT_TRUE(first.silentFor(200));
    EXPECT_TRUE(other.allStale());

    // Closing one leaves the other whole.
    EXPECT_EQ(effect->close(), 1);
    EXPECT_EQ(second->text(effGetEffectName), "zel001");
    EXPECT_EQ(second->getParameter(17), 0.5f);
    second->dispatch(effMainsChanged, 0, 1);
    Buffers later(kOutputs, 100);
    second->process(later.pointers.data(), 100);
    EXPECT_TRUE(later.silentFor(100));
}

// --- Dispatcher answers --------------------------------------------------

VstIntPtr canDo(vsthost::Effect& effect, const char* text) {
    std::vector<char> copy(text, text + std::strlen(text) + 1);
    return effect.dispatch(effCanDo, 0, 0, copy.data());
}

TEST_F(Plugin, CanDoAnswersForMidiInputOnly) {
    EXPECT_EQ(canDo(*effect, "receiveVstEvents"), 1);
    EXPECT_EQ(canDo(*effect, "receiveVstMidiEvent"), 1);
    for (const char* text : {"", "receiveVstEvent", "ReceiveVstEvents", "receiveVstMidiEvents",
                             "receiveVstEvents ", "receiveVstTimeInfo", "sendVstEvents",
                             "sendVstMidiEvent", "offline", "bypass"})
        EXPECT_EQ(canDo(*effect, text), -1) << '"' << text << '"';
    EXPECT_EQ(effect->dispatch(effCanDo, 0, 0, nullptr), -1);
}

// What a text opcode wrote into a buffer full of marks. It may write at most
// limit characters and their zero, and not one byte past that zero: a host
// may have made its buffer just as long as the interface's standard length.
std::string writtenText(vsthost::Effect& effect, VstInt32 opcode, VstInt32 index, size_t limit,
                        VstIntPtr answer = 0) {
    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(effect.dispatch(opcode, index, 0, buffer), answer) << "opcode " << opcode;
    const char* end = static_cast<const char*>(std::memchr(buffer, '\0', limit + 1));
    if (end == nullptr) {
        ADD_FAILURE() << "opcode " << opcode << " index " << index << ": no zero in " << limit + 1 << " bytes";
        return {};
    }
    for (const char* byte = end + 1; byte < buffer + sizeof buffer; ++byte)
        if (*byte != '#') {
            ADD_FAILURE() << "opcode " << opcode << " index " << index << " wrote byte " << byte - buffer
                          << " past the zero of \"" << buffer << "\"";
            break;
        }
    return std::string(buffer, static_cast<size_t>(end - buffer));
}

TEST_F(Plugin, IdentityTexts) {
    EXPECT_EQ(writtenText(*effect, effGetEffectName, 0, 32, 1), "zel001");
    EXPECT_EQ(writtenText(*effect, effGetVendorString, 0, 16, 1), "zel");
    EXPECT_EQ(writtenText(*effect, effGetProductString, 0, 16, 1), "Drum machine");
}

TEST_F(Plugin, FixedAnswers) {
    EXPECT_EQ(effect->dispatch(effOpen), 0);
    EXPECT_EQ(effect->dispatch(effGetVendorVersion), 300);
    EXPECT_EQ(effect->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(effect->dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(effect->dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(effect->dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(effect->dispatch(effGetProgram), 0);
    for (VstInt32 index : {0, 1, 17, 239})
        EXPECT_EQ(effect->dispatch(effCanBeAutomated, index), 1) << "index " << index;
}

TEST_F(Plugin, TheOneProgram) {
    effect->setParameter(3, 0.0f);
    EXPECT_EQ(effect->dispatch(effSetProgram, 0, 0), 0);
    EXPECT_EQ(effect->dispatch(effGetProgram), 0);
    // A program change touches no setting.
    EXPECT_EQ(effect->getParameter(3), 0.0f);
    EXPECT_EQ(effect->text(effGetParamDisplay, 3), "-100");
    for (VstIntPtr program : {VstIntPtr(1), VstIntPtr(2), VstIntPtr(-1), VstIntPtr(1000)}) {
        EXPECT_EQ(effect->dispatch(effSetProgram, 0, program), 0);
        EXPECT_EQ(effect->dispatch(effGetProgram), 0) << "after program " << program;
    }

    char name[64];
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ(name, "");
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(effect->dispatch(effGetProgramName, 0, 0, name), 0);
    EXPECT_STREQ(name, "");
}

TEST_F(Plugin, SpeakerArrangementIsNone) {
    int dummy[2];
    void* input = &dummy[0];
    void* output = &dummy[1];
    EXPECT_EQ(effect->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input),
                               &output),
              0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    EXPECT_EQ(effect->dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST_F(Plugin, TotalSampleToProcessIsEchoed) {
    for (VstIntPtr value : {VstIntPtr(0), VstIntPtr(1), VstIntPtr(512), VstIntPtr(123456789),
                            VstIntPtr(-5), VstIntPtr(INT64_MAX)})
        EXPECT_EQ(effect->dispatch(effSetTotalSampleToProcess, 0, value), value);
}

// The host's screen scale for the editor (effVendorSpecific, index 'PreS',
// value 'AeCs', the scale in opt): effEditGetRect reports the size at the
// nearest quarter step, rounded half up, before any editor opens. What
// cannot be a scale, and other vendors' calls, change nothing.
TEST_F(Plugin, TheHostsScaleSizesTheEditor) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        VstInt32 index;
        VstIntPtr value;
        float scale;
        VstIntPtr answer;
        int width, height;
    };
    const VstInt32 pres = kScaleRequestIndex;
    const VstIntPtr aecs = kScaleRequestValue;
    const Case cases[] = {
        {pres, aecs, 2.0f, 1, 2048, 1198}, {pres, aecs, 1.5f, 1, 1536, 899},
        {pres, aecs, nan, 0, 1536, 899},   {pres, aecs, -2.0f, 0, 1536, 899},
        {pres, aecs, 0.0f, 0, 1536, 899},  {pres, aecs, 1e30f, 0, 1536, 899},
        {pres, aecs, inf, 0, 1536, 899},   {pres, 0, 2.0f, 0, 1536, 899},
        {1, aecs, 2.0f, 0, 1536, 899},     {pres, aecs, 1.3f, 1, 1280, 749},
        {pres, aecs, 3.0f, 1, 3072, 1797}, {pres, aecs, 1.0f, 1, 1024, 599},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("index " + std::to_string(c.index) + ", value " + std::to_string(c.value) + ", scale " +
                     std::to_string(c.scale));
        EXPECT_EQ(effect->dispatch(effVendorSpecific, c.index, c.value, nullptr, c.scale), c.answer);
        ERect* rect = nullptr;
        ASSERT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, c.width);
        EXPECT_EQ(rect->bottom - rect->top, c.height);
    }
}

TEST_F(Plugin, OtherOpcodesAnswerZeroAndTouchNothing) {
    const VstInt32 opcodes[] = {
        effSetProgramName, effString2Parameter, effGetInputProperties, effGetOutputProperties,
        effOfflineNotify, effOfflinePrepare, effOfflineRun, effProcessVarIo,
        effSetSpeakerArrangement, effSetBypass, effVendorSpecific, effGetTailSize,
        effGetParameterProperties, effGetMidiProgramName, effGetMidiProgramCategory,
        effHasMidiProgramsChanged, effGetMidiKeyName, effBeginSetProgram, effEndSetProgram,
        effShellGetNextPlugin, effStartProcess, effStopProcess, effSetPanLaw, effBeginLoadBank,
        effBeginLoadProgram, effSetProcessPrecision, effGetNumMidiInputChannels,
        effGetNumMidiOutputChannels,
        // retired
        effGetVu, effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep,
        effGetNumProgramCategories, effCopyProgram, effConnectInput, effConnectOutput,
        effGetCurrentPosition, effGetDestinationBuffer, effSetBlockSizeAndSampleRate,
        effGetErrorText, effIdle, effGetIcon, effSetViewPosition, effKeysRequired,
        // unknown
        80, 81, 100, 1000, INT_MAX, -1, -2, -80, -1000, INT_MIN};
    std::vector<char> scratch(4096, '#');
    for (VstInt32 opcode : opcodes) {
        EXPECT_EQ(effect->dispatch(opcode, 1, reinterpret_cast<VstIntPtr>(scratch.data() + 2048),
                                   scratch.data(), 1.0f),
                  0)
            << "opcode " << opcode;
        EXPECT_EQ(effect->dispatch(opcode), 0) << "opcode " << opcode << " with nothing";
        for (size_t i = 0; i < scratch.size(); ++i)
            ASSERT_EQ(scratch[i], '#') << "opcode " << opcode << " wrote byte " << i;
    }
    // Still the same instrument afterwards.
    EXPECT_EQ(effect->dispatch(effGetProgram), 0);
    EXPECT_EQ(effect->text(effGetProductString), "Drum machine");
}


TEST_F(Plugin, MainsChangedSwitchesProcessing) {
    EXPECT_EQ(sendNote(*effect), 0) << "a new instance is suspended";
    EXPECT_EQ(effect->dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(sendNote(*effect), 1);
    EXPECT_EQ(effect->dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(sendNote(*effect), 0);
    for (VstIntPtr on : {VstIntPtr(2), VstIntPtr(-1)}) {
        EXPECT_EQ(effect->dispatch(effMainsChanged, 0, on), 0);
        EXPECT_EQ(sendNote(*effect), 1) << "mains " << on;
        effect->dispatch(effMainsChanged, 0, 0);
    }
}

TEST_F(Plugin, RateAndBlockSizeKeepSilenceSilent) {
    EXPECT_EQ(effect->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(effect->dispatch(effSetBlockSize, 0, 4096), 0);
    effect->dispatch(effMainsChanged, 0, 1);
    for (int frames : {4096, 5000, 1, 1024, 1025}) {
        Buffers out(kOutputs, frames);
        effect->process(out.pointers.data(), frames);
        EXPECT_TRUE(out.silentFor(frames)) << frames << " frames";
    }
    // Rates no audio runs at are not taken up.
    for (float rate : {0.0f, -44100.0f}) {
        EXPECT_EQ(effect->dispatch(effSetSampleRate, 0, 0, nullptr, rate), 0);
        Buffers out(kOutputs, 300);
        effect->process(out.pointers.data(), 300);
        EXPECT_TRUE(out.silentFor(300)) << "rate " << rate;
    }
}

// --- Parameters ----------------------------------------------------------

TEST_F(Plugin, NamesAndLabelsOfEveryParameter) {
    for (VstInt32 index = 0; index < kParams; ++index) {
        EXPECT_EQ(writtenText(*effect, effGetParamName, index, 16), kNames[index % 15]) << "index " << index;
        EXPECT_EQ(writtenText(*effect, effGetParamLabel, index, 16), kLabels[index % 15]) << "index " << index;
    }
}

TEST_F(Plugin, DefaultValuesAndDisplays) {
    for (int pad = 0; pad < 16; ++pad) {
        char group[8];
        std::snprintf(group, sizeof group, "%d", pad + 1);
        const struct {
            const char* display;
            float value;
        } expected[15] = {
            {"", 0.0f},          {"", 0.0f},         {"100", 0.5f},   {"0", 0.5f},
            {"100", 1.0f / 3},   {"0", 0.0f},        {"30.00", 1.0f}, {"0", 0.0f},
            {"0.00", 0.5f},      {"192", 1.0f},      {"24bit", 1.0f},
            {kPadKeyNames[pad], (kPadKeys[pad] - 20) / 70.0f},
            {group, pad / 15.0f}, {"1", 0.0f},       {"0", 0.5f},
        };
        for (int k = 0; k < 15; ++k) {
            const VstInt32 index = pad * 15 + k;
            EXPECT_EQ(writtenText(*effect, effGetParamDisplay, index, 16), expected[k].display)
                << "index " << index;
            EXPECT_NEAR(effect->getParameter(index), expected[k].value, 1e-6) << "index " << index;
        }
    }
}

TEST_F(Plugin, AChangedParameterIsNeverAnsweredFromAnOlderReading) {
    // A host reads a value, changes it, and reads the value or its text again.
    EXPECT_EQ(effect->getParameter(17), 0.5f);
    effect->setParameter(17, 1.0f);
    EXPECT_EQ(effect->text(effGetParamDisplay, 17), "200");
    EXPECT_EQ(effect->getParameter(3), 0.5f);
    effect->setParameter(3, 0.0f);
    EXPECT_EQ(effect->getParameter(3), 0.0f);
    // A restored kit and a program change are changes too.
    void* data = nullptr;
    const VstIntPtr size = effect->dispatch(effGetChunk, 0, 0, &data);
    std::vector<uint8_t> saved(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    EXPECT_EQ(effect->text(effGetParamDisplay, 17), "200");
    effect->setParameter(17, 0.25f);
    EXPECT_EQ(effect->getParameter(17), 0.25f);
    EXPECT_EQ(effect->dispatch(effSetChunk, 0, size, saved.data()), size);
    EXPECT_EQ(effect->getParameter(17), 1.0f);
}

TEST_F(Plugin, SetValuesAreReadBack) {
    effect->setParameter(17, 1.0f);   // pad 1 volume
    effect->setParameter(3, 0.0f);    // pad 0 pan
    effect->setParameter(239, 1.0f);  // pad 15 Pitch-X
    effect->setParameter(176, 1.0f);  // pad 11 note
    EXPECT_EQ(effect->getParameter(17), 1.0f);
    EXPECT_EQ(effect->text(effGetParamDisplay, 17), "200");
    EXPECT_EQ(effect->getParameter(3), 0.0f);
    EXPECT_EQ(effect->text(effGetParamDisplay, 3), "-100");
    EXPECT_EQ(effect->getParameter(239), 1.0f);
    EXPECT_EQ(effect->text(effGetParamDisplay, 239), "100");
    EXPECT_EQ(effect->text(effGetParamDisplay, 176), "F#6");
    // Neighbours keep their defaults.
    EXPECT_EQ(effect->getParameter(2), 0.5f);
    EXPECT_EQ(effect->getParameter(32), 0.5f);
    EXPECT_EQ(effect->text(effGetParamDisplay, 18), "0");
}

TEST_F(Plugin, OutOfRangeParametersAreEmpty) {
    std::vector<float> before;
    for (VstInt32 index = 0; index < kParams; ++index) before.push_back(effect->getParameter(index));
    for (VstInt32 index : {-1, kParams, kParams + 1, 100000, INT_MAX, INT_MIN}) {
        EXPECT_EQ(effect->getParameter(index), 0.0f) << "index " << index;
        for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
            char text[32];
            std::memset(text, '#', sizeof text);
            EXPECT_EQ(effect->dispatch(opcode, index, 0, text), 0);
            EXPECT_STREQ(text, "") << "opcode " << opcode << " index " << index;
        }
        effect->setParameter(index, 1.0f);
        EXPECT_EQ(effect->getParameter(index), 0.0f) << "index " << index;
    }
    for (VstInt32 index = 0; index < kParams; ++index)
        EXPECT_EQ(effect->getParameter(index), before[index]) << "index " << index;
}

TEST_F(Plugin, NullPointersAreSafe) {
    for (VstInt32 index : {0, 17, 239, -1, 240}) {
        EXPECT_EQ(effect->dispatch(effGetParamName, index, 0, nullptr), 0);
        EXPECT_EQ(effect->dispatch(effGetParamLabel, index, 0, nullptr), 0);
        EXPECT_EQ(effect->dispatch(effGetParamDisplay, index, 0, nullptr), 0);
    }
    EXPECT_EQ(effect->dispatch(effGetProgramName, 0, 0, nullptr), 0);
    EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
    EXPECT_EQ(effect->dispatch(effGetEffectName, 0, 0, nullptr), 0);
    EXPECT_EQ(effect->dispatch(effGetVendorString, 0, 0, nullptr), 0);
    EXPECT_EQ(effect->dispatch(effGetProductString, 0, 0, nullptr), 0);
    EXPECT_EQ(effect->dispatch(effCanDo, 0, 0, nullptr), -1);
    EXPECT_EQ(effect->dispatch(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(effect->dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
    for (VstInt32 index : {0, 1}) {
        EXPECT_EQ(effect->dispatch(effGetChunk, index, 0, nullptr), 0);
        EXPECT_EQ(effect->dispatch(effSetChunk, index, 0, nullptr), 0);
        EXPECT_EQ(effect->dispatch(effSetChunk, index, 100, nullptr), 0);
    }
    for (VstIntPtr mains : {VstIntPtr(0), VstIntPtr(1)}) {
        effect->dispatch(effMainsChanged, 0, mains);
        EXPECT_EQ(effect->dispatch(effProcessEvents, 0, 0, nullptr), 0) << "mains " << mains;
    }
    // Still answering afterwards.
    EXPECT_EQ(effect->text(effGetParamName, 9), "Sample rate");
}

// --- Processing ----------------------------------------------------------

TEST_F(Plugin, ResumedWithoutSamplesRendersSilence) {
    effect->dispatch(effMainsChanged, 0, 1);
    std::vector<std::vector<float>> inputs(2, std::vector<float>(512, 0.25f));
    float* inputPointers[2] = {inputs[0].data(), inputs[1].data()};
    Buffers out(kOutputs, 512);
    effect->record()->processReplacing(effect->record(), inputPointers, out.pointers.data(), 512);
    EXPECT_TRUE(out.silentFor(512));
    for (const auto& input : inputs)
        for (float sample : input) ASSERT_EQ(sample, 0.25f) << "an instrument never writes its inputs";

    // Every pad's key, on several channels and offsets, some past the block:
    // nothing is loaded, so nothing sounds.
    for (int block = 0; block < 3; ++block) {
        std::vector<vsthost::MidiEvent> events;
        for (int pad = 0; pad < 16; ++pad)
            events.push_back({pad * 37, uint8_t(0x90 | (pad % 3)), uint8_t(kPadKeys[pad]), 127});
        events.push_back({300, 0x80, 36, 0});
        events.push_back({700, 0x90, 38, 64});
        events.push_back({511, 0xB0, 123, 0});
        EXPECT_EQ(effect->sendMidi(events), 1);
        Buffers next(kOutputs, 512);
        effect->process(next.pointers.data(), 512);
        EXPECT_TRUE(next.silentFor(512)) << "block " << block;
    }
}

TEST_F(Plugin, SuspendedLeavesBuffersUntouched) {
    Buffers fresh(kOutputs, 256);
    effect->process(fresh.pointers.data(), 256);
    EXPECT_TRUE(fresh.allStale()) << "a new instance is suspended";

    effect->dispatch(effMainsChanged, 0, 1);
    effect->dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(sendNote(*effect), 0);
    Buffers stopped(kOutputs, 256);
    effect->process(stopped.pointers.data(), 256);
    EXPECT_TRUE(stopped.allStale()) << "after effMainsChanged 0";

    effect->dispatch(effMainsChanged, 0, 1);
    for (VstInt32 frames : {0, -1, -512}) {
        Buffers none(kOutputs, 256);
        effect->process(none.pointers.data(), frames);
        EXPECT_TRUE(none.allStale()) << frames << " frames";
    }
}

}  // namespace
