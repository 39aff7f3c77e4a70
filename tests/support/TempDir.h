// A private folder under the system's temporary folder, removed with
// everything in it when the object goes: real files on disk for a test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();  // throws std::runtime_error when no folder can be made
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root; }
    std::string operator/(const std::string& name) const { return root + "/" + name; }
    // Writes the bytes to path()/name (creating folders) and answers the full path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string root;
};
