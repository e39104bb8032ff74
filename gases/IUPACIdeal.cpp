#include "gases/IUPACIdeal.h"

#include <cmath>

#include "expressions/Sum.h"
#include "fluid/ReducedVariable.h"

IUPACIdeal::IUPACIdeal(const IdealGasForm& form, const double (&minusLimit)[7], double Tc, double offset,
                       double constant, double fugacityConstant)
    : ideal(form), reducingT(Tc), reducedOffset(offset), idealConstant_(constant - std::log(form.rhoc)),
      fugacityConstant_(fugacityConstant)
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
    A->set_scalar(kConstantSlot, withIdealGas ? idealConstant_ : fugacityConstant_);
    zeroDensityAt(2);
    leafjet::load<2>(zeroDensity, 0, univariate::Jet<2>{{zero_.f[0], zero_.f[1], zero_.f[2]}});
    ideal.load(T);
}

void IUPACIdeal::calculate_high_order_parameters()
{
    zeroDensityAt(4);
    leafjet::load<4>(zeroDensity, 0, zero_, 3);
    ideal.load(T, true);
}

void IUPACIdeal::zeroDensityAt(int order)
{
    if (T != atT_) {
        atT_ = T;
        order_ = 0;
    }
    if (order_ >= order) return;
    // The polynomial in y by Horner's rule with its Taylor coefficients
    // P^(k)/k! (independent chains in registers), then its derivatives in
    // y (those in tau) and in T.  Its y^0 coefficient is zero: that
    // constant is the root's.  The first three are the same numbers to
    // either order.
    const double y = reducingT / T + reducedOffset;
    // (from its y^6 coefficient: the first step from zero gives it exactly,
    // y being finite for T > 0)
    double p0 = polynomial_[6], p1 = 0.0, p2 = 0.0, p3 = 0.0, p4 = 0.0;
    for (int j = 5; j >= 0; --j) {
        if (order == 4) {
            p4 = p4 * y + p3;
            p3 = p3 * y + p2;
        }
        p2 = p2 * y + p1;
        p1 = p1 * y + p0;
        p0 = p0 * y + (j > 0 ? polynomial_[j] : 0.0);
    }
    double tv[5];
    if (order == 4) {
        reducedVariable<4>(reducingT, T, tv);
        const univariate::Jet<4> p{{p0, p1, 2.0 * p2, 6.0 * p3, 24.0 * p4}};
        zero_ = univariate::compose(p, tv);
    } else {
        reducedVariable<2>(reducingT, T, tv);
        const univariate::Jet<2> p{{p0, p1, 2.0 * p2}};
        const univariate::Jet<2> z = univariate::compose(p, tv);
        for (int k = 0; k <= 2; ++k)
            zero_.f[k] = z.f[k];
    }
    order_ = order;
}

bool IUPACIdeal::fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const
{
    f = fugacityConstant_ + zeroDensity.value;
    fT = zeroDensity.d1[0];
    fTT = zeroDensity.D2[Expression::off2(0, 0)];
    m = 0.0;
    return true;
}
