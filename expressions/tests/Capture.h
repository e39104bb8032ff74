#pragma once
// Runs a writer on a temporary stream and returns what it wrote.
#include <cstdio>
#include <string>

template <class F>
std::string captureStream(F&& write) {
    std::FILE* f = std::tmpfile();
    if (!f) return "<no tmpfile>";
    write(f);
    std::fflush(f);
    std::rewind(f);
    std::string out;
    char buf[4096];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
    std::fclose(f);
    return out;
}
