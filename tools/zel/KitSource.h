// What `zel kit --from` was handed, told by its content.
#pragma once

#include <string>

enum class KitSource { Patch, HydrogenXml, HydrogenFolder, HydrogenArchive, SoundFont };

// A folder is a Hydrogen kit's; a file is a soundfont, a drumkit archive or
// a drumkit.xml by its first bytes, and otherwise a kit (.bin) patch.
KitSource kitSourceOf(const std::string& path);
