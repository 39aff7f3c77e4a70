// The editor on a host's worst day: opened and closed over and over while
// the audio runs, automated while open, and its instance destroyed with the
// window still up. On Windows the process's GDI objects, USER objects and
// kernel handles after two hundred openings equal those after the first.
#include <atomic>
#include <thread>

#include "Audit.h"
#include "HostWindow.h"
#include "TortureHost.h"

namespace torture {
namespace {

int pick(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

// The audio thread: blocks with a few hits, until told to stop.
void playAlong(Instance& instance, std::atomic<bool>& done, unsigned seed) {
    std::mt19937 rng(seed);
    while (!done.load()) {
        std::vector<Event> events;
        if (pick(rng, 0, 3) == 0) events.push_back({pick(rng, 0, 255), 0x90, padKey(rng), 100});
        instance.sendEvents(events);
        instance.process(256);
    }
}

class EditorTorture : public ::testing::Test {
protected:
    void SetUp() override {
        audit::reset();
        if (!host.valid()) GTEST_SKIP() << host.whyNot();
    }
    // Opens the editor in the host window and lets it paint.
    bool open(Instance& instance) {
        if (instance.dispatch(effEditOpen, 0, 0, host.parent()) == 0) return false;
        instance.dispatch(effEditIdle);
        host.pump();
        return true;
    }
    HostWindow host;
};

TEST_F(EditorTorture, OpenedAndClosedTwoHundredTimesWhileTheAudioRuns) {
    Instance instance;
    instance.start();
    std::atomic<bool> done{false};
    std::thread audio(playAlong, std::ref(instance), std::ref(done), 7u);
    ASSERT_TRUE(open(instance));
    instance.dispatch(effEditClose);
    host.pump();
    const HostWindow::Resources afterFirst = HostWindow::resources();
    for (int cycle = 1; cycle < 200; ++cycle) {
        ASSERT_TRUE(open(instance)) << "opening " << cycle;
        instance.dispatch(effEditClose);
        host.pump();
    }
    const HostWindow::Resources afterAll = HostWindow::resources();
    EXPECT_TRUE(afterAll.sameAs(afterFirst))
        << "window objects left behind: " << afterFirst.text() << " after the first, " << afterAll.text();
    done = true;
    audio.join();
    EXPECT_TRUE(stillHealthy(instance));
    EXPECT_TRUE(audioCallsStayedClean());
}

TEST_F(EditorTorture, ParametersAutomatedWhileOpen) {
    for (int seed = 0; seed < iterations(2, 10); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Instance instance;
        instance.start();
        std::atomic<bool> done{false};
        std::thread audio(playAlong, std::ref(instance), std::ref(done), unsigned(seed));
        ASSERT_TRUE(open(instance));
        for (int step = 0; step < 400; ++step) {
            instance.setParameter(pick(rng, 0, kParams - 1), std::uniform_real_distribution<float>(0.0f, 1.0f)(rng));
            if (step % 8 == 0) {
                instance.dispatch(effEditIdle);
                host.pump();
            }
        }
        instance.dispatch(effEditClose);
        done = true;
        audio.join();
        EXPECT_TRUE(stillHealthy(instance));
        EXPECT_TRUE(audioCallsStayedClean());
    }
}

TEST_F(EditorTorture, AnInstanceDestroyedWithItsEditorOpen) {
    for (int turn = 0; turn < 10; ++turn) {
        Instance instance;
        instance.start();
        ASSERT_TRUE(open(instance));
        instance.sendEvents({{0, 0x90, 36, 100}});
        instance.process(512);
        instance.close();  // effClose with the window still up
        host.pump();
    }
    Instance after;
    after.start();
    EXPECT_TRUE(stillHealthy(after));
}

}  // namespace
}  // namespace torture
