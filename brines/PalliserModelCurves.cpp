// Curves of PalliserModel: the ice-melting isotherm of NaCl-KCl solutions and
// the vapour branch of an isopleth, traced by following the reduced pressure
// of the dew point from temperature to temperature.
#include <cmath>

#include "brines/PalliserModel.h"
#include "numerics/Secant.h"

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
    double sPrev = 0.0, dT = 1.0, T_ = T0, Tlast = T0, Prow = 0.0;
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
            // Past the critical point of NaCl: the rows end on NaCl's boiling curve.
            T_ = 3128.5;
            break;
        }
        // The vapour end patched against the previous row's pressure, as in
        // the dew point.
        dewVapourEnd(L, Prow);
        if (!(L.w > 0.0)) {
            double s, P_, rv;
            if (solveDewReducedPressure(L, X_, 0.5, s)) {
                surfaceDewPoint(L, s, X_, P_, rv);
                array.insert(array.end(), {T_, P_, rv});
                Prow = P_;
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
                if (dT > 0.0 && state != 1) {
                    dT = -1.0;
                    T_ = Tlast;
                } else {
                    T_ += dT;
                }
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
        Prow = P_;
        sPrev = s;
        Tlast = T_;
        searching = false;
        T_ += dT;
    }
    if (T_ > 3128.0) {
        for (double t = 3127.0; t > 800.0; t -= 2.0) {
            double p, rl, rv;
            calculateNaClSaturationPoint(t, p, rl, rv);
            array.insert(array.end(), {t, p, rv});
        }
    }
    if (std::fabs(Tlast - Tend) < 50.0) array.insert(array.end(), {Tend, Pend, rhoEnd});
}
