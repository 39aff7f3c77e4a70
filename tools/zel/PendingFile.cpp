#include "PendingFile.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "ZelError.h"

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

}  // namespace

PendingFile::PendingFile(const std::string& path) : target(path) {
    {
        InterruptionsHeld held;
        file = std::make_unique<ReplacingFile>(path);
        if (file->ok()) setPending(file->temporaryPath());
    }
    if (!file->ok()) throw fileError(path, "cannot be written: " + file->failure());
}

// The handler must forget the file before it goes, or a signal then could
// remove a stranger's file of the same name.
PendingFile::~PendingFile() {
    pendingSet = 0;
    file.reset();
}

void PendingFile::write(const uint8_t* bytes, size_t size) {
    if (!file->write(bytes, size)) throw fileError(target, "cannot be written: " + file->failure());
}

void PendingFile::commit() {
    const bool committed = file->commit();
    pendingSet = 0;
    if (!committed) throw fileError(target, "cannot be written: " + file->failure());
}

void removePendingFileOnSignals() {
    for (int number : InterruptionsHeld::kInterruptions) signal(number, onSignal);
}

void writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size) {
    PendingFile file(path);
    file.write(bytes, size);
    file.commit();
}
