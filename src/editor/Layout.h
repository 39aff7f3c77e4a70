// The editor's 161 controls: a column of eight for each pad, a left-hand
// column of buttons and row captions, the detail pane of the selected pad and
// four separator bars.
#pragma once

#include "editor/EditorModel.h"


constexpr uint32_t kBorderColour = rgb(85, 85, 85);
constexpr uint32_t kBackColour = rgb(136, 136, 136);

// Builds the controls in their list order, which is also the painting and
// hit-testing order, and fills the value cache for the bound parameters.
// The detail pane shows the selected pad. Done once, on the first open.
void buildLayout(EditorModel& model);

// The column x of pad p's controls: 64 for pad 0 to 964 for pad 15.
constexpr int padColumnX(int p) { return 4 + 60 * (p + 1); }
