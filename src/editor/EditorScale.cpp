#include "editor/EditorScale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kStepsPerUnit = 4.0f;
constexpr float kDotsPerInchAtOne = 96.0f;
// Desktops go to 5 (500 %); a host's value beyond this is garbage, not a
// screen, and is ignored rather than clamped.
constexpr float kLargestMeaningful = 16.0f;

bool keep(float requested, float& source) {
    const float snapped = snapScale(requested);
    if (snapped == 0.0f) return false;
    source = snapped;
    return true;
}

}  // namespace

float snapScale(float requested) {
    if (!(requested > 0.0f) || requested > kLargestMeaningful) return 0.0f;  // NaN fails the first
    const float stepped = std::floor(requested * kStepsPerUnit + 0.5f) / kStepsPerUnit;
    return std::clamp(stepped, kSmallestScale, kLargestScale);
}

float scaleOfDpi(float dpi) { return dpi / kDotsPerInchAtOne; }

int scaledLength(int32_t units, float scale) {
    return static_cast<int>(std::floor(static_cast<float>(units) * scale + 0.5f));
}

bool ScaleSources::fromHost(float requested) { return keep(requested, host); }

bool ScaleSources::fromDesktop(float requested) { return keep(requested, desktop); }

float ScaleSources::chosen() const {
    if (host != 0.0f) return host;
    if (desktop != 0.0f) return desktop;
    return kSmallestScale;
}
