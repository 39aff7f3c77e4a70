// A .h2drumkit archive (a tar file, gzip-compressed or not) unpacked into a
// private temporary folder that goes with the object. Entries that could
// reach outside it (a "..", an absolute path, a link) or that are not plain
// files and folders refuse the whole archive before anything of it is used.
#pragma once

#include <string>

class UnpackedArchive {
public:
    // Throws a ZelError naming the archive, and the entry at fault.
    explicit UnpackedArchive(const std::string& archivePath);
    ~UnpackedArchive();
    UnpackedArchive(const UnpackedArchive&) = delete;
    UnpackedArchive& operator=(const UnpackedArchive&) = delete;

    const std::string& folder() const { return root; }
    // The shallowest drumkit.xml in it (the first by name among equals);
    // throws when there is none.
    std::string drumkitXml() const;

private:
    std::string archive;
    std::string root;
};
