// `zel kit --from SOURCE`: what the source is, told by its content, and an
// imported kit turned into a recipe or described for a dry run.
#pragma once

#include <ostream>
#include <string>

#include "ImportedKit.h"
#include "KitBuilder.h"

enum class KitSource { Patch, HydrogenXml, HydrogenFolder, HydrogenArchive, SoundFont };

// A folder is a Hydrogen kit's; a file is a soundfont, a drumkit archive or
// a drumkit.xml by its first bytes, and otherwise a kit (.bin) patch.
KitSource kitSourceOf(const std::string& path);

// Imports any source but a patch; throws a ZelError naming the file at fault.
ImportedKit importKit(const std::string& path, KitSource source, const ImportOptions& options);

// The imported pads' sounds, names and settings, ahead of those the recipe has.
void addToRecipe(const ImportedKit& kit, KitRecipe& recipe);

// Each pad's instrument, note, group and settings, and what was dropped and why.
void describeImport(const ImportedKit& kit, int velocity, std::ostream& out);

// "N of M instruments have pads; dropped: A (why), ...", or empty when none was dropped.
std::string droppedSummary(const ImportedKit& kit);
