// `zel info`: what a kit holds, as the plug-in sees it after restoring it.
#pragma once

#include <ostream>
#include <string>

// Writes the kit's description; throws a ZelError naming the file when it
// cannot be read or the plug-in would refuse it (with the reason).
void describeKit(const std::string& path, std::ostream& out);
