// Loading a shared library (a DLL or a .so) by its path and finding its
// exported symbols: what a host needs to reach a plug-in binary.
#pragma once

#include <string>

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { close(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the file at path (a bare file name means the current directory,
    // never the system's search path). False, with the system's reason in
    // error(), when it cannot be loaded.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return handle != nullptr; }

    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;

    const std::string& error() const { return message; }

private:
    void* handle = nullptr;
    std::string message;
};
