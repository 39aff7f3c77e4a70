#include "editor/Painter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr uint32_t kTrackColour = rgb(85, 85, 85);
constexpr uint32_t kFocusPen = rgb(153, 153, 255);
constexpr uint32_t kFocusBrush = rgb(204, 204, 204);

// Every length below is in window pixels: the controls' boxes come scaled,
// and each length of the look itself (a line's width, an inset) is its
// length at scale 1 through px.
struct Context {
    const EditorModel& model;
    Canvas& canvas;
    uint32_t border() const { return model.borderColor; }
    int px(int32_t units) const { return pixelsOf(model, units); }
    int line() const { return px(1); }  // the width of the looks' lines
};

int fontHeightOf(const EditorModel& model, const GuiControl& control) {
    const int height = pixelsOf(model, control.fontSize);
    return height != 0 ? height : 1;
}

void line(Canvas& canvas, Point from, Point to, uint32_t pen, int width = 1) {
    const Point points[2] = {from, to};
    canvas.polyline(points, 2, pen, width);
}

// A raised box: the face a little lighter, a shadow along the bottom and the
// right inside the outline, a highlight along the left inside the outline
// and over the outline's top.
void drawBevelBox(const Context& c, int left, int top, int right, int bottom, uint32_t colour) {
    const int w = c.line();
    c.canvas.rectangle(left, top, right, bottom, c.border(), shade(colour, 1.1f), w);
    const uint32_t shadow = shade(colour, 0.8f), highlight = shade(colour, 1.3f);
    c.canvas.fill(left + w, bottom - 2 * w, right - 2 * w, bottom - w, shadow);
    c.canvas.fill(right - 2 * w, top + w, right - w, bottom - w, shadow);
    c.canvas.fill(left + w, top + w, left + 2 * w, bottom - 2 * w, highlight);
    c.canvas.fill(left + w, top, right - 2 * w, top + w, highlight);
}

// A raised disc: lit from the upper right over the top, shaded from the
// lower left under the bottom.
void drawBevelDisc(const Context& c, int left, int top, int right, int bottom, uint32_t colour) {
    const float d = static_cast<float>(right - left);
    const int cx = left + (right - left) / 2;
    const int cy = top + (right - left) / 2;
    auto at = [&](float dx, float dy) {
        return Point{static_cast<int>(static_cast<float>(cx) + d * dx),
                     static_cast<int>(static_cast<float>(cy) + d * dy)};
    };
    const int w = c.line();
    c.canvas.ellipse(left, top, right, bottom, c.border(), colour, w);
    c.canvas.arc(left + w, top + w, right - w, bottom - w, at(0.70710677f, -0.70710677f),
                 at(-0.9659258f, 0.25881907f), shade(colour, 1.3f), w);
    c.canvas.arc(left + w, top + w, right - w, bottom - w, at(-0.7071068f, 0.7071067f),
                 at(0.9659258f, -0.25881904f), shade(colour, 0.8f), w);
}

// The parameter's display text, centred, when the control shows one.
void drawDisplayText(const Context& c, const GuiControl& control, const ControlBox& box) {
    if (!boundToParameter(control)) return;
    char text[kDisplayTextSize];
    text[0] = '\0';
    const PadSettings& pad = c.model.pads[control.param / kParamsPerPad].settings;
    describePadSetting(pad, control.param % kParamsPerPad, text);
    c.canvas.text(box.left, box.top, box.width, box.height, text, control.inkColor,
                  fontHeightOf(c.model, control), control.flags);
}

void drawOwnText(const Context& c, const GuiControl& control, const ControlBox& box) {
    c.canvas.text(box.left, box.top, box.width, box.height, control.text, control.inkColor,
                  fontHeightOf(c.model, control), control.flags);
}

void paintButton(const Context& c, const GuiControl& control, const ControlBox& b) {
    drawBevelBox(c, b.left, b.top, b.left + b.width, b.top + b.height, control.faceColor);
    if (control.fontSize != 0) drawOwnText(c, control, b);
}

void paintHSlider(const Context& c, const GuiControl& control, const ControlBox& b) {
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, c.border(), control.faceColor,
                       c.line());
    const int size = sliderHandleSize(c.model);
    const float v = valueOf(c.model, control);
    const int x = static_cast<int>(static_cast<float>(b.width - size) * v + static_cast<float>(b.left));
    drawBevelBox(c, x, b.top, x + size, b.top + b.height, control.inkColor);
}

void paintVSlider(const Context& c, const GuiControl& control, const ControlBox& b) {
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, c.border(), control.faceColor,
                       c.line());
    const int size = sliderHandleSize(c.model);
    const float v = valueOf(c.model, control);
    const int y =
        static_cast<int>(static_cast<float>(b.height - size) * (1.0f - v) + static_cast<float>(b.top));
    drawBevelBox(c, b.left, y, b.left + b.width, y + size, control.inkColor);
}

