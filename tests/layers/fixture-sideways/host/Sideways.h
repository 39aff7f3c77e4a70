// A planted include of the other binding: the layer check must fail on this folder.
#pragma once

#include "core/PluginCore.h"
#include "lv2/zelLv2.h"
