// Includes downward only.
#pragma once

#include "engine/Pad.h"
