// Allocation failures on demand, as a machine out of memory gives them: while
// a Shortage is alive, every malloc and realloc of at least its size fails.
// The test executable's own malloc and realloc stand in for the C library's,
// except in sanitized builds, whose runtime owns them.
#pragma once

#include <cstddef>

namespace failing {

// Whether this build can fail allocations.
bool available();

class Shortage {
public:
    explicit Shortage(size_t fromBytes);
    ~Shortage();
    Shortage(const Shortage&) = delete;
    Shortage& operator=(const Shortage&) = delete;
};

}  // namespace failing
