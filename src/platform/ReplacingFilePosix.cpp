#ifndef _WIN32
#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

std::string nameOf(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// mkstemp makes the file private; a finished file gets the usual rights.
mode_t usualMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The rename is only on the disk once the folder is. The new file is in its
// place by now whatever this answers, so a folder that cannot be flushed
// (some file systems refuse) is no failure of the save.
void flushFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& path) : target(path) {
    const std::string pattern = folderOf(path) + "/." + nameOf(path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    handle = mkstemp(name.data());
    if (handle < 0) {
        failed = std::strerror(errno);
        return;
    }
    temporary = name.data();
}

ReplacingFile::~ReplacingFile() {
    if (handle >= 0) close(static_cast<int>(handle));
    if (!temporary.empty()) unlink(temporary.c_str());
}

bool ReplacingFile::write(const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (ok() && size > 0) {
        const ssize_t written = ::write(static_cast<int>(handle), next, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            failed = written < 0 ? std::strerror(errno) : "the disk took only part of it";
            break;
        }
        next += written;
        size -= static_cast<size_t>(written);
    }
    return ok();
}

bool ReplacingFile::commit() {
    if (!ok()) return false;
    const int fd = static_cast<int>(handle);
    handle = -1;
    int reason = 0;
    if (fchmod(fd, usualMode()) != 0 || fsync(fd) != 0) reason = errno;
    if (close(fd) != 0 && reason == 0) reason = errno;
    if (reason == 0 && rename(temporary.c_str(), target.c_str()) != 0) reason = errno;
    if (reason != 0) {
        failed = std::strerror(reason);
        return false;
    }
    temporary.clear();
    flushFolder(folderOf(target));
    return true;
}
#endif
