// Includes downward only.
#pragma once

#include "core/PluginCore.h"
