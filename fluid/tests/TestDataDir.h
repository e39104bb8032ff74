#pragma once
// A scratch data folder for the tests: files written under it are found by the
// data-file resolver while the object lives (VARNOK_DATA_DIR points at it).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TestDataDir {
public:
    explicit TestDataDir(const std::string& name) {
        dir = std::filesystem::current_path() / ("data-" + name);
        std::filesystem::create_directories(dir / "compo");
        if (const char* old = std::getenv("VARNOK_DATA_DIR")) {
            hadOld = true;
            oldValue = old;
        }
        setenv("VARNOK_DATA_DIR", dir.c_str(), 1);
    }
    ~TestDataDir() {
        if (hadOld)
            setenv("VARNOK_DATA_DIR", oldValue.c_str(), 1);
        else
            unsetenv("VARNOK_DATA_DIR");
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void write(const std::string& relative, const std::string& text) const {
        std::ofstream(dir / relative) << text;
    }

private:
    std::filesystem::path dir;
    bool hadOld = false;
    std::string oldValue;
};
