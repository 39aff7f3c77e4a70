#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kWidth = 30;

}  // namespace

ProgressBar::ProgressBar(const std::string& label, int64_t expected, uint32_t rate)
    : label(label),
      expected(std::max<int64_t>(expected, 1)),
      rate(rate),
      enabled(isatty(STDERR_FILENO) != 0),
      started(std::chrono::steady_clock::now()),
      lastDrawn(started) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::advanced(int64_t framesDone) {
    if (!enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - started < kQuietStart || now - lastDrawn < kRedrawEvery) return;
    lastDrawn = now;
    draw(framesDone);
}

void ProgressBar::draw(int64_t framesDone) {
    // Voices ringing past the song's end keep the bar just short of full.
    const double fraction = std::min(static_cast<double>(framesDone) / static_cast<double>(expected), 0.99);
    const int filled = static_cast<int>(fraction * kWidth);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r%s [%s] %3d%%  %.1f s of %.1f s", label.c_str(), bar.c_str(),
                 static_cast<int>(fraction * 100.0), static_cast<double>(framesDone) / rate,
                 static_cast<double>(expected) / rate);
    std::fflush(stderr);
    drawn = true;
}

void ProgressBar::finish() {
    if (!drawn) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn = false;
}
