// The operating-system seam: everything the portable code needs from the OS.
// One implementation per OS: PlatformWin32.cpp and PlatformPosix.cpp.
#pragma once

#include <cstddef>
#include <string>

// The directory separator of module and file paths on this OS.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Room for a path, NUL included, as the system's file dialogs and module
// path calls give it (MAX_PATH on Windows).
constexpr int kPathSize = 260;

// Gives up the rest of the time slice (Sleep(0) on Windows). The only system
// call the audio thread ever makes.
void platformYield();

// Sleeps for at least the given number of milliseconds.
void platformSleepMs(unsigned milliseconds);

// Writes the full path of the module (DLL or shared library) that holds this
// code into buffer, NUL-terminated and cut to size - 1 characters.
void platformModulePath(char* buffer, size_t size);

// The module handle the loader gave us (HINSTANCE on Windows, null elsewhere).
void* platformModuleHandle();
