// The plug-in core under both bindings, VST 2.4 and LV2: the kit twice over,
// the edit lock, the one parameter path, patches and sample loads, and the
// audio thread's block processing.
//
// The model is the kit as the editing threads keep it: every edit changes it
// under the edit lock, every read (a patch, a parameter's text, the editor's
// view) reads it. The engine is the kit the audio thread plays: its voices,
// and a copy of each pad's playback state that the audio thread takes over
// from the model at its next engine call after an edit. So an edit never
// silences, delays or waits for the sound: it is prepared beside it and
// takes effect at a span boundary, in one step. Buffers an edit replaces are
// freed once the audio thread has moved past them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/AudioParameterEdits.h"
#include "core/EditLock.h"
#include "core/EventQueue.h"
#include "core/KitPublisher.h"
#include "core/NoteInput.h"
#include "core/RetiredBuffers.h"
#include "engine/DrumSynth.h"
#include "engine/NoteActivity.h"
#include "engine/Render.h"

class PluginCore {
public:
    // The kit at its defaults, then the default patch beside modulePath
    // (its folder's preset/preset.bin) when there is one; suspended.
    PluginCore(float sampleRate, int32_t blockLength, const char* modulePath);
    ~PluginCore();
    PluginCore(const PluginCore&) = delete;
    PluginCore& operator=(const PluginCore&) = delete;

    // False when an allocation failed during construction.
    bool isComplete() const { return complete; }
    // Whether the default patch replaced the built-in kit.
    bool loadedDefaultPatch() const { return defaultPatchLoaded; }

    // --- Edit side: any thread but the audio thread; each takes the edit lock.

    // The one parameter path: value (clamped into [0, 1]) becomes the
    // model's setting, and the engine's at its next call.
    void setParameter(int32_t index, float value);
    // The model's normalised value of the parameter, and its display text in
    // text (kDisplayTextSize bytes).
    float describeParameter(int32_t index, char* text);
    // The value alone, without the lock: hosts read values from any thread,
    // the audio thread among them. 0 outside the 240.
    float parameterValue(int32_t index) const;
    // False, changing nothing, for a rate no audio runs at.
    bool setSampleRate(float rate);

    // Each answers why it refused, in words, or an empty text; a refusal
    // changes nothing. A file is read and its sample decoded before the
    // lock is taken, so that no edit ever waits on the disk.
    std::string loadSampleFile(int pad, const char* path);
    std::string loadSampleBytes(int pad, const uint8_t* bytes, int64_t size, const char* name);
    void removeSample(int pad);
    // False, changing nothing, for a name longer than a pad keeps (15).
    bool renamePad(int pad, const char* name);

    // Hands reader(bytes, size) the patch of the kit as it stands, while the
    // lock holds it still.
    template <class Reader>
    void readPatch(Reader&& reader) {
        EditHold hold(editLock);
        absorbAudioEdits();
        const SampleStore* store = builtPatch();
        reader(reinterpret_cast<const uint8_t*>(store), patchSize(store));
    }
    // Makes the block the kit; 0, with the reason in *why when given, when it
    // was refused (nothing changed), else its size.
    int32_t restore(const uint8_t* bytes, int64_t size, const char** why = nullptr);
    std::string savePatchFile(const char* path);
    std::string loadPatchFile(const char* path);

    // What an editor shows of a pad: its settings, and whether it holds a
    // sample to play.
    PadSettings padSettings(int pad, bool* holdsSample);

    // The host stops and starts the audio. While suspended, the audio thread
    // stays out of the engine and edits reach it at once.
    void suspend();
    void resume();
    bool isSuspended() const { return suspended.load(); }

    // Frees the buffers the audio thread is done with; for idle moments.
    void collectGarbage();

    // --- Any thread.

    NoteActivity noteActivity(int pad) const;
    // An editor's audition: the key played (on) or released by the next
    // render, at velocity 100. False, asking nothing, while a request is
    // still pending, so that a note-on and its note-off never arrive out of
    // order.
    bool previewKey(int8_t key, bool on);

    // --- Audio side: the host's audio thread only.

    // Plays each event of events at its frame and renders the stretches
    // between them in spans of at most blockLength frames into all 16
    // outputs. Edits published meanwhile are taken over before every engine
    // call. Stops where the host suspends the audio; events at or past the
    // block's end are handled after its last frame. Answers 2 when something
    // an editor shows changed.
    //
    // Events: bool more(), const QueuedEvent& front(), void pop().
    template <class Events>
    int processBlock(float* const* outputs, int32_t frames, Events& events);

    // A parameter changed on the audio thread itself (LV2's control ports):
    // the engine's at once, the model's at its next edit.
    void setParameterFromAudio(int32_t index, float value);

    // The pad as the engine plays it, the published edits taken over first
    // (a format that compares its controls with the engine's settings).
    const Pad& audioPad(int pad);
    // Whether an edit is published that the engine has not taken over yet:
    // then what the engine holds is not yet what the model says.
    bool editsWaiting() const { return publisher.waitingForPickUp(); }

    // --- For tools and tests.
    DrumSynth& modelSynth() { return model; }
    DrumSynth& engineSynth() { return engine; }
    const DrumSynth& engineSynth() const { return engine; }

private:
    void publish(PadMask pads, bool rates = false);
    void refreshValues(PadMask pads);
    void absorbAudioEdits();
    const SampleStore* builtPatch();
    static int32_t patchSize(const SampleStore* store);

    bool enterAudio();
    // Release is enough: the suspender only needs the block's writes before
    // it sees the audio thread gone (entering needs the full fence).
    void leaveAudio() { audioInside.store(false, std::memory_order_release); }
    void takeEdits();
    int handleEvent(const QueuedEvent& event);
    int renderSpan(float* const* outputs, int32_t position, int32_t length);

    DrumSynth model{};
    DrumSynth engine{};
    EditLock editLock;
    KitPublisher publisher;
    RetiredBuffers retired{publisher};
    AudioParameterEdits audioEdits;
    std::atomic<float> values[kParamCount] = {};  // the model's, for lock-free reads
    NoteInput noteInput;
    std::atomic<bool> suspended{true};
    std::atomic<bool> audioInside{false};
    bool complete = false;
    bool defaultPatchLoaded = false;
};

template <class Events>
int PluginCore::processBlock(float* const* outputs, int32_t frames, Events& events) {
    if (frames <= 0 || !enterAudio()) return 0;
    int result = 0;
    int32_t position = 0;
    while (position < frames && !suspended.load()) {
        int32_t target = frames;
        if (events.more() && events.front().deltaFrames < frames) target = events.front().deltaFrames;
        while (position < target && !suspended.load()) {
            const int32_t left = target - position;
            const int32_t length = left < engine.blockLength ? left : engine.blockLength;
            result |= renderSpan(outputs, position, length);
            position += length;
        }
        if (events.more()) {
            result |= handleEvent(events.front());
            events.pop();
        }
    }
    // Events at or past the block's end are handled after its last frame.
    if (position >= frames) {
        while (events.more()) {
            result |= handleEvent(events.front());
            events.pop();
        }
    }
    leaveAudio();
    return result;
}
