#include "gases/IUPACIdeal.h"

#include <cmath>

#include "fluid/ReducedVariable.h"

IUPACIdeal::IUPACIdeal(const IdealGasForm& form, Leaf& leaf, double Tc, double offset)
    : ideal(form), reduced(leaf), reducingT(Tc), reducedOffset(offset)
{
}

Sum* IUPACIdeal::makeRoot(Expression* const (&nodes)[6])
{
    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(kConstantSlot);
    for (int k = 0; k < 6; ++k) {
        A->tiei(k, *nodes[k]);
        nodes_[k] = nodes[k];
    }
    A->tiei(kIdealSlot, ideal.leaf);
    return A;
}

void IUPACIdeal::number_of_components(int n)
{
    sizeForComponents(n, 1, [this] {
        reduced.flags[1] = 0;
        reduced.flags[2] = 0;
        ideal.clearDependencies(3);
    });
}

void IUPACIdeal::loadPass(const double (&w)[6], double offset, double fugacityConstant)
{
    Sum* A = static_cast<Sum*>(root);
    for (int k = 0; k < 6; ++k) {
        A->set_scalar(k, -w[k]);
        weights_[k] = -w[k];
    }
    fugacityConstant_ = fugacityConstant;
    const bool withIdealGas = !fugacityPass;
    A->set_scalar(kIdealSlot, withIdealGas ? 1.0 : 0.0);
    A->set_scalar(kConstantSlot, withIdealGas ? offset - std::log(ideal.form.rhoc) : fugacityConstant);
    setReducedVariable(reduced, reducingT, T, 0, reducedOffset);
    ideal.load(T);
}

bool IUPACIdeal::fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const
{
    if (!nodes_[5]) return false;  // (makeRoot sets all six)
    f = fugacityConstant_;
    fT = fTT = m = 0.0;
    for (int k = 0; k < 6; ++k) {
        const Expression& node = *nodes_[k];
        f += weights_[k] * node.value;
        fT += weights_[k] * node.d1[0];
        fTT += weights_[k] * node.D2[0];  // d2[0][0]
    }
    return true;
}
