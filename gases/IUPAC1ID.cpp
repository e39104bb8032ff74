#include "gases/IUPAC1ID.h"
#include "fluid/ReducedVariable.h"

#include <cstdio>

namespace {
constexpr double kTc = 190.555;  // K
}

IUPAC1ID::IUPAC1ID()
{
    t2.tie1(t1);
    t3.tie2(t2, t1);
    t4.tie2(t3, t1);
    t5.tie2(t4, t1);
    D.build(t3, t4, t5);
    Sum* A = new Sum;
    A->number_of_terms(kIdealSlot + PlanckEinsteinNodes::kTerms);
    Expression* d[6] = {&D.D0, &D.D2, &D.D4, &D.D6, &D.D8, &D.D10};
    for (int k = 0; k < 6; ++k)
        A->tiei(k, *d[k]);
    ideal.link(*A, kIdealSlot);
    A->setName("A");
    root = A;
    t1.setName("t1");
    t2.setName("t2");
    t3.setName("t3");
    t4.setName("t4");
    t5.setName("t5");
    setModelName("IUPAC CH4 ideal");
}

IUPAC1ID::~IUPAC1ID()
{
    delete root;
    root = nullptr;
}

void IUPAC1ID::number_of_components(int n)
{
    sizeForComponents(n, 1, [this] {
        t1.flags[1] = 0;
        t1.flags[2] = 0;
        ideal.clearDependencies(3);
    });
}

void IUPAC1ID::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    const double s[6] = {s0, s1, s2, s3, s4, s5};
    for (int k = 0; k < 6; ++k)
        A->set_scalar(k, -s[k]);
    const bool withIdealGas = !fugacityPass;
    ideal.setWeights(*A, kIdealSlot, withIdealGas);
    A->set_scalar(kIdealSlot + PlanckEinsteinNodes::kTerms,
                  withIdealGas ? ideal.constant() : -IUPAC1::kFugacityConstant);
    setReducedVariable(t1, kTc, T, 0);
    ideal.load(T);
}
