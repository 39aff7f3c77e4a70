// `zel kit --from SOURCE`: a source imported, and the kit it makes turned
// into a recipe or described for a dry run.
#pragma once

#include <ostream>
#include <string>

#include "ImportedKit.h"
#include "KitBuilder.h"
#include "KitSource.h"

// Imports any source but a patch, through the import module; throws a
// ZelError naming the file at fault, or the module when it cannot be loaded.
ImportedKit importKit(const std::string& path, KitSource source, const ImportOptions& options);

// The imported pads' sounds, names and settings, ahead of those the recipe has.
void addToRecipe(const ImportedKit& kit, KitRecipe& recipe);

// Each pad's instrument, note, group and settings, and what was dropped and why.
void describeImport(const ImportedKit& kit, int velocity, std::ostream& out);

// "N of M instruments have pads; dropped: A (why), ...", or empty when none was dropped.
std::string droppedSummary(const ImportedKit& kit);
