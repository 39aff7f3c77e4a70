// A planted upward include: the layer check must fail on this folder.
#pragma once

#include "engine/Pad.h"
#include "host/zelVst.h"
