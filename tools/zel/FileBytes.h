// Whole files in and out, with the system's reason when that fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The file's bytes; throws a ZelError naming the file and the reason.
std::vector<uint8_t> readFileBytes(const std::string& path);

// The part of a path after its last directory separator.
std::string baseName(const std::string& path);
