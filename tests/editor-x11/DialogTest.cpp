// The file dialogs: the editor runs the desktop's dialog program, found on
// PATH. Here PATH holds only a stand-in of our own that notes how it was
// called and answers the path the test left for it, or cancels.
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "PluginUnderTest.h"

namespace x11test {
namespace {


using Call = std::vector<std::string>;

class Dialogs : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        const char* path = getenv("PATH");
        savedPath = path != nullptr ? path : "";
        std::filesystem::create_directory(dir / "bin");
        std::filesystem::create_directory(dir / "files");
        usePath(dir / "bin");
    }
    void TearDown() override {
        EditorTest::TearDown();
        setenv("PATH", savedPath.c_str(), 1);
    }

    void usePath(const std::string& path) { setenv("PATH", path.c_str(), 1); }

    // A stand-in dialog program of that name in bin. It uses only the
    // shell's own commands, so it runs with nothing else on PATH. It notes
    // its process id, then answers; or, with wait, sits until it is ended,
    // as a dialog the user leaves open.
    void installStandIn(const std::string& program, bool wait = false) {
        const std::string file = dir / ("bin/" + program);
        {
            std::ofstream script(file);
            script << "#!/bin/sh\n"
                      "printf '%s\\n' $$ > '" << (dir / "pid") << "'\n"
                      "for argument in \"$@\"; do printf '%s\\n' \"$argument\" >> '" << (dir / "calls") << "'; done\n"
                      "printf '%s\\n' '<end>' >> '" << (dir / "calls") << "'\n";
            if (wait) script << "read -r never < '" << (dir / "never") << "'\n";
            script << "if [ -f '" << (dir / "answer") << "' ]; then\n"
                      "  IFS= read -r answer < '" << (dir / "answer") << "'\n"
                      "  printf '%s\\n' \"$answer\"\n"
                      "  exit 0\n"
                      "fi\n"
                      "exit 1\n";
        }
        chmod(file.c_str(), 0755);
        // Opening a FIFO with no writer blocks: the stand-in waits there.
        if (wait) mkfifo((dir / "never").c_str(), 0600);
    }

    void answer(const std::string& path) {
        const std::string line = path + "\n";
        writeFile(dir / "answer", std::vector<uint8_t>(line.begin(), line.end()));
    }
    void cancelNext() { std::filesystem::remove(dir / "answer"); }

    // Every call of the stand-in so far, each its arguments.
    std::vector<Call> calls() const {
        std::vector<Call> found(1);
        std::ifstream in(dir / "calls");
        for (std::string line; std::getline(in, line);) {
            if (line == "<end>")
                found.emplace_back();
            else
                found.back().push_back(line);
        }
        found.pop_back();
        return found;
    }

    // Presses a button and waits until the dialog it opens has been shown.
    void pressAndWaitForDialog(Spot spot) {
        const size_t before = calls().size();
        editor().click(spot.x, spot.y);
        ASSERT_TRUE(editor().idleUntil([&] { return calls().size() == before + 1; })) << "no dialog ran";
    }

    std::vector<std::string> filesMade() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "files"))
            names.push_back(entry.path().filename().string());
        return names;
    }

    static bool has(const Call& call, const std::string& argument) {
        return std::find(call.begin(), call.end(), argument) != call.end();
    }
    // The argument that starts with prefix, without it; "?" when none does.
    static std::string valueOf(const Call& call, const std::string& prefix) {
        for (const std::string& argument : call)
            if (argument.compare(0, prefix.size(), prefix) == 0) return argument.substr(prefix.size());
        return "?";
    }
    // The dialog starts in the plug-in's own folder.
    static void expectPluginFolder(const std::string& start) {
        ASSERT_FALSE(start.empty());
        EXPECT_EQ(start.back(), '/') << start;
        const auto folder = std::filesystem::absolute(pluginPath).parent_path();
        EXPECT_TRUE(std::filesystem::equivalent(start, folder)) << start << " vs " << folder;
    }

    TempDir dir;
    std::string savedPath;
};

