// saturation_fit: fits piecewise Chebyshev expansions of the saturation curve
// of a reference equation of state to the equation's own liquid-vapour
// equilibrium and writes them in the form the models read
// ("compo/saturation/<model>.txt").
//
//   saturation_fit MODEL [FILE]      MODEL: WagnerPruss, IUPACCO2, IUPACCH4, Jacobsen
//
// The critical point is the equation's own (its critical-point search); the
// expansions run from the triple point of the fluid to 1e-4 K below it.  Each equilibrium
// is solved from the fluid's auxiliary start values, never from expansions,
// and then solved again in long double from there with the equation's
// residual Helmholtz energy evaluated in long double: near the critical point
// the double equilibrium is only as fine as the rounding of the Helmholtz
// energy allows (IAPWS-95's volumes scatter by 5e-11 at 0.1 K and 1e-9 at
// 0.01 K below Tc), and the expansions are fitted to the finer one.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "fluid/SaturationExpansion.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "platform/OutputFiles.h"
#include "gases/ReferenceResidualsInDelta.h"
#include "water/IAPWS95InDelta.h"
#include "water/WagnerPruss.h"

namespace {

using Real = long double;

// A reference equation's residual phi(delta) at tau, with its reducing
// temperature and volume (the model's own).
struct Residual {
    double Tr, Vr;
    DeltaJet<Real> (*phi)(Real delta, Real tau);
};

bool residualOf(const std::string& name, Residual& r) {
    if (name == "WagnerPruss") r = {iapws95::Tc, iapws95::Vc, iapws95ResidualInDelta<Real>};
    else if (name == "IUPACCO2") r = {IUPAC::kTc, IUPAC::kVc, iupacCO2ResidualInDelta<Real>};
    else if (name == "IUPACCH4") r = {IUPAC1::kTc, IUPAC1::kVc, iupacCH4ResidualInDelta<Real>};
    else if (name == "Jacobsen") r = {JacobsenRes1::kTc, JacobsenRes1::kVc, nitrogenResidualInDelta<Real>};
    else return false;
    return true;
}

// The equilibrium at T solved again in long double from the double one's
// molar volumes (replaced).  P from the vapour, with the framework's gas
// constant.  False when the Newton steps do not come below 1e-9 (their floor,
// the rounding of long double, is about 1e-10 at 1e-4 K below Tc).
bool refineEquilibrium(const Residual& r, double T, double& P, double& Vl, double& Vv) {
    const Real tau = r.Tr / static_cast<Real>(T), Vc = r.Vr;
    Real dl = Vc / Vl, dv = Vc / Vv;
    const auto phi = [&](Real delta) { return r.phi(delta, tau); };
    if (!(solveCoexistenceInDelta(phi, dl, dv) < 1e-9L)) return false;
    P = static_cast<double>(FluidPhase::R * T / Vc * (dv + dv * dv * phi(dv).f[1]));
    Vl = static_cast<double>(Vc / dl);
    Vv = static_cast<double>(Vc / dv);
    return true;
}

// The critical point solved again in long double from the double search's
// (replaced): Tc, Vc and Pc with the framework's gas constant.  The double
// search's Tc is within 5e-13 K of it, its critical density within 4e-9
// (IAPWS-95; the isotherm is flat there, so its density is the coarser).
// False when it does not converge.
bool refineCriticalPoint(const Residual& r, double& Tc, double& Vc, double& Pc) {
    Real tau = r.Tr / static_cast<Real>(Tc), delta = r.Vr / static_cast<Real>(Vc);
    if (!solveCriticalPointInDelta(r.phi, tau, delta, static_cast<Real>(1e-14))) return false;
    const Real T = r.Tr / tau;
    Tc = static_cast<double>(T);
    Vc = static_cast<double>(r.Vr / delta);
    Pc = static_cast<double>(FluidPhase::R * T / r.Vr * (delta + delta * delta * r.phi(delta, tau).f[1]));
    return true;
}

std::unique_ptr<FluidPhase> makeModel(const std::string& name) {
    if (name == "WagnerPruss") return std::make_unique<WagnerPruss>(2);
    if (name == "IUPACCO2") return std::make_unique<IUPACCO2>(2);
    if (name == "IUPACCH4") return std::make_unique<IUPACCH4>(2);
    if (name == "Jacobsen") return std::make_unique<Jacobsen>(2);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "Syntax: saturation_fit WagnerPruss|IUPACCO2|IUPACCH4|Jacobsen [file]\n");
        return 1;
    }
    const std::string name = argv[1];
    std::unique_ptr<FluidPhase> m = makeModel(name);
    if (!m) {
        std::fprintf(stderr, "saturation_fit: no reference model named %s\n", name.c_str());
        return 1;
    }
    m->useSaturationExpansion = false;
    if (!m->findTheCriticalPoint()) {
        std::fprintf(stderr, "saturation_fit: %s: no critical point found\n", name.c_str());
        return 1;
    }
    m->calculate_pressure();
    double Tc = m->T, Vc = m->V, Pc = m->P;
    const double Tt = m->lowestCurveTemperature();
    SaturationExpansion e;
    e.model = name;
    std::string why;
    Residual residual{};
    const bool extended = residualOf(name, residual);
    if (extended && !refineCriticalPoint(residual, Tc, Vc, Pc)) {
        std::fprintf(stderr, "saturation_fit: %s: the critical point does not converge in long double\n", name.c_str());
        return 1;
    }
    // The last equilibrium solved, at u = sqrt(Tc - T): close to the
    // critical point, where the fluid's auxiliary start values are too rough,
    // a search starts from its volumes scaled to T as Vc -+ a u.
    double uLast = 0.0, VlLast = 0.0, VvLast = 0.0;
    const bool ok = e.fit(
        [&](double T, double& P, double& Vl, double& Vv) {
            bool solved = m->calculateTheSaturationPressure(T, false) == 0;
            const double u = std::sqrt(Tc - T);
            if (!solved && uLast > 0.0) {
                m->temperature(T);
                m->Vl0 = Vc - (Vc - VlLast) * u / uLast;
                m->Vv0 = Vc + (VvLast - Vc) * u / uLast;
                m->calculate_saturation_pressure();
                solved = m->errorflag == 0;
            }
            if (!solved) return false;
            P = m->Pv_sat;
            Vl = m->Vl_sat;
            Vv = m->Vv_sat;
            if (extended && !refineEquilibrium(residual, T, P, Vl, Vv)) return false;
            if (uLast == 0.0 || u < uLast) {
                uLast = u;
                VlLast = Vl;
                VvLast = Vv;
            }
            return true;
        },
        Tt, Tc - 1e-4, Tc, Pc, 1.0 / Vc, 16, 5e-13, 1e-10, why);
    if (!ok) {
        std::fprintf(stderr, "saturation_fit: %s: %s\n", name.c_str(), why.c_str());
        return 1;
    }
    platform::OutputFile out = argc == 3 ? platform::OutputFile(argv[2], "w") : platform::OutputFile();
    std::FILE* f = argc == 3 ? out.get() : stdout;
    if (!f) return 1;
    std::fprintf(f, "# Chebyshev expansions in u = sqrt(Tc - T) of ln psat (Pa) and the saturated liquid and vapour\n"
                    "# molar densities (mol/m3) of %s, fitted to its own liquid-vapour equilibrium%s by saturation_fit.\n",
                 name.c_str(), extended ? " (solved in long double)" : "");
    if (!e.write(f) || (argc == 3 && !out.close())) return 1;
    std::fprintf(stderr, "%s: Tc %.12g K, %zu pieces from %g K\n", name.c_str(), Tc, e.pieces.size(), Tt);
    return 0;
}
