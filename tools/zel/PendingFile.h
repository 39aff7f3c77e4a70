// An output file that appears only when it is complete: a ReplacingFile
// whose temporary file an interruption removes too, so that neither a
// failure nor a signal ever leaves a partial file behind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ReplacingFile.h"

class PendingFile {
public:
    // Creates the temporary file; throws a ZelError naming path when the
    // directory cannot take it.
    explicit PendingFile(const std::string& path);
    // Removes the temporary file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int descriptor() const { return file->descriptor(); }
    const std::string& path() const { return target; }

    // Writes bytes at the current position; throws on failure.
    void write(const uint8_t* bytes, size_t size);
    // Flushes, closes and renames the file to its target; throws on failure.
    void commit();

private:
    std::string target;
    std::unique_ptr<ReplacingFile> file;
};

// Removes the pending temporary file when the process is interrupted
// (SIGINT, SIGTERM, SIGHUP), then dies of the signal as it would have.
void removePendingFileOnSignals();

// A whole file written through a PendingFile.
void writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size);
