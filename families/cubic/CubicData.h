#pragma once
// Constants and small helpers shared by the cubic equations of state.
#include <initializer_list>
#include <string>
#include <vector>

#include "fluid/ValidityRange.h"

namespace cubic {

constexpr double R = 8.31434;               // J/(mol K)
constexpr double R2 = 69.1282496356;        // R squared as the models write it
constexpr double kPRd1 = 0.41421356237309515;   // sqrt(2) - 1
constexpr double kPRd2 = -2.4142135623730945;   // -1 - sqrt(2)
// Soave-Redlich-Kwong constants: Omega_a = 1/(9 (2^(1/3) - 1)),
// Omega_b = (2^(1/3) - 1)/3, which put the critical point of a pure fluid at
// its Tc and Pc with Zc = 1/3.
constexpr double kSrkOmegaA = 0.427480234;
constexpr double kSrkOmegaB = 0.08664034996495773;
constexpr double kSrkAcFactor = 29.550960330236702;  // Omega_a R^2
constexpr double kSrkBFactor = kSrkOmegaB * R;       // Omega_b R
// Critical compressibility factors of a pure fluid: SRK's 1/3 and
// Peng-Robinson's 0.307401 (the root of the cubic at its critical point).
constexpr double kSrkZc = 1.0 / 3.0;
constexpr double kPengRobinsonZc = 0.307401;
// Hard-sphere diameter (m) and co-volume b = (2 pi / 3) N_A sigma^3 (m3/mol).
constexpr double kCovolumeToDiameter3 = 7.928495314699315e-25;
constexpr double kDiameter3ToCovolume = 1.2612733694198122e24;

// Built-in binary attraction parameter of the cubic families for the pair of
// component names, in either order: CH4 (or C1) with CO2 0.1, CH4 (or C1)
// with N2 0.03, CO2 with N2 -0.035.  False when the pair has none.
// The range of every cubic model.  The cubics publish none: Soave (1972) and
// Peng & Robinson (1976) fitted their alpha(T) to vapour pressures.  They are
// held, by the interpreter's own limits, from a pure component's triple point
// (below it the fluid is solid, or a vapour over the solid) and a mixture's
// 50 K (its solids judged state by state against their published
// sublimation lines) to 1500 K and up to 1000 bar, where their densities
// follow the reference equations of H2O, CO2, CH4 and N2 within a few percent
// in the gas and up to 12 to 37 % in the liquid and beside the critical point
// (see the model table in docs/models.md).
constexpr ValidityRange kCubicRange{.Tmin = 50.0,
                                    .Tmax = 1500.0,
                                    .Pmax = 1000.0,
                                    .fromTriplePoints = true,
                                    .source = "no published range; the interpreter's limits"};

bool builtInPairKaij(const std::string& a, const std::string& b, double& kaij);

// The start of the critical-point search of a cubic model (its critical_T
// and critical_V) as component i is read, from that component's critical
// constants Tc (K) and Vc (m3/mol): with Soave's alpha(T), 1 at Tc, a pure
// fluid's critical point lies at its Tc exactly.  A mixture keeps the
// component of highest Tc: no isotherm of a mixture whose attraction
// parameter stays below the largest a_i / b_i of its components (kaij >= 0,
// or slightly negative) has a loop far above it, and the phase-kind searches
// take every root of an isotherm above 1.1 times that start.
inline void keepCriticalStart(double& critical_T, double& critical_V, int i, double Tc, double Vc) {
    if (i == 0 || Tc > critical_T) {
        critical_T = Tc;
        critical_V = Vc;
    }
}

// set(i, j, kaij) for each pair i < j of the first n components that has a
// built-in kaij.
template <class SetPair>
void forEachBuiltInPair(const std::vector<std::string>& names, int n, SetPair set) {
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) {
            double k;
            if (builtInPairKaij(names[i], names[j], k)) set(i, j, k);
        }
}

// The real roots of a cubic in Z (coefficients from the constant term up)
// that exceed the reduced co-volume B, in the solver's order, into kept; their
// number. A root at or below B is no fluid volume.
int rootsAboveCovolume(const double coef[4], double B, double kept[3]);

// Reads the component keyword file "compo/<name>": each keyword's value into
// its place.  When the file cannot be found, `missingFormat` (one %s, the
// path) is written to standard error and false returned, values untouched.
struct CubicKeyword {
    const char* keyword;
    double* value;
};
bool readCubicComponentFile(const std::string& name, const char* missingFormat,
                            std::initializer_list<CubicKeyword> keywords);

// The corresponding-states data of a component from its file: Tc (K), Pc (Pa),
// the acentric factor omega and the molar mass mw (kg/mol), each required, and
// any further keywords the caller names in `required` (each required too).
// A cubic whose alpha(T) comes from omega has no temperature dependence
// without it, so a component whose file lacks any of them is refused: false,
// with a message naming the model, the component and what is missing, and
// nothing is stored.  A missing file writes `missingFormat` as above.
bool readCorrespondingStates(const std::string& name, const char* model, const char* missingFormat, double& Tc,
                             double& Pc, double& omega, double& mw, std::initializer_list<CubicKeyword> required = {});

// At most one component present: the model's branches are that fluid's two
// phases.
inline bool atPureComposition(const std::vector<double>& x) {
    int present = 0;
    for (double xi : x) present += xi > 0.0 ? 1 : 0;
    return present <= 1;
}

}  // namespace cubic
