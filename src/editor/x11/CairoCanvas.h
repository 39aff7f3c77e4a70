// The canvas on a Cairo context: the editor's back buffer on Linux. It draws
// the primitives at the pixel places the GDI canvas draws them: boxes crisp
// on the pixel grid, arcs and ellipses antialiased, text in Liberation Sans
// (the face GDI falls back to here) at the same cell height. It keeps the
// box around everything it drew, so that only that part reaches the screen.
#pragma once

#include <cairo.h>

#include "editor/Canvas.h"

class CairoCanvas : public Canvas {
public:
    explicit CairoCanvas(cairo_t* cr) : cr(cr) {}

    void rectangle(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                   int width) override;
    void fill(int left, int top, int right, int bottom, uint32_t colour) override;
    void ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                 int width) override;
    void polyline(const Point* points, int count, uint32_t pen, int width) override;
    void arc(int left, int top, int right, int bottom, Point start, Point end, uint32_t pen,
             int width) override;
    void text(int left, int top, int width, int height, const char* text, uint32_t colour,
              int fontHeight, uint32_t fontFlags) override;

    // The pixels drawn since the canvas was made; empty when none.
    struct Box {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool empty() const { return right <= left || bottom <= top; }
    };
    Box touched() const { return drawn; }

private:
    void setColour(uint32_t colour);
    void touch(double left, double top, double right, double bottom);
    cairo_t* cr;
    Box drawn;
};
