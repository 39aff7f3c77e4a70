#include "editor/x11/CairoCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "editor/GuiControl.h"

namespace {

constexpr double kFullTurn = 2.0 * M_PI;
// Liberation Sans: a GDI font's cell height (ascent and descent) is this many
// times its em size.
constexpr double kCellPerEm = 1.149;

// The ellipse inside a GDI box, as the path of a pen width pixels wide: GDI's
// right and bottom edges lie outside the box, so the path runs half the
// pen's width inside the box's edges, and the stroke stays within them.
void ellipsePath(cairo_t* cr, int left, int top, int right, int bottom, int width) {
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left - width) / 2.0, ry = (bottom - top - width) / 2.0;
    if (rx <= 0.0 || ry <= 0.0) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, kFullTurn);
    cairo_restore(cr);
}

}  // namespace

void CairoCanvas::touch(double left, double top, double right, double bottom) {
    const Box box{static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
                  static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(bottom))};
    if (box.empty()) return;
    if (drawn.empty()) {
        drawn = box;
        return;
    }
    drawn.left = std::min(drawn.left, box.left);
    drawn.top = std::min(drawn.top, box.top);
    drawn.right = std::max(drawn.right, box.right);
    drawn.bottom = std::max(drawn.bottom, box.bottom);
}

void CairoCanvas::setColour(uint32_t colour) {
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         ((colour >> 16) & 0xFF) / 255.0);
}

// The outline as the box in the pen's colour, the inside over it in the
// brush's, both on the pixel grid.
void CairoCanvas::rectangle(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush,
                            int width) {
    fill(left, top, right, bottom, pen);
    fill(left + width, top + width, right - width, bottom - width, brush);
}

void CairoCanvas::fill(int left, int top, int right, int bottom, uint32_t colour) {
    if (right <= left || bottom <= top) return;
    touch(left, top, right, bottom);
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    setColour(colour);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
    cairo_restore(cr);
}

void CairoCanvas::ellipse(int left, int top, int right, int bottom, uint32_t pen, uint32_t brush, int width) {
    touch(left - 1, top - 1, right + 1, bottom + 1);
    cairo_save(cr);
    ellipsePath(cr, left, top, right, bottom, width);
    setColour(brush);
    cairo_fill_preserve(cr);
    setColour(pen);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// One-pixel lines are laid on the pixel grid as GDI lays them: each segment
// from its first pixel up to, not including, its last.
void CairoCanvas::polyline(const Point* points, int count, uint32_t pen, int width) {
    if (count < 2) return;
    for (int i = 0; i < count; ++i)
        touch(points[i].x - width, points[i].y - width, points[i].x + width + 1, points[i].y + width + 1);
    cairo_save(cr);
    setColour(pen);
    if (width <= 1) {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        for (int i = 1; i < count; ++i) {
            const Point a = points[i - 1], b = points[i];
            if (a.x == b.x) {
                const int y0 = a.y < b.y ? a.y : b.y + 1;
                cairo_rectangle(cr, a.x, y0, 1, std::abs(b.y - a.y));
            } else if (a.y == b.y) {
                const int x0 = a.x < b.x ? a.x : b.x + 1;
                cairo_rectangle(cr, x0, a.y, std::abs(b.x - a.x), 1);
            } else {
                cairo_fill(cr);  // the straight runs so far
                cairo_move_to(cr, a.x + 0.5, a.y + 0.5);
                cairo_line_to(cr, b.x + 0.5, b.y + 0.5);
                cairo_set_line_width(cr, 1.0);
                cairo_stroke(cr);
            }
        }
        cairo_fill(cr);
    } else {
        cairo_set_line_width(cr, width);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, points[0].x + 0.5, points[0].y + 0.5);
        for (int i = 1; i < count; ++i) cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

// GDI arcs run counter-clockwise on the screen from the ray through start to
// the ray through end; with y pointing down that is Cairo's negative direction.
void CairoCanvas::arc(int left, int top, int right, int bottom, Point start, Point end, uint32_t pen,
                      int width) {
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left - 1) / 2.0, ry = (bottom - top - 1) / 2.0;
    if (rx <= 0.0 || ry <= 0.0) return;
    touch(left - width, top - width, right + width, bottom + width);
    const double from = std::atan2((start.y + 0.5 - cy) / ry, (start.x + 0.5 - cx) / rx);
    double to = std::atan2((end.y + 0.5 - cy) / ry, (end.x + 0.5 - cx) / rx);
    if (to >= from) to -= kFullTurn;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, 0.0, 0.0, 1.0, from, to);
    cairo_restore(cr);
    cairo_save(cr);
    setColour(pen);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, width > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void CairoCanvas::text(int left, int top, int width, int height, const char* text, uint32_t colour,
                       int fontHeight, uint32_t fontFlags) {
    if (text == nullptr || text[0] == '\0') return;
    cairo_save(cr);
    cairo_select_font_face(cr, "Liberation Sans",
                           (fontFlags & kItalicText) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           (fontFlags & kBoldText) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, fontHeight / kCellPerEm);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_text_extents_t extent;
    cairo_text_extents(cr, text, &extent);
    // Centred as GDI centres it: by the advance and the font's cell height.
    const double cell = font.ascent + font.descent;
    const double x = left + std::trunc((width - extent.x_advance) / 2.0);
    const double y = top + std::trunc((height - cell) / 2.0) + font.ascent;
    touch(std::min<double>(left, x) - 1, std::min<double>(top, y - font.ascent) - 1,
          std::max<double>(left + width, x + extent.x_advance) + 2, std::max<double>(top + height, y + font.descent) + 1);
    setColour(colour);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text);
    if (fontFlags & (kUnderlinedText | kStruckOutText)) {
        cairo_set_line_width(cr, 1.0);
        const double lineY = (fontFlags & kUnderlinedText) ? y + 1.5 : y - font.ascent * 0.3;
        cairo_move_to(cr, x, std::floor(lineY) + 0.5);
        cairo_line_to(cr, x + extent.x_advance, std::floor(lineY) + 0.5);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}
