// Selecting a pad: the detail pane edits it.
#pragma once

#include "editor/EditorModel.h"

// Shows pad as selected: recolours every pad's name label and binds the
// detail pane's controls to the pad's parameters and texts. Marks nothing
// for repaint: the caller asks for a full repaint.
void selectPad(EditorModel& model, int pad);
