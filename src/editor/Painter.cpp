#include "editor/Painter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr uint32_t kTrackColour = rgb(85, 85, 85);
constexpr uint32_t kFocusPen = rgb(153, 153, 255);
constexpr uint32_t kFocusBrush = rgb(204, 204, 204);

struct Context {
    const EditorModel& model;
    Canvas& canvas;
    uint32_t border() const { return model.borderColor; }
};

int fontHeightOf(const EditorModel& model, const GuiControl& control) {
    // Taken as an 8-bit value, as the font height always was.
    const int height = static_cast<uint8_t>(static_cast<int>(control.fontSize * model.scale));
    return height != 0 ? height : 1;
}

void line(Canvas& canvas, Point from, Point to, uint32_t pen, int width = 1) {
    const Point points[2] = {from, to};
    canvas.polyline(points, 2, pen, width);
}

// A raised box: the face a little lighter, a shadow along the bottom and the
// right, a highlight along the left and the top.
void drawBevelBox(const Context& c, int left, int top, int right, int bottom, uint32_t colour) {
    c.canvas.rectangle(left, top, right, bottom, c.border(), shade(colour, 1.1f));
    const Point shadow[3] = {{left + 1, bottom - 2}, {right - 2, bottom - 2}, {right - 2, top}};
    c.canvas.polyline(shadow, 3, shade(colour, 0.8f), 1);
    const Point highlight[3] = {{left + 1, bottom - 3}, {left + 1, top}, {right - 2, top}};
    c.canvas.polyline(highlight, 3, shade(colour, 1.3f), 1);
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
    c.canvas.ellipse(left, top, right, bottom, c.border(), colour);
    c.canvas.arc(left + 1, top + 1, right - 1, bottom - 1, at(0.70710677f, -0.70710677f),
                 at(-0.9659258f, 0.25881907f), shade(colour, 1.3f), 1);
    c.canvas.arc(left + 1, top + 1, right - 1, bottom - 1, at(-0.7071068f, 0.7071067f),
                 at(0.9659258f, -0.25881904f), shade(colour, 0.8f), 1);
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
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, c.border(), control.faceColor);
    const int size = sliderHandleSize(c.model);
    const float v = valueOf(c.model, control);
    const int x = static_cast<int>(static_cast<float>(b.width - size) * v + static_cast<float>(b.left));
    drawBevelBox(c, x, b.top, x + size, b.top + b.height, control.inkColor);
}

void paintVSlider(const Context& c, const GuiControl& control, const ControlBox& b) {
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, c.border(), control.faceColor);
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
    const int pen = std::max(3, static_cast<int>(r * 0.12f));
    const int inset = pen / 2 + 1;
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
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, c.border(), control.faceColor);
    if (control.text != nullptr)
        drawOwnText(c, control, b);
    else
        drawDisplayText(c, control, b);
}

void paintNameBox(const Context& c, const GuiControl& control, const ControlBox& b) {
    const bool focused = c.model.focused == &control;
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height,
                       focused ? kFocusPen : c.border(), focused ? kFocusBrush : control.faceColor);
    drawOwnText(c, control, b);
}

void paintBar(const Context& c, const GuiControl& control, const ControlBox& b) {
    c.canvas.rectangle(b.left, b.top, b.left + b.width, b.top + b.height, control.faceColor,
                       control.inkColor);
}

void fullPaint(EditorModel& model, Canvas& canvas) {
    char text[kDisplayTextSize];
    for (int index = 0; index < kParamCount; ++index)
        model.paramValues[index] =
            describePadSetting(model.pads[index / kParamsPerPad].settings, index % kParamsPerPad, text);
    canvas.rectangle(0, 0, static_cast<int>(model.width * model.scale),
                     static_cast<int>(model.height * model.scale), model.borderColor, model.backColor);
    for (GuiControl* control = model.head; control != nullptr; control = control->next) {
        if (control->kind < 0) continue;
        paintControl(model, canvas, *control);
        control->dirty = 0;  // nothing is left to repaint
    }
}

void partialPaint(EditorModel& model, Canvas& canvas) {
    const float s = model.scale;
    for (GuiControl* control = model.head; control != nullptr; control = control->next) {
        if (control->kind < 0 || control->dirty.load() == 0) continue;
        canvas.rectangle(static_cast<int>(control->x * s), static_cast<int>(control->y * s),
                         static_cast<int>((control->x + control->width) * s),
                         static_cast<int>((control->y + control->height) * s), model.backColor,
                         model.backColor);
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
