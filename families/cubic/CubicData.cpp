#include "families/cubic/CubicData.h"

#include <cstdio>

#include "fluid/ComponentFile.h"
#include "platform/DataFiles.h"
#include "platform/LogSink.h"

namespace cubic {

namespace {
bool isMethane(const std::string& s) { return s == "CH4" || s == "C1"; }
}  // namespace

bool builtInPairKaij(const std::string& a, const std::string& b, double& kaij) {
    auto pair = [&](auto isFirst, const char* second) {
        return (isFirst(a) && b == second) || (isFirst(b) && a == second);
    };
    auto is = [](const char* n) { return [n](const std::string& s) { return s == n; }; };
    if (pair(isMethane, "CO2")) {
        kaij = 0.1;
        return true;
    }
    if (pair(isMethane, "N2")) {
        kaij = 0.03;
        return true;
    }
    if (pair(is("CO2"), "N2")) {
        kaij = -0.035;
        return true;
    }
    return false;
}

bool readCubicComponentFile(const std::string& name, const char* missingFormat,
                            std::initializer_list<CubicKeyword> keywords) {
    const std::string rel = componentFilePath(name);
    // A name that climbs out of the data folder is not a component name.
    const bool plain = !name.empty() && name.find("..") == std::string::npos && name[0] != '/';
    std::FILE* f = nullptr;
    if (plain) {
        const std::string path = platform::resolveDataFile(rel);
        if (!path.empty()) f = std::fopen(path.c_str(), "r");
    }
    if (!f) {
        platform::diagf(missingFormat, rel.c_str());
        return false;
    }
    WordReader reader(f);
    std::string w;
    while (reader.next(w)) {
        for (const CubicKeyword& k : keywords) {
            if (w != k.keyword) continue;
            std::string v;
            if (!reader.next(v)) break;
            double value;
            if (parseNumber(v, value))
                *k.value = value;
            else
                platform::diagf("Keyword %s of %s: \"%s\" is not a number\n", k.keyword, rel.c_str(),
                             v.c_str());
            break;
        }
    }
    std::fclose(f);
    return true;
}

}  // namespace cubic
