// Writing a file so that a failure never costs the old one: the bytes go to a
// file of their own beside it, every write and the close are checked, and
// only then does the new file take the old one's place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Why the file could not be written, in words; empty when it was. On failure
// the file at path is as it was before and nothing else is left behind.
std::string writeFileReplacing(const char* path, const std::vector<uint8_t>& bytes);
