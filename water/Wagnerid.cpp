#include "water/Wagnerid.h"

#include <string>

#include "water/IAPWS95Coefficients.h"
#include "fluid/ReducedVariable.h"

namespace {

constexpr int kTerms = 8;
constexpr double kTc = iapws95::Tc;
constexpr double kVc = iapws95::Vc;
constexpr double kMinusLnVc = 9.791087203945331;  // -ln(Vc / (m3/mol))

}  // namespace

Wagnerid::Wagnerid()
{
    leavesDependOnlyOn({{&tau, 0}, {&a0, 1}});
    setModelName("WagnerIdeal");

    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(kTerms);
    A->tiei(0, a0);
    A->tiei(1, a1);
    A->tiei(2, a2);
    for (int k = 0; k < 5; ++k)
        A->tiei(3 + k, ak[k]);
    for (int i = 0; i < kTerms; ++i)
        A->set_scalar(i, 1.0);
    A->set_scalar(kTerms, 0.0);
    root = A;

    tau.setName("tau");
    a0.setName("a0");
    a1.setName("a1");
    a1.tie1(tau);
    a1.set_scalars2(iapws95::idealN2, iapws95::idealN1);
    a2.setName("a2");
    a2.tie1(tau);
    a2.set_scalars3(iapws95::idealN3, 0.0, 0.0);
    for (int k = 0; k < 5; ++k) {
        e[k].setName(("e" + std::to_string(k + 3)).c_str());
        e[k].tie1(tau);
        e[k].set_scalars3(0.0, -1.0, -iapws95::idealGamma[k]);
        ak[k].setName(("a" + std::to_string(k + 3)).c_str());
        ak[k].tie1(e[k]);
        ak[k].set_scalars3(iapws95::idealN[k], 1.0, 0.0);
    }
}

void Wagnerid::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    if (fugacityPass) {
        A->set_scalar(0, 1.0);
        for (int i = 1; i < kTerms; ++i)
            A->set_scalar(i, 0.0);
        A->set_scalar(kTerms, kMinusLnVc);
    } else {
        for (int i = 0; i < kTerms; ++i)
            A->set_scalar(i, 1.0);
        A->set_scalar(kTerms, 0.0);
    }
    setReducedVariable(tau, kTc, T, 0);
}

void Wagnerid::calculate_volume_dependent_parameters()
{
    setLogReducedVariable(a0, kVc, V, 1);
}
