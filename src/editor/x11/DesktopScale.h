// The scale the X desktop draws at: Xft.dpi in the server's resource
// database (what xrdb loads, and what desktops set for their scaling).
#pragma once

#include <X11/Xlib.h>

// The display's scale, 96 dots per inch being 1; 0 where no Xft.dpi is set.
float desktopScale(Display* display);