TEST_F(Dialogs, OpenWavLoadsTheChosenFileIntoTheSelectedPad) {
    installStandIn("zenity");
    const std::string wav = dir / "files/snare hit.wav";
    writeWav(wav, noise(5000, 11));
    answer(wav);
    openEditor();
    editor().click(nameLabel(2).x, nameLabel(2).y);
    ASSERT_TRUE(becomes(nameLabelFace(2), kSelectedName));
    const int key = padOf(*effect, 2).note;
    EXPECT_EQ(hit(*effect, key), 0.0f);

    pressAndWaitForDialog(kFileLabel);
    EXPECT_TRUE(editor().idleUntil([&] { return padOf(*effect, 2).fileName == "snare hit.wav"; }))
        << padOf(*effect, 2).fileName;
    EXPECT_GT(hit(*effect, key), 0.01f);

    const Call call = calls().at(0);
    EXPECT_TRUE(has(call, "--file-selection"));
    EXPECT_TRUE(has(call, "--title=Open WAV file"));
    EXPECT_NE(valueOf(call, "--file-filter=").find("*.wav"), std::string::npos) << valueOf(call, "--file-filter=");
    expectPluginFolder(valueOf(call, "--filename="));
    EXPECT_FALSE(has(call, "--save"));
}

TEST_F(Dialogs, SavePatchWritesTheKitThatRestoresByteForByte) {
    installStandIn("zenity");
    ASSERT_TRUE(setChunk(*effect, kitWithSampleOnPad0(3000)));
    effect->setParameter(param(4, kPan), 0.25f);
    const std::string saved = dir / "files/my kit.bin";
    answer(saved);
    openEditor();

    pressAndWaitForDialog(kSaveButton);
    ASSERT_TRUE(editor().idleUntil([&] { return exists(saved); }));
    const std::vector<uint8_t> bytes = readFile(saved);
    EXPECT_TRUE(bytes == getChunk(*effect)) << "the file is the kit as effGetChunk gives it";
    {
        std::unique_ptr<vsthost::Effect> other = newInstance();
        ASSERT_TRUE(setChunk(*other, bytes));
        EXPECT_TRUE(getChunk(*other) == bytes) << "and restores byte for byte";
        EXPECT_EQ(other->getParameter(param(4, kPan)), 0.25f);
    }
    const Call call = calls().at(0);
    EXPECT_TRUE(has(call, "--file-selection"));
    EXPECT_TRUE(has(call, "--title=Save Patch file"));
    EXPECT_NE(valueOf(call, "--file-filter=").find("*.bin"), std::string::npos) << valueOf(call, "--file-filter=");
    expectPluginFolder(valueOf(call, "--filename="));
    EXPECT_TRUE(has(call, "--save"));

    // A name given without an extension gets the patch's.
    answer(dir / "files/second");
    pressAndWaitForDialog({kSaveButton.x + 12, kSaveButton.y});
    EXPECT_TRUE(editor().idleUntil([&] { return exists(dir / "files/second.bin"); }));
    EXPECT_FALSE(exists(dir / "files/second"));
    EXPECT_TRUE(readFile(dir / "files/second.bin") == bytes);
}

TEST_F(Dialogs, LoadPatchMakesTheFileTheKit) {
    installStandIn("zenity");
    std::vector<uint8_t> bytes;
    {
        std::unique_ptr<vsthost::Effect> other = newInstance();
        ASSERT_TRUE(setChunk(*other, kitWithSampleOnPad0(3000)));
        other->setParameter(param(0, kPan), 1.0f);
        other->setParameter(param(9, kPan), 0.125f);
        bytes = getChunk(*other);
    }
    const std::string file = dir / "files/other kit.bin";
    writeFile(file, bytes);
    answer(file);
    openEditor();
    ASSERT_FALSE(getChunk(*effect) == bytes);

    pressAndWaitForDialog(kLoadButton);
    EXPECT_TRUE(editor().idleUntil([&] { return getChunk(*effect) == bytes; }));
    EXPECT_EQ(effect->getParameter(param(9, kPan)), 0.125f);
    // The editor shows the loaded kit: pad 0's pan knob at its maximum.
    EXPECT_TRUE(becomes({panKnob(0).x + 24, panKnob(0).y}, kPanInk));

    const Call call = calls().at(0);
    EXPECT_TRUE(has(call, "--title=Load Patch file"));
    EXPECT_NE(valueOf(call, "--file-filter=").find("*.bin"), std::string::npos);
    EXPECT_FALSE(has(call, "--save"));
}

