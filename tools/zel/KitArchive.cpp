#include "KitArchive.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "ZelError.h"

namespace fs = std::filesystem;

namespace {

// Enough for any drumkit; a larger archive is more likely a bomb.
constexpr int64_t kMostUnpackedBytes = int64_t(4) << 30;
constexpr int kMostEntries = 100000;

struct ArchiveCloser {
    void operator()(archive* reader) const { archive_read_free(reader); }
};
typedef std::unique_ptr<archive, ArchiveCloser> ArchiveReader;

std::string why(archive* reader) {
    const char* text = archive_error_string(reader);
    return text != nullptr ? text : "unknown error";
}

// Why an entry may not be unpacked, or null.
const char* refusal(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    if (name == nullptr || name[0] == '\0') return "an entry without a name";
    if (name[0] == '/') return "an absolute path";
    for (const char* part = name; *part != '\0';) {
        const char* end = std::strchr(part, '/');
        const size_t length = end != nullptr ? static_cast<size_t>(end - part) : std::strlen(part);
        if (length == 2 && part[0] == '.' && part[1] == '.') return "a path through \"..\"";
        part += length + (end != nullptr ? 1 : 0);
    }
    if (archive_entry_hardlink(entry) != nullptr || archive_entry_symlink(entry) != nullptr) return "a link";
    const mode_t type = archive_entry_filetype(entry);
    if (type != AE_IFREG && type != AE_IFDIR) return "neither a file nor a folder";
    return nullptr;
}

void writeEntryData(const std::string& archivePath, archive* reader, const std::string& target,
                    int64_t& unpacked) {
    fs::create_directories(fs::path(target).parent_path());
    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw fileError(archivePath, "cannot unpack into " + target + ": " + std::strerror(errno));
    std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* d) { close(*d); delete d; });
    for (;;) {
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF) return;
        if (status < ARCHIVE_WARN) throw fileError(archivePath, "damaged archive (" + why(reader) + ")");
        unpacked += static_cast<int64_t>(size);
        if (unpacked > kMostUnpackedBytes) throw fileError(archivePath, "unpacks to more than 4 GB");
        if (pwrite(fd, block, size, offset) != static_cast<ssize_t>(size))
            throw fileError(archivePath, "cannot unpack into " + target + ": " + std::strerror(errno));
    }
}

std::string makeTemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "zel-kit-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw ZelError("cannot make a temporary folder: " + std::string(std::strerror(errno)));
    return pattern;
}

}  // namespace

UnpackedArchive::UnpackedArchive(const std::string& archivePath) : archive(archivePath) {
    ArchiveReader reader(archive_read_new());
    if (!reader) throw ZelError("out of memory");
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_tar(reader.get());
    if (archive_read_open_filename(reader.get(), archivePath.c_str(), 1 << 16) != ARCHIVE_OK)
        throw fileError(archivePath, "not an archive that can be read (" + why(reader.get()) + ")");
    root = makeTemporaryFolder();
    try {
        int64_t unpacked = 0;
        archive_entry* entry = nullptr;
        for (int count = 0;; ++count) {
            const int status = archive_read_next_header(reader.get(), &entry);
            if (status == ARCHIVE_EOF) break;
            if (status < ARCHIVE_WARN) throw fileError(archivePath, "damaged archive (" + why(reader.get()) + ")");
            if (count >= kMostEntries) throw fileError(archivePath, "more than 100000 entries");
            if (const char* refused = refusal(entry))
                throw fileError(archivePath, std::string("refused entry \"") +
                                                 (archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "") +
                                                 "\": " + refused);
            const std::string target = root + "/" + archive_entry_pathname(entry);
            if (archive_entry_filetype(entry) == AE_IFDIR)
                fs::create_directories(target);
            else
                writeEntryData(archivePath, reader.get(), target, unpacked);
        }
    } catch (const fs::filesystem_error& error) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
        throw fileError(archivePath, "cannot unpack: " + error.code().message());
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
        throw;
    }
}

UnpackedArchive::~UnpackedArchive() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::string UnpackedArchive::drumkitXml() const {
    std::string best;
    int bestDepth = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename() != "drumkit.xml" || !it->is_regular_file()) continue;
        const std::string path = it->path().string();
        const int depth = it.depth();
        if (best.empty() || depth < bestDepth || (depth == bestDepth && path < best)) {
            best = path;
            bestDepth = depth;
        }
    }
    if (best.empty()) throw fileError(archive, "an archive without a drumkit.xml");
    return best;
}
