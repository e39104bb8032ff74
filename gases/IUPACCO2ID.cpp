#include "gases/IUPACCO2ID.h"
#include "fluid/ReducedVariable.h"

#include <cstdio>
#include <string>

namespace {
constexpr double kTc = 304.2;  // K
}

IUPACCO2ID::IUPACCO2ID()
{
    Y1.setName("Y1");
    Y2.setName("Y2");
    Y2.tie1(Y1);
    Expression* previous = &Y2;
    for (int k = 0; k < 4; ++k) {
        Yk[k].setName(("Y" + std::to_string(k + 3)).c_str());
        Yk[k].tie2(*previous, Y1);
        previous = &Yk[k];
    }
    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(kIdealSlot + PlanckEinsteinNodes::kTerms);
    A->tiei(0, Y1);
    A->tiei(1, Y2);
    for (int k = 0; k < 4; ++k)
        A->tiei(2 + k, Yk[k]);
    ideal.link(*A, kIdealSlot);
    root = A;
    setModelName("IUPAC CO2 ideal");
}

IUPACCO2ID::~IUPACCO2ID()
{
    delete root;
    root = nullptr;
}

void IUPACCO2ID::number_of_components(int n)
{
    sizeForComponents(n, 1, [this] {
        Y1.flags[1] = 0;
        Y1.flags[2] = 0;
        ideal.clearDependencies(3);
    });
}

void IUPACCO2ID::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    const double c[6] = {c1, c2, c3, c4, c5, c6};
    for (int k = 0; k < 6; ++k)
        A->set_scalar(k, -c[k]);
    const bool withIdealGas = !fugacityPass;
    ideal.setWeights(*A, kIdealSlot, withIdealGas);
    A->set_scalar(kIdealSlot + PlanckEinsteinNodes::kTerms, withIdealGas ? ideal.constant() - c0 : -c0);
    setReducedVariable(Y1, kTc, T, 0, -1.0);
    ideal.load(T);
}
