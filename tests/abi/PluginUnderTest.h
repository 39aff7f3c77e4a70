// The plug-in binary an ABI test program runs against: its path is the
// program's one argument, and it stays loaded for the whole run.
#pragma once

#include <string>

#include "VstHost.h"

extern std::string pluginPath;
extern vsthost::PluginLibrary* library;  // null until the environment loaded it
