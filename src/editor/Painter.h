// Painting the editor: full paints draw the background and every control,
// partial paints only the controls marked dirty. Each kind of control has
// its own look, built from bevelled boxes, bevelled discs and centred text.
#pragma once

#include "editor/Canvas.h"
#include "editor/EditorModel.h"

// Paints the model's view of the kit into the canvas. A full paint is due
// while fullRedraw is above 0 (each full paint takes one request); it
// refreshes the value cache first. Note labels take their pads' activity
// from the port.
void paintEditor(EditorModel& model, EditorPort& port, Canvas& canvas);

// One control at its place.
void paintControl(const EditorModel& model, Canvas& canvas, const GuiControl& control);

// A colour with each channel multiplied by k, truncated and capped at 255.
uint32_t shade(uint32_t colour, float k);
