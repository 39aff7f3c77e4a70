// The canvas on a GDI device context: the editor's back buffer. Every pen
// and brush is made just before it is used and deleted right after; fonts,
// slow to make, are kept for the canvas's life (one paint), one per size and
// style.
#pragma once

#include <windows.h>

#include "editor/Canvas.h"

class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(HDC dc) : dc(dc) {}
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

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

private:
    HFONT fontFor(int height, uint32_t flags);
    bool keeps(HFONT handle) const;

    HDC dc;
    struct Font {
        int height;
        uint32_t flags;
        HFONT handle;
    };
    Font fonts[8] = {};
    int fontCount = 0;
};
