#include "platform/ReplacingFile.h"

std::string writeWholeFileReplacing(const std::string& path, const void* bytes, size_t size) {
    ReplacingFile file(path);
    if (file.write(bytes, size)) file.commit();
    return file.failure();
}
