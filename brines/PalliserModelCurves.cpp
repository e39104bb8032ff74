// Curves of PalliserModel: the ice-melting isotherm of NaCl-KCl solutions and
// the vapour branch of an isopleth, traced by following the reduced pressure
// of the dew point from temperature to temperature.
#include <cmath>

#include "brines/PalliserModel.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

void PalliserModel::calculateIceMeltingIsotherm(std::vector<double>& array, double T_) {
    for (int k = 0; k <= 20; ++k) {
        const double f = 0.05 * k;
        double x;
        calculateIceMeltingSalinity(T_, f, x);
        if (pointFailed) continue;
        array.insert(array.end(), {100.0 * f * x, 100.0 * (1.0 - f) * x});
    }
}

void PalliserModel::calculateGasIsopleth(std::vector<double>& array, double Xwt, double T0, double Tend, double Pend,
                                         double rhoEnd) {
    const double X_ = 0.01 * Xwt;
    if (!std::isfinite(T0) || !std::isfinite(X_)) return;
    double sPrev = 0.0, dT = 1.0, T_ = T0, Tlast = T0;
    bool searching = false;
    int counter = 0;
    double par[6] = {0.0, 0.0, 0.0, X_, 0.0, 1.0};
    Secant sec;
    sec.obj = this;
    sec.fn = toEquationFn<ScalarEquationFn>(&PalliserModel::equationForGas);
    sec.data = par;
    sec.itermax = 15;
    sec.tol = 1e-9;
    sec.lambda = 1.0;
    sec.lambdaMin = 1e-8;
    // One search of the reduced pressure from s0 (backwards near s = 1).
    auto solveFrom = [&](double s0, double s1) {
        sec.x0 = s0;
        sec.x1 = s1;
        const double s = sec.solve();
        // The secant also stops on a step damped to nothing against an end
        // of [0, 1] where there is no root: only a vapour of composition X
        // is a row.
        const bool ok = sec.status == 0 && s >= 0.0 && s <= 1.0 && std::fabs(equationForGas(s, par)) <= 1e-10 * X_;
        error = 0;
        return std::pair<bool, double>(ok, s);
    };
    auto startRule = [&](double s0) {
        return s0 >= 0.99998 ? solveFrom(s0 - 1e-5, s0 - 1.2e-5) : solveFrom(s0, s0 + 1e-5);
    };

    while (T_ > 250.0 && T_ <= 3128.0) {
        SurfaceLaw L;
        if (!surfaceLawAt(T_, L)) {
            // Past the critical point of NaCl the surface ends, and so do the rows.
            break;
        }
        // The correction of the vapour end near and above the melting point of
        // halite depends on the pressure; each row takes it at its own
        // pressure, as the liquid-vapour point does.  Where the correction
        // acts, the end differs between high pressure and the three-phase
        // (or molten-NaCl) end: the rows there come from vapourEndRow.
        SurfaceLaw Lhigh = L;
        patchVapourEnd(Lhigh, L.Phigh);
        patchVapourEnd(L, L.Plow);
        if (Lhigh.Xv0 != L.Xv0 && X_ < L.Xc) {
            double s = 0.0;
            if (!vapourEndRow(L, Lhigh, X_, sPrev, s)) {
                platform::diagf("PalliserModel: the vapour branch of the %g wt %% isopleth ends at %g °C: the vapour "
                                "law, its end corrected at the row's own pressure, has no dew point of this "
                                "composition continuing the branch\n",
                                Xwt, T_);
                break;
            }
            double P_, rv;
            surfaceDewPoint(rowLaw(L, Lhigh, s), s, X_, P_, rv);
            array.insert(array.end(), {T_, P_, rv});
            sPrev = s;
            Tlast = T_;
            searching = false;
            T_ += dT;
            continue;
        }
        if (!(L.w > 0.0)) {
            double s, P_, rv;
            if (solveDewReducedPressure(L, X_, 0.5, s)) {
                surfaceDewPoint(L, s, X_, P_, rv);
                array.insert(array.end(), {T_, P_, rv});
            }
            T_ += dT;
            continue;
        }
        if (!(X_ < L.Xc)) {
            // Below the critical temperature of X no vapour has its
            // composition: the rows start above it, and a branch traced back
            // ends there.
            if (dT < 0.0 || !array.empty()) break;
            T_ += dT;
            continue;
        }
        par[0] = L.Xc;
        par[1] = L.Xv0;
        par[2] = L.zg;
        par[4] = sPrev;
        par[5] = L.w;
        int state = 0;
        double s1 = 0.0, s2 = 0.0;
        bool accepted = false;
        double s = 0.0;
        if (!searching) {
            auto [ok, sv] = startRule(sPrev);
            s = sv;
            bool failed = !ok;
            if (!failed && s < sPrev) {
                analyzeGasEquation(par, state, s1, s2);
                if (state == 2) {
                    failed = true;
                } else if (state == 1 && dT < 0.0) {
                    break;
                } else {
                    accepted = true;
                }
            } else if (!failed) {
                accepted = true;
            }
            if (failed) {
                analyzeGasEquation(par, state, s1, s2);
                // No dew point continues the branch: the isopleth's vapour
                // branch ends at its highest temperature (rows never step
                // back in T).
                if (dT > 0.0 && state != 1) break;
                T_ += dT;
                searching = true;
                continue;
            }
        } else {
            ++counter;
            analyzeGasEquation(par, state, s1, s2);
            if (state == 2) {
                auto [ok, sv] = startRule(s2);
                s = sv;
                if (!ok || s < sPrev) {
                    T_ += dT;
                    searching = false;
                } else {
                    accepted = true;
                }
            } else if (state == 1) {
                auto [ok, sv] = s1 >= 0.9 ? solveFrom(s1, s1 - 1e-5) : solveFrom(s1, s1 + 0.1);
                s = sv;
                if (ok && s >= sPrev) {
                    accepted = true;
                    counter = 0;
                } else {
                    T_ += dT;
                }
            } else {
                T_ += dT;
            }
            if (!accepted && counter > 30) break;
            if (!accepted) continue;
        }
        // Accepted point: pressure and density as in the dew point.
        double P_, rv;
        surfaceDewPoint(L, s, X_, P_, rv);
        array.insert(array.end(), {T_, P_, rv});
        sPrev = s;
        Tlast = T_;
        searching = false;
        T_ += dT;
    }
    // The closing row only where it continues the rows upwards in T.
    if (Tend > Tlast && Tend - Tlast < 50.0) array.insert(array.end(), {Tend, Pend, rhoEnd});
}

