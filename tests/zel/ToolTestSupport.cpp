#include "ToolTestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace tooltest {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "zel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch directory");
    root = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::vector<std::string> ScratchDir::names() const {
    std::vector<std::string> list;
    for (const fs::directory_entry& entry : fs::directory_iterator(root))
        list.push_back(entry.path().filename().string());
    std::sort(list.begin(), list.end());
    return list;
}

// Runs the program with its output and errors captured in files outside any
// scratch directory a test looks into.
namespace {

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, const std::string& outPath,
            const std::string& errPath) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = -1;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

}  // namespace

Outcome run(const std::string& program, const std::vector<std::string>& arguments) {
    ScratchDir capture;
    const std::string outPath = capture.path("out"), errPath = capture.path("err");
    Outcome outcome;
    const pid_t child = spawn(program, arguments, outPath, errPath);
    if (child > 0) {
        int status = 0;
        waitpid(child, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::vector<uint8_t> out = readBytes(outPath), err = readBytes(errPath);
    outcome.out.assign(out.begin(), out.end());
    outcome.err.assign(err.begin(), err.end());
    return outcome;
}

std::string zelPath() { return ZEL_PATH; }
std::string pluginPath() { return PLUGIN_PATH; }
std::string examplesDir() { return EXAMPLES_DIR; }
std::string grooveGeneratorPath() { return GROOVE_PATH; }

Outcome zel(const std::vector<std::string>& arguments) { return run(ZEL_PATH, arguments); }

int startZel(const std::vector<std::string>& arguments) {
    return spawn(ZEL_PATH, arguments, "/dev/null", "/dev/null");
}
Outcome vsthost(const std::vector<std::string>& arguments) { return run(VSTHOST_PATH, arguments); }

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool Audio::silent() const {
    return std::all_of(samples.begin(), samples.end(), [](float x) { return x == 0.0f; });
}

Audio readAudio(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Audio audio;
    if (file == nullptr) return audio;
    audio.channels = info.channels;
    audio.rate = info.samplerate;
    audio.frames = info.frames;
    audio.samples.resize(size_t(info.frames * info.channels));
    // Float files come back exactly as stored.
    audio.frames = sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

namespace {

template <typename Sample>
void writeSoundOf(const std::string& path, int format, int channels, int rate, const std::vector<Sample>& interleaved) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    if constexpr (std::is_same<Sample, float>::value)
        sf_writef_float(file, interleaved.data(), sf_count_t(interleaved.size() / channels));
    else
        sf_writef_int(file, interleaved.data(), sf_count_t(interleaved.size() / channels));
    sf_close(file);
}

}  // namespace

void writeSound(const std::string& path, int format, int channels, int rate, const std::vector<int>& interleaved) {
    writeSoundOf(path, format, channels, rate, interleaved);
}

void writeSound(const std::string& path, int format, int channels, int rate, const std::vector<float>& interleaved) {
    writeSoundOf(path, format, channels, rate, interleaved);
}

void expectOneLineError(const Outcome& outcome, const std::vector<std::string>& mentions) {
    EXPECT_NE(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    ASSERT_FALSE(outcome.err.empty());
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_EQ(outcome.err.back(), '\n');
    EXPECT_EQ(outcome.err.rfind("zel: ", 0), 0u) << outcome.err;
    for (const std::string& mention : mentions) EXPECT_NE(outcome.err.find(mention), std::string::npos) << outcome.err;
}

std::string midiArgument(const std::vector<TimedMessage>& messages) {
    std::string text;
    for (const TimedMessage& m : messages) {
        if (!text.empty()) text += ",";
        text += std::to_string(m.frame) + ":" + std::to_string(m.status) + ":" + std::to_string(m.data1) +
                ":" + std::to_string(m.data2);
    }
    return text;
}

}  // namespace tooltest
