#include "fluid/Standard.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "expressions/Leaf.h"
#include "fluid/ComponentFile.h"
#include "platform/DataFiles.h"
#include "platform/LogSink.h"

namespace {
const char* kStandardFile = "compo/standard.txt";

// a0 and its first four T-derivatives for Cp = a + bT + cT^2 + dT^3 with H and
// S at T0 (the reduced Gibbs energy of the ideal gas).
struct Reduced {
    double v, t1, t2, t3, t4;
};

Reduced reducedGibbs(double T, double a, double b, double c, double d, double H, double S) {
    const double R = Interaction::R;
    const double T0 = Standard::kT0;
    const double c3 = -d / (12.0 * R);
    const double c2 = -c / (6.0 * R);
    const double c1 = -b / (2.0 * R);
    const double cl = -a / R;
    const double h = (H - a * T0 - b * T0 * T0 / 2.0 - c * T0 * T0 * T0 / 3.0 - d * T0 * T0 * T0 * T0 / 4.0) / R;
    const double c0 = (a + a * std::log(T0) + b * T0 + c * T0 * T0 / 2.0 + d * T0 * T0 * T0 / 3.0 - S) / R;
    const double T2 = T * T, T3 = T2 * T, T4 = T3 * T, T5 = T4 * T;
    Reduced r;
    r.v = c3 * T3 + c2 * T2 + c1 * T + cl * std::log(T) + c0 + h / T;
    r.t1 = 3.0 * c3 * T2 + 2.0 * c2 * T + c1 + cl / T - h / T2;
    r.t2 = 6.0 * c3 * T + 2.0 * c2 - cl / T2 + 2.0 * h / T3;
    r.t3 = 6.0 * c3 + 2.0 * cl / T3 - 6.0 * h / T4;
    r.t4 = -6.0 * cl / T4 + 24.0 * h / T5;
    return r;
}
}  // namespace

Standard::Standard() : leaf(std::make_unique<Leaf>()) {
    // Sized for T and V until the components are known, so that a part of a
    // model without components evaluates to zero.
    leaf->number_of_variables(2);
    root = leaf.get();
    setModelName("Standard");
}

Standard::~Standard() { root = nullptr; }

void Standard::number_of_components(int n) {
    if (n < 1) {
        Interaction::number_of_components(n);
        return;
    }
    Interaction::number_of_components(n);
    componentIndex = 0;
    cachedT_ = componentT_ = std::nan("");
    const std::size_t m = static_cast<std::size_t>(n);
    S298.assign(m, 0.0);
    H298.assign(m, 0.0);
    CpA.assign(m, 0.0);
    CpB.assign(m, 0.0);
    CpC.assign(m, 0.0);
    CpD.assign(m, 0.0);
    found.assign(m, 0);
    reported.assign(m, 0);
    names.assign(m, std::string());
    if (leaf->nvar != 0 && leaf->nvar != n + 2) {
        leaf = std::make_unique<Leaf>();
        root = leaf.get();
    }
    leaf->number_of_variables(n + 2);
    leaf->flags[1] = 0;  // no volume dependence: nothing to Z or to any volume derivative
}

