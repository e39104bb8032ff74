#include "app/plot/FileChooser.h"

namespace {
FileChooser*& installedChooser() {
    static FileChooser* chooser = nullptr;
    return chooser;
}
}  // namespace

void setFileChooser(FileChooser* chooser) { installedChooser() = chooser; }
FileChooser* fileChooser() { return installedChooser(); }
