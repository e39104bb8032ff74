#include "fluid/ComponentFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/DataFiles.h"
#include "platform/LogSink.h"

bool WordReader::next(std::string& w) {
    w.clear();
    if (!file) return false;
    int c;
    do {
        c = std::fgetc(file);
    } while (c != EOF && (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'));
    if (c == EOF) return false;
    while (c != EOF && !(c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v')) {
        if (w.size() < kMaxWord) w.push_back(static_cast<char>(c));
        c = std::fgetc(file);
    }
    terminator = c;
    return true;
}

void WordReader::skipLine() {
    if (!file || terminator == '\n' || terminator == EOF) return;
    int c;
    do {
        c = std::fgetc(file);
    } while (c != EOF && c != '\n');
    terminator = c;
}

bool parseNumber(const std::string& word, double& value) {
    if (word.empty()) return false;
    const char* s = word.c_str();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s, &end);
    if (end == s || *end != '\0') return false;
    value = v;
    return true;
}

bool WordReader::nextNumber(double& value, bool* endOfFile) {
    std::string w;
    bool got = next(w);
    if (endOfFile) *endOfFile = !got;
    if (!got) return false;
    return parseNumber(w, value);
}

std::string componentFilePath(const std::string& component) { return "compo/" + component; }

std::FILE* openComponentFile(const std::string& component) {
    const std::string rel = componentFilePath(component);
    // A name that climbs out of the data folder is not a component name.
    if (component.empty() || component.find("..") != std::string::npos || component[0] == '/') {
        platform::diagf("File %s not found\n", rel.c_str());
        return nullptr;
    }
    std::string path = platform::resolveDataFile(rel);
    std::FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "r");
    if (!f) platform::diagf("File %s not found\n", rel.c_str());
    return f;
}

bool readComponentKeywords(const std::string& component,
                           std::initializer_list<ComponentKeyword> keywords) {
    std::FILE* f = openComponentFile(component);
    if (!f) return false;
    WordReader reader(f);
    std::string w;
    while (reader.next(w)) {
        for (const ComponentKeyword& k : keywords) {
            if (w != k.keyword) continue;
            std::string v;
            if (!reader.next(v)) break;
            double value;
            if (parseNumber(v, value)) {
                *k.value = value;
            } else {
                platform::diagf("Keyword %s of %s: \"%s\" is not a number\n", k.keyword,
                             componentFilePath(component).c_str(), v.c_str());
            }
            break;
        }
    }
    std::fclose(f);
    return true;
}
