#include "water/Saulid.h"

#include <cmath>

#include "water/LeafDerivatives.h"

namespace {

constexpr double kVc = 5.594826086956522e-05;  // m3/mol, the critical volume of Saul58
constexpr double kGamma[5] = {1.287202151, 3.537101709, 7.740210774, 9.243749421, 27.5056402};
constexpr double kWeights[7] = {6.681816, 3.00632, 0.012436, 0.97315, 1.2795, 0.96956, 0.24873};

}  // namespace

Saulid::Saulid()
{
    leavesDependOnlyOn({{&tau, 0}});
    setModelName("Saulid");
    Sum* A = new Sum;
    root = A;
    A->number_of_terms(7);
    A->tiei(0, tau);
    A->tiei(1, lntau);
    for (int i = 0; i < 5; ++i)
        A->tiei(2 + i, lnE[i]);
    setWeights(false);
    lntau.tie1(tau);
    lntau.set_scalars3(1.0, 0.0, 0.0);
    for (int i = 0; i < 5; ++i) {
        E[i].tie1(tau);
        E[i].set_scalars3(1.0, -1.0, -kGamma[i]);
        lnE[i].tie1(E[i]);
        lnE[i].set_scalars3(1.0, 0.0, 0.0);
    }
    setDebugLink();
}

void Saulid::setWeights(bool zero)
{
    Sum* A = static_cast<Sum*>(root);
    for (int i = 0; i < 7; ++i)
        A->set_scalar(i, zero ? 0.0 : kWeights[i]);
    A->set_scalar(7, zero ? 0.0 : std::log(kVc) - 8.318441);
}

void Saulid::calculate_fixed_parameters()
{
    // In the fugacity pass all weights are 0; tau keeps its value, so that the
    // logarithms stay defined and the engine reports no domain error.
    setWeights(fugacityPass != 0);
    waterleaf::load(tau, 0, waterleaf::power(Tc, T, -1.0));
}
