// Kit files (".bin" patches): reading one with the plug-in's own verdict.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The file's bytes; throws a ZelError naming the file when it cannot be
// read or when the plug-in would refuse it, with the plug-in's reason.
std::vector<uint8_t> readKitFile(const std::string& path);
