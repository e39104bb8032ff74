#include "families/cubic/CubicData.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "fluid/ComponentFile.h"
#include "numerics/LinearAlgebra.h"
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

namespace {

bool readKeywords(const std::string& name, const char* missingFormat, const CubicKeyword* first,
                  const CubicKeyword* last) {
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
        for (const CubicKeyword* p = first; p != last; ++p) {
            const CubicKeyword& k = *p;
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

}  // namespace

bool readCubicComponentFile(const std::string& name, const char* missingFormat,
                            std::initializer_list<CubicKeyword> keywords) {
    return readKeywords(name, missingFormat, keywords.begin(), keywords.end());
}

bool readCorrespondingStates(const std::string& name, const char* model, const char* missingFormat, double& Tc,
                             double& Pc, double& omega, double& mw, std::initializer_list<CubicKeyword> required) {
    constexpr double kUnset = std::numeric_limits<double>::quiet_NaN();
    double tc = kUnset, pc = kUnset, w = kUnset, m = kUnset;
    std::vector<CubicKeyword> keys = {{"Tc", &tc}, {"Pc", &pc}, {"omega", &w}, {"mw", &m}};
    std::vector<double> extra(required.size(), kUnset);
    std::size_t k = 0;
    for (const CubicKeyword& q : required) keys.push_back({q.keyword, &extra[k++]});
    if (!readKeywords(name, missingFormat, keys.data(), keys.data() + keys.size())) return false;
    std::string missing;
    auto need = [&](const char* key, bool ok) {
        if (!ok) missing += std::string(missing.empty() ? "" : ", ") + key;
    };
    need("Tc", tc > 0.0 && std::isfinite(tc));
    need("Pc", pc > 0.0 && std::isfinite(pc));
    need("omega (the acentric factor)", std::isfinite(w));
    need("mw", m > 0.0 && std::isfinite(m));
    k = 0;
    for (const CubicKeyword& q : required) need(q.keyword, std::isfinite(extra[k++]));
    if (!missing.empty()) {
        platform::diagf("%s: the file %s gives no %s of %s; the component is refused\n", model,
                        componentFilePath(name).c_str(), missing.c_str(), name.c_str());
        return false;
    }
    Tc = tc;
    Pc = pc;
    omega = w;
    mw = m;
    k = 0;
    for (const CubicKeyword& q : required) *q.value = extra[k++];
    return true;
}

int rootsAboveCovolume(const double coef[4], double B, double kept[3]) {
    int nr = 0;
    double roots[3];
    degree3(coef, &nr, roots);
    int nk = 0;
    for (int k = 0; k < nr; k++)
        if (roots[k] > B) kept[nk++] = roots[k];
    return nk;
}

}  // namespace cubic