TEST_F(Dialogs, CancellingChangesNothing) {
    installStandIn("zenity");
    openEditor();
    const std::vector<uint8_t> before = getChunk(*effect);
    cancelNext();
    for (Spot button : {kFileLabel, kSaveButton, kLoadButton}) {
        pressAndWaitForDialog(button);
        editor().idle(10);  // the dialog's end is picked up
        EXPECT_TRUE(getChunk(*effect) == before);
        EXPECT_TRUE(filesMade().empty());
        EXPECT_EQ(at(kBanner), kBackground) << "a cancel is no error";
    }
    // The dialogs are free again: the next one is answered.
    answer(dir / "files/after.bin");
    pressAndWaitForDialog({kSaveButton.x + 12, kSaveButton.y});
    EXPECT_TRUE(editor().idleUntil([&] { return exists(dir / "files/after.bin"); }));
    EXPECT_EQ(calls().size(), 4u);
}

// The user leaves the dialog open and the host closes the editor: the
// dialog goes with it, and never held the editor's X connection.
TEST_F(Dialogs, ClosingTheEditorEndsADialogStillShowing) {
    installStandIn("zenity", true);
    const std::set<std::string> hostSockets = openSockets();
    openEditor();
    std::set<std::string> editorSockets;
    for (const std::string& socket : openSockets())
        if (hostSockets.count(socket) == 0) editorSockets.insert(socket);
    ASSERT_FALSE(editorSockets.empty()) << "the editor's own connection";

    pressAndWaitForDialog(kSaveButton);
    std::string pidText;
    ASSERT_TRUE(editor().idleUntil([&] {
        const std::vector<uint8_t> bytes = readFile(dir / "pid");
        pidText.assign(bytes.begin(), bytes.end());
        return pidText.find('\n') != std::string::npos;
    }));
    pidText.erase(pidText.find('\n'));
    const pid_t pid = pid_t(std::stol(pidText));
    for (const std::string& socket : openSockets(pidText))
        EXPECT_EQ(editorSockets.count(socket), 0u) << "the dialog holds the editor's connection " << socket;
    editor().idle(3);
    ASSERT_EQ(kill(pid, 0), 0) << "the dialog still shows";
    // One dialog at a time: Load does nothing while it shows.
    editor().click(kLoadButton.x, kLoadButton.y);
    editor().idle(10);
    EXPECT_EQ(calls().size(), 1u);

    const double closing = timeMs([&] { session->close(); });
    EXPECT_LT(closing, 2000.0);
    EXPECT_EQ(kill(pid, 0), -1) << "the dialog was ended and reaped";
    EXPECT_EQ(errno, ESRCH);
    EXPECT_TRUE(filesMade().empty());
    EXPECT_TRUE(session->idleUntil([&] { return host->children().empty(); }));
}

// Some hosts reap every child themselves (SIGCHLD ignored): the dialog's
// output alone tells an answer from a cancel.
class IgnoredChildSignals {
public:
    IgnoredChildSignals() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGCHLD, &ignore, &previous);
    }
    ~IgnoredChildSignals() { sigaction(SIGCHLD, &previous, nullptr); }
    IgnoredChildSignals(const IgnoredChildSignals&) = delete;
    IgnoredChildSignals& operator=(const IgnoredChildSignals&) = delete;

private:
    struct sigaction previous {};
};

