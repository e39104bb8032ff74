#pragma once
// Independent closed-form evaluation of the IAPWS-95 reduced Helmholtz energy
// and its first and second derivatives, written term by term from the
// derivative table of the IAPWS Release (Table 5 of the 2014 revision). It is
// the test oracle of the expression trees of the reference water model.

#include "water/IAPWS95Coefficients.h"

#include <cmath>

namespace iapws95test {

// The release's gas constant, R = 0.46151805 kJ/(kg K), is 8.3143714 J/(mol K)
// with water's molar mass 18.015268 g/mol; the framework turns the reduced
// Helmholtz energy into pressures and energies with R = 8.31434 J/(mol K).
// At given T and density the release's pressures, energies, entropies and
// heat capacities (and squared sound speeds) are the library's times
// kGasConstantFactor = 1 + 3.77e-6; the reduced properties and the
// saturation densities are the same.
inline constexpr double kMolarMass = 0.018015268;                    // kg/mol
inline constexpr double kReleaseGasConstant = 461.51805;             // J/(kg K)
inline constexpr double kFrameworkGasConstant = 8.31434;             // J/(mol K)
inline constexpr double kGasConstantFactor = kReleaseGasConstant * kMolarMass / kFrameworkGasConstant;

// |value - printed| within half a unit of the last of the `digits`
// significant digits printed in the release's tables.
inline double halfUnit(double printed, int digits)
{
    return 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(printed))) - digits + 1);
}

struct Reduced {
    double f = 0, d = 0, dd = 0, t = 0, tt = 0, dt = 0;  // phi, phi_delta, ..., phi_delta_tau
};

inline Reduced residual(double delta, double tau)
{
    using namespace iapws95;
    Reduced r;
    for (int i = 0; i < 7; ++i) {
        const reference_terms::Term& k = kTerms[i];
        const double dd = k.d, tt = k.t, n = k.n;
        const double base = n * std::pow(delta, dd) * std::pow(tau, tt);
        r.f += base;
        r.d += base * dd / delta;
        r.dd += base * dd * (dd - 1) / (delta * delta);
        r.t += base * tt / tau;
        r.tt += base * tt * (tt - 1) / (tau * tau);
        r.dt += base * dd * tt / (delta * tau);
    }
    for (int i = 7; i < 51; ++i) {
        const reference_terms::Term& k = kTerms[i];
        const double dd = k.d, tt = k.t, n = k.n, c = k.c;
        const double dc = std::pow(delta, c);
        const double e = std::exp(-dc);
        const double base = n * std::pow(delta, dd) * std::pow(tau, tt) * e;
        const double g = dd - c * dc;
        r.f += base;
        r.d += base * g / delta;
        r.dd += base * (g * (dd - 1 - c * dc) - c * c * dc) / (delta * delta);
        r.t += base * tt / tau;
        r.tt += base * tt * (tt - 1) / (tau * tau);
        r.dt += base * tt * g / (tau * delta);
    }
    for (int k = 0; k < 3; ++k) {
        const reference_terms::Term& c = kTerms[51 + k];
        const double dd = c.d, tt = c.t, n = c.n;
        const double al = kTerms[51 + k].alpha, be = kTerms[51 + k].beta, ga = kTerms[51 + k].gamma, ep = kTerms[51 + k].eps;
        const double E = std::exp(-al * (delta - ep) * (delta - ep) - be * (tau - ga) * (tau - ga));
        const double base = n * std::pow(delta, dd) * std::pow(tau, tt) * E;
        const double gd = dd / delta - 2 * al * (delta - ep);
        const double gt = tt / tau - 2 * be * (tau - ga);
        r.f += base;
        r.d += base * gd;
        r.dd += n * std::pow(tau, tt) * E
                * (-2 * al * std::pow(delta, dd) + 4 * al * al * std::pow(delta, dd) * (delta - ep) * (delta - ep)
                   - 4 * dd * al * std::pow(delta, dd - 1) * (delta - ep)
                   + dd * (dd - 1) * std::pow(delta, dd - 2));
        r.t += base * gt;
        r.tt += base * (gt * gt - tt / (tau * tau) - 2 * be);
        r.dt += base * gd * gt;
    }
    for (int k = 0; k < 2; ++k) {
        const double n = nonAnalyticN[k];
        const double A = nonAnalyticA, B = nonAnalyticB, a = nonAnalyticSmallA, b = nonAnalyticSmallB[k];
        const double be = nonAnalyticBeta, C = nonAnalyticC[k], D = nonAnalyticD[k];
        const double dm = delta - 1, tm = tau - 1, dm2 = dm * dm;
        const double theta = (1 - tau) + A * std::pow(dm2, 1 / (2 * be));
        const double Delta = theta * theta + B * std::pow(dm2, a);
        const double psi = std::exp(-C * dm2 - D * tm * tm);
        const double psi_d = -2 * C * dm * psi;
        const double psi_dd = (2 * C * dm2 - 1) * 2 * C * psi;
        const double psi_t = -2 * D * tm * psi;
        const double psi_tt = (2 * D * tm * tm - 1) * 2 * D * psi;
        const double psi_dt = 4 * C * D * dm * tm * psi;
        const double q = std::pow(dm2, 1 / (2 * be) - 1);
        const double Delta_d = dm * (A * theta * 2 / be * q + 2 * B * a * std::pow(dm2, a - 1));
        // On the critical isochore the release's form is 0/0; its limit there is 0
        // (Delta = theta^2 + B |delta-1|^(2a), theta = 1 - tau + A |delta-1|^(1/beta)).
        const double Delta_dd = dm == 0 ? 0.0
                                : Delta_d / dm
                                + dm2 * (4 * B * a * (a - 1) * std::pow(dm2, a - 2)
                                         + 2 * A * A * (1 / be) * (1 / be) * q * q
                                         + A * theta * 4 / be * (1 / (2 * be) - 1) * std::pow(dm2, 1 / (2 * be) - 2));
        const double Db = std::pow(Delta, b);
        const double Db1 = std::pow(Delta, b - 1);
        const double Db2 = std::pow(Delta, b - 2);
        const double Db_d = b * Db1 * Delta_d;
        const double Db_dd = b * (Db1 * Delta_dd + (b - 1) * Db2 * Delta_d * Delta_d);
        const double Db_t = -2 * theta * b * Db1;
        const double Db_tt = 2 * b * Db1 + 4 * theta * theta * b * (b - 1) * Db2;
        const double Db_dt = -A * b * 2 / be * Db1 * dm * q - 2 * theta * b * (b - 1) * Db2 * Delta_d;
        r.f += n * Db * delta * psi;
        r.d += n * (Db * (psi + delta * psi_d) + Db_d * delta * psi);
        r.dd += n * (Db * (2 * psi_d + delta * psi_dd) + 2 * Db_d * (psi + delta * psi_d) + Db_dd * delta * psi);
        r.t += n * delta * (Db_t * psi + Db * psi_t);
        r.tt += n * delta * (Db_tt * psi + 2 * Db_t * psi_t + Db * psi_tt);
        r.dt += n * (Db * (psi_t + delta * psi_dt) + delta * Db_d * psi_t + Db_t * (psi + delta * psi_d)
                     + Db_dt * delta * psi);
    }
    return r;
}

