#include "gases/IUPACIdeal.h"

#include <cmath>

#include "expressions/Sum.h"
#include "fluid/ReducedVariable.h"

IUPACIdeal::IUPACIdeal(const IdealGasForm& form, const double (&minusLimit)[7], double Tc, double offset,
                       double constant, double fugacityConstant)
    : ideal(form), reducingT(Tc), reducedOffset(offset), constant_(constant), fugacityConstant_(fugacityConstant)
{
    for (int j = 0; j < 7; ++j)
        polynomial_[j] = minusLimit[j];
    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(kConstantSlot);
    A->tiei(kZeroDensitySlot, zeroDensity);
    A->tiei(kIdealSlot, ideal.leaf);
    root = A;
    zeroDensity.setName("zeroDensity");
}

IUPACIdeal::~IUPACIdeal()
{
    delete root;
    root = nullptr;
}

void IUPACIdeal::number_of_components(int n)
{
    sizeForComponents(n, 1, [this] {
        zeroDensity.flags[1] = 0;
        zeroDensity.flags[2] = 0;
        ideal.clearDependencies(3);
    });
}

void IUPACIdeal::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    const bool withIdealGas = !fugacityPass;
    A->set_scalar(kZeroDensitySlot, 1.0);
    A->set_scalar(kIdealSlot, withIdealGas ? 1.0 : 0.0);
    A->set_scalar(kConstantSlot, withIdealGas ? constant_ - std::log(ideal.form.rhoc) : fugacityConstant_);
    if (T != atT_) {
        // The polynomial in y by Horner's rule with its Taylor coefficients
        // P^(k)/k!, then its derivatives in y (those in tau) and in T.  Its
        // y^0 coefficient is zero: that constant is the root's.
        const double y = reducingT / T + reducedOffset;
        univariate::Jet<4> p;
        for (int j = 6; j >= 0; --j) {
            for (int k = 4; k >= 1; --k)
                p.f[k] = p.f[k] * y + p.f[k - 1];
            p.f[0] = p.f[0] * y + (j > 0 ? polynomial_[j] : 0.0);
        }
        p.f[2] *= 2.0;
        p.f[3] *= 6.0;
        p.f[4] *= 24.0;
        double tv[5];
        reducedVariable(reducingT, T, tv);
        zero_ = univariate::compose(p, tv);
        atT_ = T;
    }
    leafjet::load<4>(zeroDensity, 0, zero_);
    ideal.load(T);
}

bool IUPACIdeal::fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const
{
    f = fugacityConstant_ + zeroDensity.value;
    fT = zeroDensity.d1[0];
    fTT = zeroDensity.D2[Expression::off2(0, 0)];
    m = 0.0;
    return true;
}
