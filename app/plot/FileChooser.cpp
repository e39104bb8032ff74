#include "app/plot/FileChooser.h"

#include <algorithm>
#include <cctype>

namespace {
FileChooser*& installedChooser() {
    static FileChooser* chooser = nullptr;
    return chooser;
}
}  // namespace

void setFileChooser(FileChooser* chooser) { installedChooser() = chooser; }
FileChooser* fileChooser() { return installedChooser(); }

std::string withFileExtension(const std::string& path, const std::string& fileType) {
    if (path.empty() || fileType.empty()) return path;
    const std::string ending = "." + fileType;
    const bool has = path.size() > ending.size() &&
                     std::equal(ending.rbegin(), ending.rend(), path.rbegin(), [](char a, char b) {
                         return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                     });
    if (has) return path;
    return path.back() == '.' ? path + fileType : path + ending;
}
