// Watching the audio thread: while a call into the plug-in's audio entries
// runs (effProcessEvents, processReplacing), every heap allocation, free and
// mutex lock the plug-in makes is counted. The counting build interposes the
// C and C++ allocators and pthread_mutex_lock; every other build counts
// nothing (sanitizers and Windows bring allocators of their own).
#pragma once

namespace audit {

// Whether this build counts.
bool counting();

// Marks the calling thread as the audio thread inside an audio call.
// queueMayGrow: the block brings more events than any before, so the event
// queue may take more room (one realloc, the only allowance).
void enter(bool queueMayGrow);
void leave();

// What the audio calls did that they must not, since the last reset.
long forbidden();
// Reallocations the event queue made where it was allowed to grow.
long allowedGrowth();
void reset();

}  // namespace audit
