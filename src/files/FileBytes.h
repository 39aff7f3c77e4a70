// Whole files in, and the name part of a path: for the sample loader, the
// patch reader and the command-line tools alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The largest file anything here reads: a patch or a sample slot is at most
// 2 GB, so a larger file could only be refused after a long read.
constexpr int64_t kLargestFile = INT32_MAX;

// Reads the whole file into bytes. False when it cannot be read (or is
// larger than kLargestFile), with the reason in words in *reason when given.
bool readWholeFile(const char* path, std::vector<uint8_t>& bytes, std::string* reason = nullptr);

// The part of the path after its last directory separator, '/' or '\\'.
const char* baseName(const char* path);
