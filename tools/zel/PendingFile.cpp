#include "PendingFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ZelError.h"
#include "files/FileBytes.h"

namespace {

// The temporary file that a signal handler must remove; one at a time.
char pendingPath[4096];
volatile sig_atomic_t pendingSet = 0;

void onSignal(int number) {
    if (pendingSet) unlink(pendingPath);
    signal(number, SIG_DFL);
    raise(number);
}

void setPending(const std::string& path) {
    pendingSet = 0;
    if (path.size() >= sizeof pendingPath) return;
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    pendingSet = 1;
}

// The interrupting signals held back while a temporary file exists that the
// handler does not know of yet; one that came meanwhile arrives at the end.
class InterruptionsHeld {
public:
    InterruptionsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int number : kInterruptions) sigaddset(&held, number);
        sigprocmask(SIG_BLOCK, &held, &before);
    }
    ~InterruptionsHeld() { sigprocmask(SIG_SETMASK, &before, nullptr); }
    InterruptionsHeld(const InterruptionsHeld&) = delete;
    InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

    static constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

private:
    sigset_t before;
};

std::string directoryOf(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

// mkstemp makes the file private; a finished file gets the usual rights.
mode_t usualMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

PendingFile::PendingFile(const std::string& path) : target(path) {
    std::string pattern = directoryOf(path) + "/." + baseName(path.c_str()) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    {
        InterruptionsHeld held;
        fd = mkstemp(name.data());
        if (fd >= 0) setPending(name.data());
    }
    if (fd < 0) throw fileError(path, std::string("cannot be written: ") + std::strerror(errno));
    temporary = name.data();
}

PendingFile::~PendingFile() {
    if (fd >= 0) close(fd);
    if (!temporary.empty()) {
        pendingSet = 0;
        unlink(temporary.c_str());
    }
}

void PendingFile::write(const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            throw fileError(target, std::string("cannot be written: ") + std::strerror(errno));
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void PendingFile::commit() {
    const int descriptor = fd;
    fd = -1;
    int reason = 0;
    if (fchmod(descriptor, usualMode()) != 0 || fsync(descriptor) != 0) reason = errno;
    if (close(descriptor) != 0 && reason == 0) reason = errno;
    if (reason == 0 && rename(temporary.c_str(), target.c_str()) != 0) reason = errno;
    if (reason != 0) throw fileError(target, std::string("cannot be written: ") + std::strerror(reason));
    pendingSet = 0;
    temporary.clear();
}

void removePendingFileOnSignals() {
    for (int number : InterruptionsHeld::kInterruptions) signal(number, onSignal);
}

void writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size) {
    PendingFile file(path);
    file.write(bytes, size);
    file.commit();
}
