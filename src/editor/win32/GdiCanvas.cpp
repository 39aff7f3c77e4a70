#include "editor/win32/GdiCanvas.h"

#include <cstring>

#include "editor/GuiControl.h"

namespace {

// Selects a GDI object for the lifetime of the holder, then selects the one
// it replaced back and deletes it. Our colours are COLORREFs already: red in
// the low byte.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc(dc), object(object), previous(SelectObject(dc, object)) {}
    ~Selected() {
        SelectObject(dc, previous);
        DeleteObject(object);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc;
    HGDIOBJ object;
    HGDIOBJ previous;
};

HGDIOBJ pen(uint32_t colour, int width) { return CreatePen(PS_SOLID, width, colour); }
HGDIOBJ brush(uint32_t colour) { return CreateSolidBrush(colour); }

HFONT font(int height, uint32_t flags) {
    return CreateFontA(height, 0, 0, 0, (flags & kBoldText) ? FW_BOLD : FW_NORMAL,
                       (flags & kItalicText) ? TRUE : FALSE, (flags & kUnderlinedText) ? TRUE : FALSE,
                       (flags & kStruckOutText) ? TRUE : FALSE, 0, 0, 0, 0, 0, nullptr);
}

constexpr uint32_t kStyleFlags = kBoldText | kItalicText | kUnderlinedText | kStruckOutText;

}  // namespace

GdiCanvas::~GdiCanvas() {
    for (int i = 0; i < fontCount; ++i) DeleteObject(fonts[i].handle);
}

HFONT GdiCanvas::fontFor(int height, uint32_t flags) {
    flags &= kStyleFlags;
    for (int i = 0; i < fontCount; ++i)
        if (fonts[i].height == height && fonts[i].flags == flags) return fonts[i].handle;
    HFONT made = font(height, flags);
    if (fontCount < static_cast<int>(sizeof fonts / sizeof fonts[0])) fonts[fontCount++] = {height, flags, made};
    return made;
}

// The outline as the box in the pen's colour, the inside over it in the
// brush's: exactly the pixels of the box, whatever the pen's width.
void GdiCanvas::rectangle(int left, int top, int right, int bottom, uint32_t penColour,
                          uint32_t brushColour, int width) {
    fill(left, top, right, bottom, penColour);
    fill(left + width, top + width, right - width, bottom - width, brushColour);
}

void GdiCanvas::fill(int left, int top, int right, int bottom, uint32_t colour) {
    if (right <= left || bottom <= top) return;
    const RECT box{left, top, right, bottom};
    HBRUSH painted = CreateSolidBrush(colour);
    FillRect(dc, &box, painted);
    DeleteObject(painted);
}

// An inside-frame pen keeps a wide outline within the box, as a 1-pixel one is.
void GdiCanvas::ellipse(int left, int top, int right, int bottom, uint32_t penColour,
                        uint32_t brushColour, int width) {
    Selected p(dc, CreatePen(PS_INSIDEFRAME, width, penColour)), b(dc, brush(brushColour));
    Ellipse(dc, left, top, right, bottom);
}

void GdiCanvas::polyline(const Point* points, int count, uint32_t penColour, int width) {
    if (count < 2) return;
    Selected p(dc, pen(penColour, width));
    MoveToEx(dc, points[0].x, points[0].y, nullptr);
    for (int i = 1; i < count; ++i) LineTo(dc, points[i].x, points[i].y);
}

void GdiCanvas::arc(int left, int top, int right, int bottom, Point start, Point end,
                    uint32_t penColour, int width) {
    Selected p(dc, pen(penColour, width));
    Arc(dc, left, top, right, bottom, start.x, start.y, end.x, end.y);
}

void GdiCanvas::text(int left, int top, int width, int height, const char* text, uint32_t colour,
                     int fontHeight, uint32_t fontFlags) {
    if (text == nullptr || text[0] == '\0') return;
    HFONT chosen = fontFor(fontHeight, fontFlags);
    const bool ownsFont = !keeps(chosen);  // the cache was full
    HGDIOBJ previous = SelectObject(dc, chosen);
    const int length = static_cast<int>(std::strlen(text));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, length, &extent);
    SetTextColor(dc, colour);
    TextOutA(dc, left + (width - extent.cx) / 2, top + (height - extent.cy) / 2, text, length);
    SelectObject(dc, previous);
    if (ownsFont) DeleteObject(chosen);
}

bool GdiCanvas::keeps(HFONT handle) const {
    for (int i = 0; i < fontCount; ++i)
        if (fonts[i].handle == handle) return true;
    return false;
}
