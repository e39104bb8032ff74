#include "water/Hillid.h"

#include <cmath>

#include "water/LeafDerivatives.h"

namespace {

constexpr double kTheta = 647.067;               // K
constexpr double kOmega = 0.018015268 / 322.778;  // m3/mol
const double kPassConstant = -std::log(kOmega);

}  // namespace

bool Hillid::fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const
{
    return constantFugacityPass(kPassConstant, 0.0, f, fT, fTT, m);
}

void Hillid::calculate_fixed_parameters()
{
    using namespace waterleaf;
    if (fugacityPass) {
        Jet j;
        j.f[0] = kPassConstant;
        load(*A_, 0, j);
        return;
    }
    const double th = kTheta, lnth = std::log(th);
    // tau = theta T^-1, u^k = theta^-k T^k, ln tau = ln theta - ln T.
    Jet a = power(7.07501275112 * th, T, -1.0);
    a.f[0] -= 8.34240569963;
    a += power(-0.36460138 / th, T, 1.0);
    a += power(-0.036897043 / (th * th), T, 2.0);
    a += power(0.003033815 / (th * th * th), T, 3.0);
    a += power(0.000390109 / (th * th * th * th), T, 4.0);
    a.f[0] += 2.4131785 * lnth;
    a += logarithm(-2.4131785, T);
    a += power(-0.11359287 * th * lnth, T, -1.0);
    a += powerLog(0.11359287 * th, T, -1.0);
    load(*A_, 0, a);
}
