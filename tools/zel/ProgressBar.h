// A progress bar on the terminal for renders that take a while: drawn on
// standard error only when it is a terminal, and only once the render has
// run for half a second, so short renders and pipes stay quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "Render.h"

class ProgressBar : public RenderProgress {
public:
    // expected: the frames the render is known to reach (the song's end).
    ProgressBar(const std::string& label, int64_t expected, uint32_t rate);
    ~ProgressBar() override;

    void advanced(int64_t framesDone) override;
    // Clears the bar, if one was drawn.
    void finish();

private:
    void draw(int64_t framesDone);

    std::string label;
    int64_t expected;
    double rate;
    bool enabled;
    bool drawn = false;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
};
