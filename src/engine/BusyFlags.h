// The exclusion between the audio thread and the threads that edit the engine.
//
// Each side raises its own flag first and only then looks at the other's,
// with sequentially consistent ordering, so the two can never both be inside
// the engine. The audio side never blocks: it backs off and yields. Editing
// threads take the plug-in's edit lock before they raise their flag, so only
// one of them is ever on this side at a time.
#pragma once

#include <atomic>

#include "platform/Platform.h"

class BusyFlags {
public:
    // Audio side. True while an editing thread holds (or is taking) the engine.
    bool editing() const { return editBusy.load(); }

    void enterAudio() {
        for (;;) {
            audioBusy.store(true);
            if (!editBusy.load()) return;
            audioBusy.store(false);
            while (editBusy.load()) platformYield();
        }
    }

    void leaveAudio() { audioBusy.store(false); }

    // Editing side: waits for a running engine call to finish.
    void enterEdit() {
        editBusy.store(true);
        while (audioBusy.load()) platformYield();
    }

    void leaveEdit() { editBusy.store(false); }

private:
    std::atomic<bool> audioBusy{false};
    std::atomic<bool> editBusy{false};
};

// Holds the engine for an editing thread for the lifetime of the guard. A null
// flags pointer (an engine without an audio thread, as in tools) holds nothing.
class EditGuard {
public:
    explicit EditGuard(BusyFlags* flags) : flags(flags) {
        if (flags != nullptr) flags->enterEdit();
    }
    ~EditGuard() {
        if (flags != nullptr) flags->leaveEdit();
    }
    EditGuard(const EditGuard&) = delete;
    EditGuard& operator=(const EditGuard&) = delete;

private:
    BusyFlags* flags;
};
