#pragma once
// The explicit industrial formulation of water, regions 1 (the liquid) and 2
// (the vapour), as a yardstick of cost for the (T, P) search of IAPWS-95:
// IAPWS-IF97 (Wagner et al., J. Eng. Gas Turbines Power 122, 150 (2000);
// IAPWS R7-97(2012)): the volumes of water/If97Volume.h, and here the whole
// specific Gibbs energy g(p, T) of each region (its ideal-gas part from
// Table 10) with every derivative to the second order, for the release's
// verification values.  Not part of the library: the benchmarks check
// against it only.
#include <cmath>

#include "water/If97Volume.h"

namespace if97 {

// Gamma and its derivatives in pi and tau (dimensionless).
struct Gibbs {
    double g = 0.0, gp = 0.0, gt = 0.0, gpp = 0.0, gtt = 0.0, gpt = 0.0;
};

// Region 2, ideal-gas part: gamma0 = ln pi + sum n tau^J, pi = p / 1 MPa,
// tau = 540 K / T (Table 10).
inline constexpr ITerm kRegion2Ideal[9] = {
    {0, 0, -0.96927686500217e1},  {0, 1, 0.10086655968018e2},  {0, -5, -0.56087911283020e-2},
    {0, -4, 0.71452738081455e-1}, {0, -3, -0.40710498223928},  {0, -2, 0.14240819171444e1},
    {0, -1, -0.43839511319450e1}, {0, 2, -0.28408632460772},   {0, 3, 0.21268463753307e-1},
};

// gamma of region 1 with every derivative to the second order.
inline Gibbs region1(double p_MPa, double T)
{
    const double pi = p_MPa / 16.53, tau = 1386.0 / T;
    const Powers<-2, 32> a(7.1 - pi);
    const Powers<-43, 17> b(tau - 1.222);
    Gibbs r;
    for (const ITerm& t : kRegion1) {
        r.g += t.n * a(t.I) * b(t.J);
        r.gp -= t.n * t.I * a(t.I - 1) * b(t.J);
        r.gpp += t.n * t.I * (t.I - 1) * a(t.I - 2) * b(t.J);
        r.gt += t.n * a(t.I) * t.J * b(t.J - 1);
        r.gtt += t.n * a(t.I) * t.J * (t.J - 1) * b(t.J - 2);
        r.gpt -= t.n * t.I * a(t.I - 1) * t.J * b(t.J - 1);
    }
    return r;
}

// gamma of region 2 (ideal-gas and residual parts) with every derivative to
// the second order.
inline Gibbs region2(double p_MPa, double T)
{
    const double pi = p_MPa, tau = 540.0 / T;
    Gibbs r;
    r.g = std::log(pi);
    r.gp = 1.0 / pi;
    r.gpp = -1.0 / (pi * pi);
    for (const ITerm& t : kRegion2Ideal) {
        r.g += t.n * std::pow(tau, t.J);
        r.gt += t.n * t.J * std::pow(tau, t.J - 1);
        r.gtt += t.n * t.J * (t.J - 1) * std::pow(tau, t.J - 2);
    }
    const Powers<-2, 24> a(pi);
    const Powers<-2, 58> b(tau - 0.5);
    for (const ITerm& t : kRegion2Residual) {
        r.g += t.n * a(t.I) * b(t.J);
        r.gp += t.n * t.I * a(t.I - 1) * b(t.J);
        r.gpp += t.n * t.I * (t.I - 1) * a(t.I - 2) * b(t.J);
        r.gt += t.n * a(t.I) * t.J * b(t.J - 1);
        r.gtt += t.n * a(t.I) * t.J * (t.J - 1) * b(t.J - 2);
        r.gpt += t.n * t.I * a(t.I - 1) * t.J * b(t.J - 1);
    }
    return r;
}

// The specific properties of a region from its gamma (IAPWS R7-97 Tables 3
// and 12): v in m3/kg, h, u in kJ/kg, s, cp in kJ/(kg K), w in m/s.
struct Properties {
    double v, h, u, s, cp, w;
};

inline Properties properties(const Gibbs& g, double pi, double tau, double p_MPa, double T)
{
    Properties r;
    r.v = kR * T / (p_MPa * 1e3) * pi * g.gp;
    r.h = kR * T * tau * g.gt;
    r.u = kR * T * (tau * g.gt - pi * g.gp);
    r.s = kR * (tau * g.gt - g.g);
    r.cp = -kR * tau * tau * g.gtt;
    const double a = g.gp - tau * g.gpt;
    r.w = std::sqrt(kR * 1e3 * T * g.gp * g.gp / (a * a / (tau * tau * g.gtt) - g.gpp));
    return r;
}

inline Properties region1Properties(double p_MPa, double T)
{
    return properties(region1(p_MPa, T), p_MPa / 16.53, 1386.0 / T, p_MPa, T);
}

inline Properties region2Properties(double p_MPa, double T)
{
    return properties(region2(p_MPa, T), p_MPa, 540.0 / T, p_MPa, T);
}

}  // namespace if97
