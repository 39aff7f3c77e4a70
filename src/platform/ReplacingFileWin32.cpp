#ifdef _WIN32
#include "platform/ReplacingFile.h"

#include <windows.h>

#include "platform/Win32Error.h"

namespace {

HANDLE handleOf(long long value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }

}  // namespace

// The temporary file's name is the target's with ".saving" after it; a
// leftover of an earlier failure is simply overwritten.
ReplacingFile::ReplacingFile(const std::string& path) : target(path), temporary(path + ".saving") {
    const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failed = win32ErrorText(GetLastError());
        temporary.clear();
        return;
    }
    handle = static_cast<long long>(reinterpret_cast<intptr_t>(file));
}

ReplacingFile::~ReplacingFile() {
    if (handle != -1) CloseHandle(handleOf(handle));
    if (!temporary.empty()) DeleteFileA(temporary.c_str());
}

bool ReplacingFile::write(const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (ok() && size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handleOf(handle), next, chunk, &written, nullptr) || written == 0) {
            failed = win32ErrorText(GetLastError());
            break;
        }
        next += written;
        size -= written;
    }
    return ok();
}

// MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
bool ReplacingFile::commit() {
    if (!ok()) return false;
    const HANDLE file = handleOf(handle);
    handle = -1;
    const bool flushed = FlushFileBuffers(file) != 0;
    DWORD error = flushed ? 0 : GetLastError();
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    if (error == 0 && !MoveFileExA(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0) {
        failed = win32ErrorText(error);
        return false;
    }
    temporary.clear();
    return true;
}
#endif
