// What the tool tests share: running the built programs, a scratch
// directory per test, and audio files read back through libsndfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MidiTiming.h"

namespace tooltest {

// A fresh directory, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string path(const std::string& name) const { return root + "/" + name; }
    // The names in the directory, sorted; hidden files too.
    std::vector<std::string> names() const;

private:
    std::string root;
};

struct Outcome {
    int status = -1;  // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

Outcome run(const std::string& program, const std::vector<std::string>& arguments);
// Starts zel without waiting for it, its output discarded; the process id.
int startZel(const std::vector<std::string>& arguments);
Outcome zel(const std::vector<std::string>& arguments);
Outcome vsthost(const std::vector<std::string>& arguments);

std::string zelPath();
std::string pluginPath();
std::string examplesDir();
std::string grooveGeneratorPath();

std::vector<uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

struct Audio {
    int channels = 0;
    int rate = 0;
    int64_t frames = 0;
    std::vector<float> samples;  // interleaved
    float at(int64_t frame, int channel) const { return samples[size_t(frame * channels + channel)]; }
    bool silent() const;
};
Audio readAudio(const std::string& path);

// Writes a sound file through libsndfile: integers left-justified in 32 bits, or floats.
void writeSound(const std::string& path, int format, int channels, int rate, const std::vector<int>& interleaved);
void writeSound(const std::string& path, int format, int channels, int rate, const std::vector<float>& interleaved);

// A failure as every command reports one: a non-zero exit, nothing on
// stdout, one line "zel: ..." on stderr that mentions each text.
void expectOneLineError(const Outcome& outcome, const std::vector<std::string>& mentions);

// "FRAME:STATUS:DATA1:DATA2,..." for vsthost's --midi.
std::string midiArgument(const std::vector<TimedMessage>& messages);

}  // namespace tooltest