// A knob: a track arc from the lower left over the top to the lower right,
// the value arc along it from the minimum, a bevelled disc, a pointer tick
// inside the disc's rim and the value text over the middle.
void paintKnob(const Context& c, const GuiControl& control, const ControlBox& b) {
    const int half = b.width / 2;
    const int cx = b.left + half, cy = b.top + half;
    const float r = static_cast<float>(b.width);
    // The pen is 0.12 of the knob's width in the layout, scaled as a length.
    const int pen = c.px(std::max(3, static_cast<int>(static_cast<float>(control.width) * 0.12f)));
    const int inset = pen / 2 + c.line();
    const int boxLeft = b.left + inset, boxTop = b.top + inset;
    const int boxRight = b.left + b.width - inset, boxBottom = b.top + b.height - inset;
    auto at = [&](double dx, double dy) {
        return Point{static_cast<int>(cx + r * dx), static_cast<int>(cy + r * dy)};
    };

    const Point trackStart = at(0.70710665f, 0.57357657f);
    const Point trackEnd = at(-0.7071068f, 0.7071067f);
    c.canvas.arc(boxLeft, boxTop, boxRight, boxBottom, trackStart, trackEnd, kTrackColour, pen);

    const double theta = (225.0 - static_cast<double>(valueOf(c.model, control)) * 270.0) * kRadiansPerDegree;
    const double cosT = std::cos(theta), sinT = std::sin(theta);
    const Point value = at(cosT, -sinT);
    if (value != trackEnd)
        c.canvas.arc(boxLeft, boxTop, boxRight, boxBottom, value, trackEnd, control.inkColor, pen);

    drawBevelDisc(c, b.left + pen, b.top + pen, b.left + b.width - pen, b.top + b.width - pen,
                  control.faceColor);

    const double outer = (b.width - pen) * 0.5, inner = half - 1.5 * pen;
    line(c.canvas, {static_cast<int>(cx + outer * cosT), static_cast<int>(cy - outer * sinT)},
         {static_cast<int>(cx + inner * cosT), static_cast<int>(cy - inner * sinT)},
         shade(control.faceColor, 1.3f), pen);

    if (control.fontSize == 0) return;
    if (boundToParameter(control))
        drawDisplayText(c, control, b);
    else
        drawOwnText(c, control, b);
}

void paintLabel(const Context& c, const GuiControl& control, const ControlBox& b) {
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, c.border(), control.faceColor,
                       c.line());
    if (control.text != nullptr)
        drawOwnText(c, control, b);
    else
        drawDisplayText(c, control, b);
}

void paintNameBox(const Context& c, const GuiControl& control, const ControlBox& b) {
    const bool focused = c.model.focused == &control;
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height,
                       focused ? kFocusPen : c.border(), focused ? kFocusBrush : control.faceColor, c.line());
    drawOwnText(c, control, b);
}

void paintBar(const Context& c, const GuiControl& control, const ControlBox& b) {
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, control.faceColor,
                       control.inkColor, c.line());
}

void fullPaint(EditorModel& model, Canvas& canvas) {
    char text[kDisplayTextSize];
    for (int index = 0; index < kParamCount; ++index)
        model.paramValues[index] =
            describePadSetting(model.pads[index / kParamsPerPad].settings, index % kParamsPerPad, text);
    const PixelSize size = windowSize(model);
    canvas.rectangle(0, 0, size.width, size.height, model.borderColor, model.backColor, pixelsOf(model, 1));
    for (GuiControl* control = model.head; control != nullptr; control = control->next) {
        if (control->kind < 0) continue;
        paintControl(model, canvas, *control);
        control->dirty = 0;  // nothing is left to repaint
    }
}

void partialPaint(EditorModel& model, Canvas& canvas) {
    for (GuiControl* control = model.head; control != nullptr; control = control->next) {
        if (control->kind < 0 || control->dirty.load() == 0) continue;
        const ControlBox b = boxOf(model, *control);
        canvas.fill(b.left, b.top, b.left + b.width, b.top + b.height, model.backColor);
        paintControl(model, canvas, *control);
        control->dirty = 0;
    }
}

}  // namespace

uint32_t shade(uint32_t colour, float k) {
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const float channel = static_cast<float>((colour >> shift) & 0xFF) * k;
        const uint32_t value = std::min(static_cast<uint32_t>(channel), 255u);
        result |= value << shift;
    }
    return result;
}

void paintControl(const EditorModel& model, Canvas& canvas, const GuiControl& control) {
    const Context c{model, canvas};
    const ControlBox box = boxOf(model, control);
    switch (control.kind) {
        case Button: paintButton(c, control, box); break;
        case HSlider: paintHSlider(c, control, box); break;
        case VSlider: paintVSlider(c, control, box); break;
        case Knob: paintKnob(c, control, box); break;
        case Label: paintLabel(c, control, box); break;
        case NameBox: paintNameBox(c, control, box); break;
        case Bar: paintBar(c, control, box); break;
        default: break;
    }
}

void paintEditor(EditorModel& model, EditorPort& port, Canvas& canvas) {
    showNoteActivity(model, port);
    if (model.fullRedraw.load() > 0) {
        fullPaint(model, canvas);
        model.fullRedraw -= 1;
    } else {
        partialPaint(model, canvas);
    }
}