inline Reduced ideal(double delta, double tau)
{
    using namespace iapws95;
    Reduced r;
    r.f = std::log(delta) + idealN1 + idealN2 * tau + idealN3 * std::log(tau);
    r.d = 1 / delta;
    r.dd = -1 / (delta * delta);
    r.t = idealN2 + idealN3 / tau;
    r.tt = -idealN3 / (tau * tau);
    for (int k = 0; k < 5; ++k) {
        const double e = std::exp(-idealGamma[k] * tau);
        r.f += idealN[k] * std::log(1 - e);
        r.t += idealN[k] * idealGamma[k] * (1 / (1 - e) - 1);
        r.tt -= idealN[k] * idealGamma[k] * idealGamma[k] * e / ((1 - e) * (1 - e));
    }
    return r;
}

// Properties in the formulation's own reduced form (independent of the gas constant).
struct Properties {
    double pOverRhoRT;  // p / (rho R T)
    double cvOverR;
    double w2OverRT;    // w^2 / (R T), R per unit mass
    double sOverR;
};

inline Properties properties(double T, double rho)
{
    const double delta = rho / iapws95::rhoc, tau = iapws95::Tc / T;
    const Reduced o = ideal(delta, tau), r = residual(delta, tau);
    Properties p;
    p.pOverRhoRT = 1 + delta * r.d;
    p.cvOverR = -tau * tau * (o.tt + r.tt);
    const double num = 1 + delta * r.d - delta * tau * r.dt;
    p.w2OverRT = 1 + 2 * delta * r.d + delta * delta * r.dd - num * num / (tau * tau * (o.tt + r.tt));
    p.sOverR = tau * (o.t + r.t) - o.f - r.f;
    return p;
}

// IAPWS-95 Release, Table 7: single-phase states (T K, rho kg/m3, p MPa,
// cv kJ/(kg K), w m/s, s kJ/(kg K)).
struct Table7Row {
    double T, rho, p, cv, w, s;
};
inline constexpr Table7Row kTable7[] = {
    {300, 996.5560, 0.992418352e-1, 4.13018112, 1501.51914, 0.393062643},
    {300, 1005.308, 20.0022515, 4.06798347, 1534.92501, 0.387405401},
    {300, 1188.202, 700.004704, 3.46135580, 2443.57992, 0.132609616},
    {500, 0.4350000, 0.999679423e-1, 1.50817541, 548.314253, 7.94488271},
    {500, 4.532000, 0.999938125, 1.66991025, 535.739001, 6.82502725},
    {500, 838.0250, 10.0003858, 3.22106219, 1271.28441, 2.56690919},
    {500, 1084.564, 700.000405, 3.07437693, 2412.00877, 2.03237509},
    {647, 358.0000, 22.0384756, 6.18315728, 252.145078, 4.32092307},
    {900, 0.2410000, 0.100062559, 1.75890657, 724.027147, 9.16653194},
    {900, 52.61500, 20.0000690, 1.93510526, 698.445674, 6.59070225},
    {900, 870.7690, 700.000006, 2.66422350, 2019.33608, 4.17223802},
};

}  // namespace iapws95test
