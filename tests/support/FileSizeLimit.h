// A full disk, as a process meets it: while a FileSizeLimit is alive, no file
// may grow past its size (RLIMIT_FSIZE), and a write that would fails with
// EFBIG instead of raising SIGXFSZ.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

class FileSizeLimit {
public:
    explicit FileSizeLimit(size_t bytes) {
        getrlimit(RLIMIT_FSIZE, &before);
        ignoring = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = before;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before);
        signal(SIGXFSZ, ignoring);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before{};
    void (*ignoring)(int) = SIG_DFL;
};
