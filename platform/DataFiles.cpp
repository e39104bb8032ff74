#include "platform/DataFiles.h"
#include "platform/LogSink.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

// The data folder of the installation a program was built on, defined in
// the program by the installed CMake package (cmake/VarnokInstallation.cpp);
// undefined (null) in a program built in the source tree.
extern "C" __attribute__((weak)) const char* varnok_installation_data_dir();

namespace platform {
namespace {
std::vector<std::filesystem::path> searchRoots() {
    namespace fs = std::filesystem;
    std::vector<fs::path> roots;
    if (const char* env = std::getenv("VARNOK_DATA_DIR"); env && *env) roots.emplace_back(env);
    // A program built on an installed library reads that installation's
    // files, never those of the tree the library was built in.
    const char* installed = varnok_installation_data_dir ? varnok_installation_data_dir() : nullptr;
    if (installed && *installed) roots.emplace_back(installed);
    // An installed program (<prefix>/bin) finds <prefix>/share/varnok.
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) roots.push_back(exe.parent_path().parent_path() / "share" / "varnok");
#ifdef VARNOK_SOURCE_DATA_DIR
    if (!installed) roots.emplace_back(VARNOK_SOURCE_DATA_DIR);
#endif
    roots.emplace_back(".");
    return roots;
}
}  // namespace

std::string resolveDataFile(const std::string& relativePath) {
    namespace fs = std::filesystem;
    if (relativePath.empty()) return {};
    std::error_code ec;
    fs::path rel(relativePath);
    if (rel.is_absolute()) return fs::is_regular_file(rel, ec) ? relativePath : std::string();
    for (const auto& root : searchRoots()) {
        fs::path candidate = root / rel;
        if (fs::is_regular_file(candidate, ec)) return candidate.string();
    }
    return {};
}

std::FILE* openDataFile(const std::string& relativePath, const char* mode) {
    std::string path = resolveDataFile(relativePath);
    if (path.empty()) {
        // The callers read optional tables (start values) and go on without
        // them, or report their own failure: a warning here.
        warnf("Cannot find the data file \"%s\" (searched VARNOK_DATA_DIR, the installation, the source tree and the "
              "current directory)\n",
              relativePath.c_str());
        return nullptr;
    }
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f) warnf("Cannot open the data file \"%s\"\n", path.c_str());
    return f;
}

}  // namespace platform
