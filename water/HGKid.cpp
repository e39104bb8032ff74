#include "water/HGKid.h"

#include <cmath>

#include "water/LeafDerivatives.h"

namespace {

// C_1 .. C_18 of the ideal-gas function, tau = T / 100 K.
constexpr double kC[18] = {19.730271018,      20.9662681977,      -0.483429455355,  6.05743189245,
                           22.56023885,       -9.87532442,        -4.3135538513,    0.458155781,
                           -0.047754901883,   0.0041238460633,    -0.00027929052852, 1.4481695261e-5,
                           -5.6473658748e-7,  1.6200446e-8,       -3.303822796e-10, 4.51916067368e-12,
                           -3.70734122708e-14, 1.37546068238e-16};
constexpr double kFactor = -1.0000532256309838;
constexpr double kOffset = 7.6180802;
constexpr double kInverseT = 4328.455039;
// 91/6 - ln 1e6: with the base's ln(R T/(p0 V)) + 91/6 at zero density this
// leaves exactly -ln V (V in m3/mol) for the ideal gas in the fugacity pass.
const double kFugacityConstant = 15.166666666666666 - std::log(1e6);

// ln(R T / p0), T in K, R = 0.4615 J/(g K) times 18.015268 g/mol, p0 = 0.101325 MPa.
inline double logRTP0(double T) { return std::log(0.4615 * T * 18.015268 / 0.101325); }

// The fugacity pass's function of T: with the base's ln(R T/(p0 V)) + 91/6
// it leaves -ln V.
inline double passValue(double T) { return 15.166666666666666 - logRTP0(T) - kFugacityConstant; }

}  // namespace

bool HGKid::fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const
{
    f = passValue(T);
    fT = -1.0 / T;
    fTT = 1.0 / (T * T);
    m = 0.0;
    return true;
}

void HGKid::calculate_fixed_parameters()
{
    using namespace waterleaf;
    if (fugacityPass) {
        Jet j;
        j.f[0] = passValue(T);
        j.f[1] = -1.0 / T;
        j.f[2] = 1.0 / (T * T);
        j.f[3] = -2.0 / (T * T * T);
        j.f[4] = 6.0 / (T * T * T * T);
        load(*A_, 0, j);
        return;
    }
    const double tau = T / 100.0;
    // phi0(tau) = 1 + (C1/tau + C2) ln tau + sum_{i=3..18} C_i tau^(i-6)
    Jet phi;
    phi.f[0] = 1.0;
    phi += powerLog(kC[0], tau, -1.0);
    phi += logarithm(kC[1], tau);
    for (int i = 3; i <= 18; ++i)
        phi += power(kC[i - 1], tau, i - 6);
    Jet a = scaled(phi, 0.01);  // d tau / dT
    a.f[0] -= kOffset;
    a += power(-kInverseT, T, -1.0);
    a *= kFactor;
    load(*A_, 0, a);
}

void HGKIdealGas::calculate_fixed_parameters()
{
    using namespace waterleaf;
    if (fugacityPass) {
        load(*A_, 0, Jet{});
        return;
    }
    HGKid::calculate_fixed_parameters();
    Jet g = logarithm(1.0, T);
    g.f[0] = logRTP0(T) - std::log(1e6);
    A_->value += g.f[0];
    A_->d1[0] += g.f[1];
    A_->d2[0][0] += g.f[2];
    A_->d3[0][0][0] += g.f[3];
    A_->d4[0][0][0][0] += g.f[4];
}
