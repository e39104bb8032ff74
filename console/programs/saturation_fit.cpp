// saturation_fit: fits piecewise Chebyshev expansions of the saturation curve
// of a reference equation of state to the equation's own liquid-vapour
// equilibrium and writes them in the form the models read
// ("compo/saturation/<model>.txt").
//
//   saturation_fit MODEL [FILE]      MODEL: WagnerPruss, IUPACCO2, IUPACCH4, Jacobsen
//
// The critical point is the equation's own (its critical-point search); the
// expansions run from the triple point of the fluid to 1e-4 K below it.  Each equilibrium
// is solved from the fluid's auxiliary start values, never from expansions.
// Water's (IAPWS-95) is then solved again in long double from there: near the
// critical point the double equilibrium is only as fine as the rounding of
// the Helmholtz energy allows (its volumes scatter by 5e-11 at 0.1 K and 5e-8
// at 1e-3 K below Tc), and the expansions are fitted to the finer one.
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
#include "water/IAPWS95Coefficients.h"
#include "water/WagnerPruss.h"

namespace {

using Real = long double;

// IAPWS-95's residual Helmholtz energy phi_r at (delta, tau) and its first two
// derivatives in delta (Wagner & Pruss, J. Phys. Chem. Ref. Data 31, 387
// (2002)), in long double.
struct ResidualInDelta {
    Real f = 0, d = 0, dd = 0;

    ResidualInDelta(Real delta, Real tau) {
        using namespace iapws95;
        for (int i = 0; i < 54; ++i) {
            const ResidualTerm& c = residualTerms[i];
            // The term is n tau^t exp(L(delta)); L' and L'' give its derivatives.
            Real L = std::log(c.n < 0 ? -c.n : c.n) + c.t * std::log(tau) + c.d * std::log(delta);
            Real L1 = c.d / delta, L2 = -c.d / (delta * delta);
            if (i >= 51) {
                const int g = i - 51;
                const Real x = delta - gaussEpsilon[g], y = tau - gaussGamma[g];
                L -= gaussAlpha[g] * x * x + gaussBeta[g] * y * y;
                L1 -= 2 * gaussAlpha[g] * x;
                L2 -= 2 * gaussAlpha[g];
            } else if (c.c > 0) {
                const Real p = std::pow(delta, static_cast<Real>(c.c));
                L -= p;
                L1 -= c.c * p / delta;
                L2 -= c.c * (c.c - 1) * p / (delta * delta);
            }
            const Real term = (c.n < 0 ? -1 : 1) * std::exp(L);
            f += term;
            d += term * L1;
            dd += term * (L1 * L1 + L2);
        }
        // n Delta^b delta psi, Delta = theta^2 + B ((delta-1)^2)^a,
        // theta = 1 - tau + A ((delta-1)^2)^(1/(2 beta)), psi = exp(-C (delta-1)^2 - D (tau-1)^2).
        const Real e = delta - 1, s = e * e, h = 1 / (2 * nonAnalyticBeta);
        const Real ps = std::pow(s, h), pa = std::pow(s, static_cast<Real>(nonAnalyticSmallA));
        const Real theta = 1 - tau + nonAnalyticA * ps;
        const Real th1 = nonAnalyticA * h * ps / s * 2 * e;                       // dtheta/ddelta
        const Real th2 = nonAnalyticA * h * ps / s * (2 + 4 * (h - 1));         // d2theta/ddelta2
        const Real Dl = theta * theta + nonAnalyticB * pa;
        const Real Dl1 = 2 * theta * th1 + nonAnalyticB * nonAnalyticSmallA * pa / s * 2 * e;
        const Real Dl2 = 2 * (th1 * th1 + theta * th2) +
                         nonAnalyticB * nonAnalyticSmallA * pa / s * (2 + 4 * (nonAnalyticSmallA - 1));
        for (int k = 0; k < 2; ++k) {
            const Real n = residualTerms[54 + k].n, b = nonAnalyticSmallB[k], C = nonAnalyticC[k];
            const Real psi = std::exp(-C * s - nonAnalyticD[k] * (tau - 1) * (tau - 1));
            const Real psi1 = -2 * C * e * psi, psi2 = (4 * C * C * s - 2 * C) * psi;
            const Real Db = std::pow(Dl, b), Db1 = b * Db / Dl * Dl1;
            const Real Db2 = b * Db / Dl * (Dl2 + (b - 1) / Dl * Dl1 * Dl1);
            // (Delta^b)(delta psi): products of the two factors' derivatives.
            const Real g = delta * psi, g1 = psi + delta * psi1, g2 = 2 * psi1 + delta * psi2;
            f += n * Db * g;
            d += n * (Db1 * g + Db * g1);
            dd += n * (Db2 * g + 2 * Db1 * g1 + Db * g2);
        }
    }
};

// IAPWS-95's liquid-vapour equilibrium at T in long double, from the double
// one's molar volumes (replaced): equal pressure and equal Gibbs energy in the
// reduced densities, Newton steps while they shrink.  P from the vapour, with
// the framework's gas constant.  False when the steps do not come below 1e-9
// (their floor, the rounding of long double, is 1e-10 at 1e-4 K below Tc).
bool refineWaterEquilibrium(double T, double& P, double& Vl, double& Vv) {
    const Real tau = static_cast<Real>(iapws95::Tc) / T, Vc = iapws95::Vc;
    Real dl = Vc / Vl, dv = Vc / Vv, last = HUGE_VALL;
    for (int k = 0; k < 50; ++k) {
        const ResidualInDelta l(dl, tau), v(dv, tau);
        const Real pl = dl + dl * dl * l.d, pv = dv + dv * dv * v.d;
        const Real gl = std::log(dl) + l.f + dl * l.d, gv = std::log(dv) + v.f + dv * v.d;
        // d(p)/d(delta) = delta d(g)/d(delta) = 1 + 2 delta phi_d + delta^2 phi_dd
        const Real kl = 1 + 2 * dl * l.d + dl * dl * l.dd, kv = 1 + 2 * dv * v.d + dv * dv * v.dd;
        const Real det = kl * kv * (dv - dl) / (dl * dv);
        const Real stepL = ((pl - pv) * kv / dv - (gl - gv) * kv) / det;
        const Real stepV = ((pl - pv) * kl / dl - (gl - gv) * kl) / det;
        const Real size = std::fmax(std::fabs(stepL / dl), std::fabs(stepV / dv));
        if (!(size < last)) break;
        last = size;
        dl += stepL;
        dv += stepV;
    }
    if (!(last < 1e-9L) || !(dl > dv)) return false;
    const ResidualInDelta v(dv, tau);
    P = static_cast<double>(FluidPhase::R * T / Vc * (dv + dv * dv * v.d));
    Vl = static_cast<double>(Vc / dl);
    Vv = static_cast<double>(Vc / dv);
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
    const double Tc = m->T, Vc = m->V, Pc = m->P;
    const double Tt = m->lowestCurveTemperature();
    SaturationExpansion e;
    e.model = name;
    std::string why;
    // The last equilibrium solved, at u = sqrt(Tc - T): close to the
    // critical point, where the fluid's auxiliary start values are too rough,
    // a search starts from its volumes scaled to T as Vc -+ a u.
    double uLast = 0.0, VlLast = 0.0, VvLast = 0.0;
    const bool extended = name == "WagnerPruss";
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
            if (extended && !refineWaterEquilibrium(T, P, Vl, Vv)) return false;
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
