// The scales the editor draws at, 1 to 3 in quarter steps, and where the one
// in use comes from. Every length of the layout is multiplied by the scale
// once, here, on its way to the screen.
#pragma once

#include <cstdint>

constexpr float kSmallestScale = 1.0f;
constexpr float kLargestScale = 3.0f;

// A requested scale as the editor draws it: the nearest quarter step (a half
// step rounds up), held to 1..3. 0 for what cannot be meant as a scale: not
// a number, zero or less, or larger than any screen is scaled.
float snapScale(float requested);

// The scale of a desktop of dpi dots per inch: 96 is 1. Not snapped.
float scaleOfDpi(float dpi);

// A length of the layout, in pixels at the scale: rounded half up.
int scaledLength(int32_t units, float scale);

// Where the scale comes from: the first source that gave one wins, the host
// before the desktop, else 1.
class ScaleSources {
public:
    // Each answers whether it took the value; a refused value (snapScale's 0)
    // changes nothing.
    bool fromHost(float requested);
    bool fromDesktop(float requested);
    float chosen() const;

private:
    float host = 0.0f;  // 0 until given
    float desktop = 0.0f;
};