TEST_F(Dialogs, AnswersArriveWhenTheHostReapsChildrenItself) {
    installStandIn("zenity");
    IgnoredChildSignals ignored;
    openEditor();
    const std::vector<uint8_t> before = getChunk(*effect);
    cancelNext();
    pressAndWaitForDialog(kLoadButton);
    editor().idle(10);
    EXPECT_TRUE(getChunk(*effect) == before);
    answer(dir / "files/reaped.bin");
    pressAndWaitForDialog(kSaveButton);
    EXPECT_TRUE(editor().idleUntil([&] { return exists(dir / "files/reaped.bin"); }));
}

TEST_F(Dialogs, KdialogServesWhenZenityIsMissing) {
    installStandIn("kdialog");
    const std::string saved = dir / "files/kde.bin";
    answer(saved);
    openEditor();
    pressAndWaitForDialog(kSaveButton);
    EXPECT_TRUE(editor().idleUntil([&] { return exists(saved); }));
    EXPECT_TRUE(readFile(saved) == getChunk(*effect));
    const Call call = calls().at(0);
    ASSERT_GE(call.size(), 5u);
    const auto title = std::find(call.begin(), call.end(), "--title");
    ASSERT_NE(title, call.end());
    EXPECT_EQ(*(title + 1), "Save Patch file");
    const auto save = std::find(call.begin(), call.end(), "--getsavefilename");
    ASSERT_NE(save, call.end());
    ASSERT_NE(save + 1, call.end());
    expectPluginFolder(*(save + 1));
    EXPECT_TRUE(std::any_of(call.begin(), call.end(),
                            [](const std::string& a) { return a.find("*.bin") != std::string::npos; }));
}

// Files the plug-in cannot use: each is refused with a message, and the
// next press takes the message away.
TEST_F(Dialogs, RefusedFilesShowAMessageAndChangeNothing) {
    installStandIn("zenity");
    writeFile(dir / "files/not a kit.bin", std::vector<uint8_t>(100, 7));
    writeFile(dir / "files/not a sound.wav", std::vector<uint8_t>(100, 7));
    openEditor();
    const std::vector<uint8_t> before = getChunk(*effect);
    struct Case {
        Spot button;
        std::string answer;
    };
    const Case cases[] = {{kLoadButton, dir / "files/not a kit.bin"},
                          {kFileLabel, dir / "files/not a sound.wav"},
                          {kSaveButton, dir / "files/no such folder/kit.bin"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        answer(c.answer);
        pressAndWaitForDialog(c.button);
        EXPECT_TRUE(becomes(kBanner, kBannerFace)) << at(kBanner);
        EXPECT_TRUE(getChunk(*effect) == before);
        editor().click(kEmpty.x, kEmpty.y);
        EXPECT_TRUE(becomes(kBanner, kBackground)) << at(kBanner);
    }
    EXPECT_FALSE(exists(dir / "files/no such folder"));
}

TEST_F(Dialogs, WithoutADialogProgramSaveShowsAMessageAndNothingElse) {
    usePath(dir / "files");  // neither zenity nor kdialog
    ASSERT_TRUE(setChunk(*effect, kitWithSampleOnPad0(3000)));
    openEditor();
    const std::vector<uint8_t> before = getChunk(*effect);
    ASSERT_EQ(at(kBanner), kBackground);
    editor().click(kSaveButton.x, kSaveButton.y);
    EXPECT_TRUE(becomes(kBanner, kBannerFace)) << at(kBanner);
    EXPECT_TRUE(getChunk(*effect) == before);
    EXPECT_TRUE(filesMade().empty());
    EXPECT_EQ(at(nameLabelFace(0)), kSelectedName) << "the rest of the editor is as it was";
    // The next press takes the message away.
    editor().click(kEmpty.x, kEmpty.y);
    EXPECT_TRUE(becomes(kBanner, kBackground)) << at(kBanner);
}

}  // namespace
}  // namespace x11test
