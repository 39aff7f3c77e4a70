// A file that takes another's place only when it is whole. It is written
// under a temporary name beside its target; committing flushes it to the
// disk, renames it over the target and flushes the folder, so that neither a
// failed write, a full disk nor a power cut ever costs the old file. The
// editor's Save and zel's output files both go through here.
#pragma once

#include <cstddef>
#include <string>

class ReplacingFile {
public:
    // Makes the temporary file; failure() tells when it could not.
    explicit ReplacingFile(const std::string& target);
    // Removes the temporary file unless it was committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Why the file could not be made, written or put in place, in words;
    // empty while all went well. After a failure nothing more is written.
    const std::string& failure() const { return failed; }
    bool ok() const { return failed.empty(); }
    const std::string& temporaryPath() const { return temporary; }
#ifndef _WIN32
    // For writers that take a descriptor (libsndfile); -1 once closed.
    int descriptor() const { return static_cast<int>(handle); }
#endif

    bool write(const void* bytes, size_t size);
    // Flushes and closes the file, then puts it in the target's place.
    bool commit();

private:
    std::string target;
    std::string temporary;
    std::string failed;
    long long handle = -1;  // a descriptor, or a HANDLE's value
};

// A whole file written through a ReplacingFile: why it could not be, in
// words, or empty.
std::string writeWholeFileReplacing(const std::string& path, const void* bytes, size_t size);
