// zel's side of the import module: found beside the zel that runs (the
// build tree) or in the lib/zel beside its bin (an installed zel), loaded
// the first time a kit is imported and kept until zel exits.
#include <unistd.h>

#include <string>
#include <vector>

#include "ImportModule.h"
#include "KitImport.h"
#include "ZelError.h"
#include "platform/DynamicLibrary.h"

namespace {

// The folder of the running zel, with its last slash; empty when unknown.
std::string executableFolder() {
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size()) return "";
    const std::string exe(path.data(), static_cast<size_t>(length));
    return exe.substr(0, exe.rfind('/') + 1);
}

ImportKitEntry loadEntry() {
    static DynamicLibrary module;
    static ImportKitEntry entry = nullptr;
    if (entry != nullptr) return entry;
    const std::string folder = executableFolder();
    std::string reasons;
    for (const std::string& candidate : {folder + kImportModuleFile, folder + "../lib/zel/" + kImportModuleFile}) {
        if (module.open(candidate)) {
            entry = reinterpret_cast<ImportKitEntry>(module.symbol(kImportKitEntry));
            if (entry != nullptr) return entry;
            reasons += "; " + candidate + " has no " + kImportKitEntry;
        } else {
            reasons += "; " + module.error();
        }
    }
    throw ZelError(std::string("kit import needs ") + kImportModuleFile + ", which cannot be loaded" + reasons);
}

}  // namespace

ImportedKit importKit(const std::string& path, KitSource source, const ImportOptions& options) {
    ImportKitEntry entry = loadEntry();
    ImportedKit kit;
    std::string error;
    if (!entry(path, source, options, kit, error)) throw ZelError(error);
    return kit;
}
