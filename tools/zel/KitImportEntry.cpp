// The import module's one entry: each source to its importer, and every
// failure turned into the message zel prints.
#include <fstream>
#include <new>
#include <type_traits>

#include "HydrogenImport.h"
#include "ImportModule.h"
#include "KitArchive.h"
#include "SoundFontImport.h"
#include "ZelError.h"

namespace {

// Messages about the unpacked files name them inside the archive.
ImportedKit importArchive(const std::string& path, const ImportOptions& options) {
    UnpackedArchive unpacked(path);
    try {
        ImportedKit kit = importHydrogenKit(unpacked.drumkitXml(), options);
        kit.source = path;
        return kit;
    } catch (const ZelError& error) {
        std::string message = error.what();
        const std::string inside = unpacked.folder() + "/";
        for (size_t at; (at = message.find(inside)) != std::string::npos;)
            message.replace(at, inside.size(), path + ": ");
        throw ZelError(message);
    }
}

ImportedKit importFrom(const std::string& path, KitSource source, const ImportOptions& options) {
    switch (source) {
        case KitSource::HydrogenXml: return importHydrogenKit(path, options);
        case KitSource::HydrogenFolder: {
            const std::string xml = (path.empty() || path.back() != '/' ? path + "/" : path) + "drumkit.xml";
            if (!std::ifstream(xml)) throw fileError(path, "a folder without a drumkit.xml");
            return importHydrogenKit(xml, options);
        }
        case KitSource::HydrogenArchive: return importArchive(path, options);
        case KitSource::SoundFont: return importSoundFont(path, options);
        case KitSource::Patch: break;
    }
    throw fileError(path, "not a drumkit or a soundfont");
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool zelImportKit(const std::string& path, KitSource source,
                                                                    const ImportOptions& options, ImportedKit& kit,
                                                                    std::string& error) {
    try {
        kit = importFrom(path, source, options);
        return true;
    } catch (const std::bad_alloc&) {
        error = path + ": too large for the memory left";
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    return false;
}

// The entry's type is the one zel calls it through.
static_assert(std::is_same_v<decltype(&zelImportKit), ImportKitEntry>);
