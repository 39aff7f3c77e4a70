// The one lock that every thread editing the kit takes first: host parameter
// and program calls, the host's chunk calls, sample loads and removals, state
// saves and restores, and the editor. The audio thread never takes it: edits
// change the edit side's model of the kit, and reach the audio thread through
// the kit publisher.
#pragma once

#include <mutex>

class EditLock {
public:
    void lock() { mutex.lock(); }
    void unlock() { mutex.unlock(); }

private:
    std::mutex mutex;
};

using EditHold = std::lock_guard<EditLock>;
