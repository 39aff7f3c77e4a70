#ifdef _WIN32
#include "platform/Platform.h"

#include <windows.h>


namespace {
HINSTANCE moduleHandle = nullptr;
}

// The loader calls this on attach, detach and thread events; every call keeps
// the handle, which the module path and the editor's window class need.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reason;
    (void)reserved;
    moduleHandle = instance;
    return TRUE;
}

void platformYield() { Sleep(0); }

void platformSleepMs(unsigned milliseconds) { Sleep(milliseconds); }

void platformModulePath(char* buffer, size_t size) {
    if (size == 0) return;
    DWORD length = GetModuleFileNameA(moduleHandle, buffer, static_cast<DWORD>(size));
    if (length >= size) length = static_cast<DWORD>(size - 1);
    buffer[length] = '\0';
}

void* platformModuleHandle() { return moduleHandle; }
#endif
