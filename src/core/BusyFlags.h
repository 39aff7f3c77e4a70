// The exclusion between the audio thread and the threads that edit the engine.
//
// Each side raises its own flag first and only then looks at the other's,
// with sequentially consistent ordering, so the two can never both be inside.
// The audio side never waits: when an editing thread is inside, it backs off
// at once and tries again at its next chance. Editing threads take the
// plug-in's edit lock before they raise their flag, so only one of them is
// ever on this side at a time, and each stays inside only for a copy.
#pragma once

#include <atomic>

#include "platform/Platform.h"

class BusyFlags {
public:
    // Audio side: true when it is inside; false, touching nothing, while an
    // editing thread is.
    bool tryEnterAudio() {
        audioBusy.store(true);
        if (!editBusy.load()) return true;
        audioBusy.store(false);
        return false;
    }

    void leaveAudio() { audioBusy.store(false); }

    // Editing side: waits for the audio side's moment inside to end.
    void enterEdit() {
        editBusy.store(true);
        while (audioBusy.load()) platformYield();
    }

    void leaveEdit() { editBusy.store(false); }

private:
    std::atomic<bool> audioBusy{false};
    std::atomic<bool> editBusy{false};
};

// Holds the editing side for the lifetime of the guard.
class EditGuard {
public:
    explicit EditGuard(BusyFlags& flags) : flags(flags) { flags.enterEdit(); }
    ~EditGuard() { flags.leaveEdit(); }
    EditGuard(const EditGuard&) = delete;
    EditGuard& operator=(const EditGuard&) = delete;

private:
    BusyFlags& flags;
};