void Standard::calculate_fixed_parameters() {
    const int n = component_count;
    if (n < 1) return;
    // The part depends on T and the composition alone: a volume search, which
    // evaluates the model many times at one temperature, reuses it; the
    // fugacity pass, which switches it off, and the phases of an equilibrium
    // at one temperature, which differ in composition, reuse what depends on
    // T and the composition, or on T alone.
    if (T == cachedT_ && fugacityPass == cachedPass_ && x == cachedX_) return;
    const double g1 = 1.0 / T, g2 = -g1 * g1, g3 = -2.0 * g2 * g1, g4 = -3.0 * g3 * g1;
    if (!(T == cachedT_ && x == cachedX_)) {
        S298mix = H298mix = CpAmix = CpBmix = CpCmix = CpDmix = 0.0;
        for (int i = 0; i < n; i++) {
            S298mix += x[i] * S298[i];
            H298mix += x[i] * H298[i];
            CpAmix += x[i] * CpA[i];
            CpBmix += x[i] * CpB[i];
            CpCmix += x[i] * CpC[i];
            CpDmix += x[i] * CpD[i];
        }
        const Reduced m = reducedGibbs(T, CpAmix, CpBmix, CpCmix, CpDmix, H298mix, S298mix);

        // Standard-state functions of the ideal gas at P0.
        G0 = R * T * m.v;
        H0 = -R * T * T * m.t1;
        S0 = -R * T * m.t1 - R * m.v;
        Cp0 = -2.0 * R * T * m.t1 - R * T * T * m.t2;
        A0 = G0 - R * T;
        U0 = H0 - R * T;
        Cv0 = Cp0 - R;

        // The framework's terms carry the ideal gas's -ln V, so the reduced
        // Helmholtz energy of this part is a0 = G0/(RT) + ln(RT/P0) - 1: the
        // fluid then has H = H0, S = S0 - R ln(P/P0) and Cp = Cp0 in the
        // ideal-gas limit.  Per mole of each component the added part is the
        // same, g(T) = ln(R T/P0) - 1, with derivatives 1/T, -1/T^2, 2/T^3, -6/T^4.
        if (!(T == componentT_)) {
            componentT_ = T;
            g_ = std::log(R * T / kP0) - 1.0;
            componentParts_.resize(static_cast<std::size_t>(4 * n));
            for (int i = 0; i < n; i++) {
                const Reduced r = reducedGibbs(T, CpA[i], CpB[i], CpC[i], CpD[i], H298[i], S298[i]);
                double* c = &componentParts_[static_cast<std::size_t>(4 * i)];
                c[0] = r.v + g_;
                c[1] = r.t1 + g1;
                c[2] = r.t2 + g2;
                c[3] = r.t3 + g3;
            }
        }
        double sx = 0.0;
        for (int i = 0; i < n; i++) sx += x[i];
        a_[0] = m.v + sx * g_;
        a_[1] = m.t1 + sx * g1;
        a_[2] = m.t2 + sx * g2;
        a_[3] = m.t3 + sx * g3;
        a_[4] = m.t4 + sx * g4;
    }
    A = a_[0];
    AT = a_[1];
    ATT = a_[2];
    cachedT_ = T;
    cachedPass_ = fugacityPass;
    cachedX_ = x;

    // During the fugacity pass the ideal part is switched off: fugacity
    // coefficients are residual properties.
    const double on = fugacityPass ? 0.0 : 1.0;
    Leaf* e = leaf.get();
    e->value = on * a_[0];
    e->d1[0] = on * a_[1];
    e->d2[0][0] = on * a_[2];
    e->d3[0][0][0] = on * a_[3];
    e->d4[0][0][0][0] = on * a_[4];
    for (int i = 0; i < n; i++) {
        const double* c = &componentParts_[static_cast<std::size_t>(4 * i)];
        const int vi = 2 + i;
        e->d1[vi] = on * c[0];
        e->d2[vi][0] = on * c[1];
        e->d3[vi][0][0] = on * c[2];
        e->d4[vi][0][0][0] = on * c[3];
    }
}

namespace {

// Next word of the file that is not in a comment ("##..." to the end of its line).
bool nextWord(WordReader& reader, std::string& w) {
    while (reader.next(w)) {
        if (w.size() > 1 && w[0] == '#') {
            reader.skipLine();
            continue;
        }
        return true;
    }
    return false;
}

}  // namespace

void Standard::read_component_data(const char* name) {
    if (component_count < 1 || !name) return;
    if (componentIndex >= component_count) {
        platform::diagf("Standard: more components read than the %d it was sized for (%s ignored)\n", component_count,
                        name);
        return;
    }
    const int i = componentIndex++;
    names[i] = name;
    const std::string path = platform::resolveDataFile(kStandardFile);
    std::FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "r");
    if (!f) {
        platform::diagf("The standard-state data file %s cannot be opened: no data for component %s.\n", kStandardFile,
                        name);
        reported[i] = 1;
        return;
    }
    WordReader reader(f);
    std::string first, second;
    double v[4];
    bool ok = false;
    while (nextWord(reader, first)) {
        if (first == "#" && !nextWord(reader, first)) break;
        bool record = true;
        for (double& vi : v) {
            std::string w;
            if (!nextWord(reader, w) || !parseNumber(w, vi)) {
                record = false;
                break;
            }
        }
        if (!record || !nextWord(reader, second)) {
            platform::diagf("The file %s has a bad record near \"%s\".\n", kStandardFile, first.c_str());
            break;
        }
        if (first == name || second == name) {
            ok = true;
            break;
        }
    }
    std::fclose(f);
    // A component without its record (a salt, most hydrocarbons) is still
    // good for volumes, fugacities and phase equilibria: its lack is said by
    // hasData, once, when state functions are asked for.
    if (!ok) return;
    cachedT_ = componentT_ = std::nan("");
    CpA[i] = v[0] * kCalorie;
    CpB[i] = 0.01 * v[1] * kCalorie;
    CpC[i] = 0.0;
    CpD[i] = 0.0;
    H298[i] = v[2] * kCalorie;
    S298[i] = v[3] * kCalorie;
    found[i] = 1;
}

bool Standard::hasData() {
    for (int i = 0; i < component_count && i < static_cast<int>(found.size()); i++)
        if (!found[i] && x[i] != 0.0) return false;
    return true;
}

std::string Standard::whyNoData() {
    std::string why;
    for (int i = 0; i < component_count && i < static_cast<int>(found.size()); i++) {
        if (found[i] || x[i] == 0.0) continue;
        if (!why.empty()) why += "; ";
        if (names[i].empty())
            why += "No standard-state data were read for component " + std::to_string(i);
        else
            why += "Data for component " + names[i] + " have not been found in the file compo/standard.txt";
    }
    if (!why.empty()) why += ": h, u, s, cv, cp, the sound speed and the Joule-Thomson coefficient are not given";
    return why;
}
