// Kit import lives in a module of its own, zelimport.so: its libraries
// (libarchive, FluidSynth and all they pull in) load only when a kit is
// imported, so every other command starts as fast as it did without them.
// zel and the module are built together, so the entry may pass C++ types;
// failures come back as text, never as an exception across the boundary.
#pragma once

#include <string>

#include "ImportedKit.h"
#include "KitSource.h"

// False with the message (naming the file at fault) in error.
using ImportKitEntry = bool (*)(const std::string& path, KitSource source, const ImportOptions& options,
                                ImportedKit& kit, std::string& error);

constexpr const char* kImportKitEntry = "zelImportKit";
constexpr const char* kImportModuleFile = "zelimport.so";
