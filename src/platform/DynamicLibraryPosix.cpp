#ifndef _WIN32
#include <dlfcn.h>

#include "platform/DynamicLibrary.h"

bool DynamicLibrary::open(const std::string& path) {
    close();
    // dlopen searches the library path for a name without a slash.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        message = reason != nullptr ? reason : "unknown error";
        return false;
    }
    message.clear();
    return true;
}

void DynamicLibrary::close() {
    if (handle != nullptr) dlclose(handle);
    handle = nullptr;
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle != nullptr ? dlsym(handle, name) : nullptr;
}
#endif
