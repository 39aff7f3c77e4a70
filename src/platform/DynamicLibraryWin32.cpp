#ifdef _WIN32
#include <windows.h>

#include "platform/DynamicLibrary.h"
#include "platform/Win32Error.h"

bool DynamicLibrary::open(const std::string& path) {
    close();
    // LoadLibrary wants backslashes, and searches the system for a bare name.
    std::string file = path;
    for (char& c : file)
        if (c == '/') c = '\\';
    if (file.find('\\') == std::string::npos && file.find(':') == std::string::npos)
        file = ".\\" + file;
    // No "cannot find the DLL" message boxes: the caller reports the failure.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(file.c_str());
    if (module == nullptr) message = win32ErrorText(GetLastError());
    SetErrorMode(previous);
    if (module == nullptr) return false;
    handle = module;
    message.clear();
    return true;
}

void DynamicLibrary::close() {
    if (handle != nullptr) FreeLibrary(static_cast<HMODULE>(handle));
    handle = nullptr;
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
#endif
