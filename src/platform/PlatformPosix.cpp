#ifndef _WIN32
#include "platform/Platform.h"

#include <dlfcn.h>
#include <sched.h>
#include <time.h>

#include <cstring>

void platformYield() { sched_yield(); }

void platformSleepMs(unsigned milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

// dladdr on one of our own functions names the shared object that holds it.
void platformModulePath(char* buffer, size_t size) {
    if (size == 0) return;
    buffer[0] = '\0';
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&platformModulePath), &info) == 0 ||
        info.dli_fname == nullptr)
        return;
    std::strncpy(buffer, info.dli_fname, size - 1);
    buffer[size - 1] = '\0';
}

void* platformModuleHandle() { return nullptr; }
#endif
