// The one lock that every thread editing the kit takes first: host parameter
// and program calls, the host's chunk calls (effGetChunk rewrites the image),
// sample loads and removals, and the editor. The audio thread never takes it;
// it stays out of the engine through the busy flags, which an editing thread
// raises, under this lock, only for the moment of a change.
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
