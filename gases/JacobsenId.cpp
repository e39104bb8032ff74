#include "gases/JacobsenId.h"
#include "fluid/ReducedVariable.h"

#include <cmath>

JacobsenId::JacobsenId()
{
    E.tie1(tau);
    E.set_scalars3(1.0, -1.0, -26.657);
    lnE.tie1(E);
    lnE.set_scalars3(1.0, 0.0, 0.0);
    Sum* A = new Sum;
    A->number_of_terms(7);
    A->tie_(&lndelta, &lntau, &tau, &mtau, &mtau2, &mtau3, &lnE);
    A->set_scalars_(kWeights[0], kWeights[1], kWeights[2], kWeights[3], kWeights[4], kWeights[5], kWeights[6],
                    kWeights[7]);
    A->setName("A");
    root = A;
    lndelta.setName("lndelta");
    lntau.setName("lntau");
    tau.setName("tau");
    mtau.setName("mtau");
    mtau2.setName("mtau2");
    mtau3.setName("mtau3");
    E.setName("E");
    lnE.setName("lnE");
    setModelName("Jacobsen N2 ideal");
}

JacobsenId::~JacobsenId()
{
    delete root;
    root = nullptr;
}

void JacobsenId::number_of_components(int n)
{
    sizeForComponents(n, 0, [this, n] {
        for (Leaf* l : {&tau, &lntau, &mtau, &mtau2, &mtau3})
            for (int i = 1; i < n + 2; ++i)
                l->flags[i] = 0;
        lndelta.flags[0] = 0;
        for (int i = 2; i < n + 2; ++i)
            lndelta.flags[i] = 0;
    });
}

void JacobsenId::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    if (fugacityPass)
        A->set_scalars_(1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, lnRhoc_);
    else
        A->set_scalars_(kWeights[0], kWeights[1], kWeights[2], kWeights[3], kWeights[4], kWeights[5], kWeights[6],
                        kWeights[7]);
    const double Tc2 = kTc * kTc, Tc3 = Tc2 * kTc;
    const double T2 = T * T;
    setReducedVariable(tau, kTc, T, 0);
    setLogReducedVariable(lntau, kTc, T, 0);
    mtau.value = T / kTc;
    mtau.d1[0] = 1.0 / kTc;
    mtau2.value = T2 / Tc2;
    mtau2.d1[0] = 2.0 * T / Tc2;
    mtau2.d2[0][0] = 2.0 / Tc2;
    mtau3.value = T2 * T / Tc3;
    mtau3.d1[0] = 3.0 * T2 / Tc3;
    mtau3.d2[0][0] = 6.0 * T / Tc3;
    mtau3.d3[0][0][0] = 6.0 / Tc3;
}

void JacobsenId::calculate_volume_dependent_parameters()
{
    const double V2 = V * V;
    lndelta.value = -std::log(kRhoc * V);
    lndelta.d1[1] = -1.0 / V;
    lndelta.d2[1][1] = 1.0 / V2;
    lndelta.d3[1][1][1] = -2.0 / (V2 * V);
    lndelta.d4[1][1][1][1] = 6.0 / (V2 * V2);
}
