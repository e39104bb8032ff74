#pragma once
// A plain-loop IAPWS-95 (Wagner & Pruss, J. Phys. Chem. Ref. Data 31, 387
// (2002)) for the benchmarks' yardsticks: the 56 terms of the residual
// written as one loop, with the tau parts computed once per state and the
// delta powers shared, and the Newton iteration in V of the library's volume
// search (same start, same step, same stopping rule, same gas constant).
#include <cmath>

#include "fluid/FluidPhase.h"
#include "water/IAPWS95Coefficients.h"
#include "water/tests/Iapws95Direct.h"

namespace iapws95bench {

constexpr double kR = 8.31434;  // the framework's gas constant

// phi and its derivatives in delta and tau up to the second order.
using Phi = iapws95test::Reduced;

class Iapws95Loop {
public:
    // The tau parts of one state: n tau^t of the 51 power terms and the tau
    // factors n tau^t exp(-beta (tau - gamma)^2) of the three Gaussian terms,
    // with their first two tau derivatives.
    void setTau(double tau)
    {
        using namespace iapws95;
        tau_ = tau;
        const double it = 1.0 / tau;
        for (int i = 0; i < 51; ++i) {
            const double t = kTerms[i].t;
            const double g = kTerms[i].n * std::pow(tau, t);
            g_[i] = g;
            gt_[i] = g * t * it;
            gtt_[i] = g * t * (t - 1.0) * it * it;
        }
        for (int k = 0; k < 3; ++k) {
            const double t = kTerms[51 + k].t, tg = tau - kTerms[51 + k].gamma;
            const double q = kTerms[51 + k].n * std::pow(tau, t) * std::exp(-kTerms[51 + k].beta * tg * tg);
            const double k1 = t * it - 2.0 * kTerms[51 + k].beta * tg;
            q_[k] = q;
            qt_[k] = q * k1;
            qtt_[k] = q * (k1 * k1 - t * it * it - 2.0 * kTerms[51 + k].beta);
        }
    }

    // phi_r and its derivatives at delta, at the tau of setTau.  With
    // deltaOnly, the tau derivatives are left out (the volume search).
    Phi residual(double delta, bool deltaOnly) const
    {
        using namespace iapws95;
        Phi r;
        double dp[16];
        dp[0] = 1.0;
        for (int k = 1; k < 16; ++k)
            dp[k] = dp[k - 1] * delta;
        double E[7] = {1.0, std::exp(-dp[1]), std::exp(-dp[2]), std::exp(-dp[3]), std::exp(-dp[4]), 0.0,
                       std::exp(-dp[6])};
        const double id = 1.0 / delta, id2 = id * id;
        for (int i = 0; i < 51; ++i) {
            const int d = kTerms[i].d, c = kTerms[i].c;
            const double dc = c ? dp[c] : 0.0;
            const double f = dp[d] * E[c];
            const double k = d - c * dc;
            const double fd = f * k * id;
            const double fdd = f * (k * (k - 1.0) - c * c * dc) * id2;
            r.f += g_[i] * f;
            r.d += g_[i] * fd;
            r.dd += g_[i] * fdd;
            if (deltaOnly)
                continue;
            r.t += gt_[i] * f;
            r.tt += gtt_[i] * f;
            r.dt += gt_[i] * fd;
        }
        for (int k = 0; k < 3; ++k) {
            const double d = kTerms[51 + k].d, de = delta - kTerms[51 + k].eps;
            const double h = dp[3] * std::exp(-kTerms[51 + k].alpha * de * de);
            const double k1 = d * id - 2.0 * kTerms[51 + k].alpha * de;
            const double hd = h * k1, hdd = h * (k1 * k1 - d * id2 - 2.0 * kTerms[51 + k].alpha);
            r.f += q_[k] * h;
            r.d += q_[k] * hd;
            r.dd += q_[k] * hdd;
            if (deltaOnly)
                continue;
            r.t += qt_[k] * h;
            r.tt += qtt_[k] * h;
            r.dt += qt_[k] * hd;
        }
        nonAnalytic(delta, r, deltaOnly);
        return r;
    }

