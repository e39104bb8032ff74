#pragma once
// Where exports ask the user for a file name.  The application installs a
// dialog; tests install their own chooser.  With none installed every request
// is answered "cancelled".
#include <optional>
#include <string>

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The path chosen to save a file of the given type (extension without the
    // dot, e.g. "txt"), proposing `proposedName`; nothing when cancelled.
    virtual std::optional<std::string> chooseSaveFile(const std::string& proposedName,
                                                      const std::string& fileType) = 0;
};

// The path with ".type" added unless it ends in it already (in any case of
// letters): a dot in a chosen name ("log v1.2") is no extension of the file,
// and a name ending in a dot ("run.") takes the type after it ("run.pdf").
std::string withFileExtension(const std::string& path, const std::string& fileType);

// Installs the chooser (nullptr removes it).  The caller keeps ownership and
// must remove it before destroying it.
void setFileChooser(FileChooser* chooser);
FileChooser* fileChooser();
