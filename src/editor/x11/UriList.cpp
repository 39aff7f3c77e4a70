#include "editor/x11/UriList.h"

#include <cctype>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// False when an escape is malformed or decodes to a NUL, which no path holds.
bool percentDecode(const std::string& text, std::string& decoded) {
    decoded.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// "file:///path" or "file://localhost/path"; another host is no local file.
bool localPathOf(const std::string& uri, std::string& path) {
    static const std::string kScheme = "file://";
    if (uri.compare(0, kScheme.size(), kScheme) != 0) return false;
    const size_t slash = uri.find('/', kScheme.size());
    if (slash == std::string::npos) return false;
    const std::string host = uri.substr(kScheme.size(), slash - kScheme.size());
    if (!host.empty() && host != "localhost") return false;
    return percentDecode(uri.substr(slash), path) && !path.empty();
}

}  // namespace

std::string firstFilePath(const std::string& uriList) {
    size_t start = 0;
    while (start < uriList.size()) {
        size_t end = uriList.find_first_of("\r\n", start);
        if (end == std::string::npos) end = uriList.size();
        const std::string line = uriList.substr(start, end - start);
        start = end + 1;
        std::string path;
        if (!line.empty() && line[0] != '#' && localPathOf(line, path)) return path;
    }
    return {};
}