    // The ideal-gas part of the formulation.
    static Phi ideal(double delta, double tau) { return iapws95test::ideal(delta, tau); }

private:
    // Terms 55 and 56, n Delta^b delta psi (the derivative table of the IAPWS release).
    void nonAnalytic(double delta, Phi& r, bool deltaOnly) const
    {
        using namespace iapws95;
        const double A = nonAnalyticA, B = nonAnalyticB, a = nonAnalyticSmallA, be = nonAnalyticBeta;
        const double dm = delta - 1.0, tm = tau_ - 1.0, dm2 = dm * dm;
        const double q = std::pow(dm2, 1.0 / (2.0 * be) - 1.0);
        const double theta = (1.0 - tau_) + A * q * dm2;
        const double pa = std::pow(dm2, a - 1.0);
        const double Delta = theta * theta + B * pa * dm2;
        const double Delta_d = dm * (A * theta * 2.0 / be * q + 2.0 * B * a * pa);
        const double Delta_dd = Delta_d / dm + dm2 * (4.0 * B * a * (a - 1.0) * pa / dm2 +
                                                      2.0 * A * A / (be * be) * q * q +
                                                      A * theta * 4.0 / be * (0.5 / be - 1.0) * q / dm2);
        for (int k = 0; k < 2; ++k) {
            const double n = nonAnalyticN[k], b = nonAnalyticSmallB[k];
            const double C = nonAnalyticC[k], D = nonAnalyticD[k];
            const double psi = std::exp(-C * dm2 - D * tm * tm);
            const double psi_d = -2.0 * C * dm * psi;
            const double psi_dd = (2.0 * C * dm2 - 1.0) * 2.0 * C * psi;
            const double Db1 = std::pow(Delta, b - 1.0);
            const double Db = Db1 * Delta, Db2 = Db1 / Delta;
            const double Db_d = b * Db1 * Delta_d;
            const double Db_dd = b * (Db1 * Delta_dd + (b - 1.0) * Db2 * Delta_d * Delta_d);
            r.f += n * Db * delta * psi;
            r.d += n * (Db * (psi + delta * psi_d) + Db_d * delta * psi);
            r.dd += n * (Db * (2.0 * psi_d + delta * psi_dd) + 2.0 * Db_d * (psi + delta * psi_d) +
                         Db_dd * delta * psi);
            if (deltaOnly)
                continue;
            const double psi_t = -2.0 * D * tm * psi;
            const double psi_tt = (2.0 * D * tm * tm - 1.0) * 2.0 * D * psi;
            const double psi_dt = 4.0 * C * D * dm * tm * psi;
            const double Db_t = -2.0 * theta * b * Db1;
            const double Db_tt = 2.0 * b * Db1 + 4.0 * theta * theta * b * (b - 1.0) * Db2;
            const double Db_dt = -A * b * 2.0 / be * Db1 * dm * q - 2.0 * theta * b * (b - 1.0) * Db2 * Delta_d;
            r.t += n * delta * (Db_t * psi + Db * psi_t);
            r.tt += n * delta * (Db_tt * psi + 2.0 * Db_t * psi_t + Db * psi_tt);
            r.dt += n * (Db * (psi_t + delta * psi_dt) + delta * Db_d * psi_t + Db_t * (psi + delta * psi_d) +
                         Db_dt * delta * psi);
        }
    }

    double tau_ = 1.0;
    double g_[51], gt_[51], gtt_[51];
    double q_[3], qt_[3], qtt_[3];
};

// The three paths through the loop, in the framework's molar units and gas constant.
struct LoopPaths {
    Iapws95Loop loop;
    static constexpr double kTc = iapws95::Tc, kVc = iapws95::Vc, kM = iapws95::molarMass;

    double pressure(double T, double V)
    {
        loop.setTau(kTc / T);
        const double delta = kVc / V;
        const Phi r = loop.residual(delta, true);
        return kR * T / V * (1.0 + delta * r.d);
    }
    double state(double T, double V)
    {
        const double tau = kTc / T, delta = kVc / V;
        loop.setTau(tau);
        const Phi r = loop.residual(delta, false);
        const Phi o = Iapws95Loop::ideal(delta, tau);
        const double RT = kR * T;
        const double P = RT / V * (1.0 + delta * r.d);
        const double H = RT * (1.0 + tau * (o.t + r.t) + delta * r.d);
        const double S = kR * (tau * (o.t + r.t) - o.f - r.f);
        const double cv = -kR * tau * tau * (o.tt + r.tt);
        const double num = 1.0 + delta * r.d - delta * tau * r.dt;
        const double den = 1.0 + 2.0 * delta * r.d + delta * delta * r.dd;
        const double Cp = cv + kR * num * num / den;
        const double w = std::sqrt(RT / kM * (den - num * num / (tau * tau * (o.tt + r.tt))));
        return P + H + S + Cp + w;
    }
    // Newton in V on R T Z / V - P, step for step the library's search: the
    // same start, the step halved while a trial volume is outside [1e-7, 1e6]
    // m3/mol or mechanically unstable, and the same stopping rules
    // |V1 - V0| < 1e-15 max(1, |V0|), or a next step that rounds back to V1,
    // tested after the evaluation at V1.
    double volume(double T, double Pbar, double start, int* evaluations = nullptr)
    {
        loop.setTau(kTc / T);
        const double P = Pbar * 1e5;
        int count = 0;
        auto eval = [&](double V, double& f, double& df) {
            ++count;
            if (!(V >= 1e-7 && V <= 1e6))
                return false;
            const double delta = kVc / V;
            const Phi r = loop.residual(delta, true);
            const double Z = 1.0 + delta * r.d;
            const double dZdV = -(delta * r.d + delta * delta * r.dd) / V;
            f = kR * T * Z / V - P;
            df = kR * T * (dZdV / V - Z / (V * V));
            return df <= 0.0;
        };
        double V0 = start, f0 = 0.0, df0 = 0.0;
        if (!eval(V0, f0, df0))
            return std::nan("");
        double V1 = V0, f1 = f0, df1 = df0;
        for (int iter = 1; iter <= 101; ++iter) {
            double rho = 1.0;
            bool ok = false;
            do {
                V1 = V0 - rho * f0 / df0;
                ok = eval(V1, f1, df1);
                rho /= 2.0;
            } while (!ok && rho > 0.001);
            if (std::fabs(V1 - V0) < 1e-15 * std::fmax(1.0, std::fabs(V0)) || !ok)
                break;
            if (V1 - f1 / df1 == V1)
                break;  // the next step would land on V1 again
            V0 = V1, f0 = f1, df0 = df1;
        }
        if (evaluations)
            *evaluations = count;
        // The pressure found must be the one asked for, as the library's
        // search accepts it (a relative 1e-9, or in a stiff liquid the
        // change a relative 1e-12 of the volume makes).
        if (!FluidPhase::reproducesPressure(f1 + P, P, V1 * df1))
            return std::nan("");
        return V1;
    }
};


}  // namespace iapws95bench
