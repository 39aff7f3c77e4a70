// What the painter draws with: the few primitives the editor's looks are made
// of. One backend per graphics system (GDI, Cairo) draws them at exactly these
// pixel coordinates; a recording canvas lets tests see every call.
#pragma once

#include <cstdint>

struct Point {
    int x, y;
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
    bool operator!=(const Point& other) const { return !(*this == other); }
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // Boxes exclude their right and bottom edge, as in GDI: a box from
    // (0, 0) to (2, 2) covers four pixels.

    // A box filled with brush and outlined inside its edge with a pen of
    // width pixels.
    virtual void rectangle(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                           int width) = 0;
    // A box filled with one colour, outline and all.
    virtual void fill(int left, int top, int right, int bottom, uint32_t colour) = 0;
    // The ellipse inside the box, filled and outlined the same way.
    virtual void ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                         int width) = 0;
    // Straight lines from point to point, with a pen of width pixels; the last
    // point itself is not drawn.
    virtual void polyline(const Point* points, int count, uint32_t pen, int width) = 0;
    // The part of the ellipse inside the box that runs counter-clockwise on
    // the screen from the ray through start to the ray through end (rays
    // from the box's centre), with a pen of width pixels.
    virtual void arc(int left, int top, int right, int bottom, Point start, Point end, uint32_t pen,
                     int width) = 0;
    // Text centred in the box, not clipped to it, in the system's default
    // face at fontHeight pixels; fontFlags are a control's text flags (bold,
    // italic, underline, strike-out). Nothing for a null or empty text.
    virtual void text(int left, int top, int width, int height, const char* text, uint32_t colour,
                      int fontHeight, uint32_t fontFlags) = 0;
};