PalliserModel::SurfaceLaw PalliserModel::rowLaw(const SurfaceLaw& low, const SurfaceLaw& high, double s) {
    // The vapour end of the reduced pressure s: corrected at the pressure of s.
    SurfaceLaw L = low;
    patchVapourEnd(L, L.pressure(std::pow(s, 1.0 / L.power)));
    return L.Xv0 == high.Xv0 ? high : low;
}

bool PalliserModel::vapourEndRow(const SurfaceLaw& low, const SurfaceLaw& high, double X_, double sFrom, double& s) {
    // The residual of the vapour law at s, with the vapour end of s's own
    // pressure; roots are bracketed on a grid and bisected, a bracket only
    // where both of its ends take the same vapour end (the correction is a
    // step in the pressure).  The branch goes on with the root nearest to
    // sFrom, the previous row's.
    auto residual = [&](double t) { return X_ - rowLaw(low, high, t).vapourComposition(t); };
    constexpr int kGrid = 1000;
    s = std::nan("");
    double a = 0.0, fa = residual(a);
    for (int k = 1; k <= kGrid; ++k) {
        double b = double(k) / kGrid, fb = residual(b);
        const bool sameEnd = rowLaw(low, high, a).Xv0 == rowLaw(low, high, b).Xv0;
        if (sameEnd && (fa == 0.0 || (fa < 0.0) != (fb < 0.0))) {
            double lo = a, hi = b, flo = fa;
            for (int i = 0; i < 200 && hi - lo > 1e-16; ++i) {
                const double mid = 0.5 * (lo + hi), fm = residual(mid);
                if ((fm < 0.0) == (flo < 0.0)) {
                    lo = mid;
                    flo = fm;
                } else {
                    hi = mid;
                }
            }
            const double r = std::fabs(residual(lo)) <= std::fabs(residual(hi)) ? lo : hi;
            if (std::fabs(residual(r)) <= 1e-10 * X_ && !(std::fabs(r - sFrom) >= std::fabs(s - sFrom))) s = r;
        }
        a = b;
        fa = fb;
    }
    return std::isfinite(s);
}
