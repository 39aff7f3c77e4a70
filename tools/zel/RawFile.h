// Reading a whole file, with the system's reason when that fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False with the reason in error when the file cannot be read.
bool readRawFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
