// The one kind of failure the tool reports: a one-line message that names
// the file and the problem, printed by main before a non-zero exit.
#pragma once

#include <stdexcept>
#include <string>

struct ZelError : std::runtime_error {
    explicit ZelError(const std::string& message) : std::runtime_error(message) {}
};

// "path: problem", the form of every message about a file.
inline ZelError fileError(const std::string& path, const std::string& problem) {
    return ZelError(path + ": " + problem);
}
