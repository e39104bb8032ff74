#include "water/HGKbase.h"

#include <cmath>

#include "water/LeafDerivatives.h"

using waterleaf::link;

namespace {

constexpr double kMolarMassOver1e6 = 1.8015268e-5;  // g/mol / 1e6: rho (g/cm3) = this / V (m3/mol)

}  // namespace

HGKbase::HGKbase() : WaterResidualTerm(1)
{
    leavesDependOnlyOn({{&r, 1}, {&logV, 1}, {&bv2, 0}, {&Bv2, 0}, {&logRTP0, 0}});
    setModelName("HGKbase");
    bv2.setName("bv2");
    Bv2.setName("Bv2");
    r.setName("r");
    logV.setName("logV");
    logRTP0.setName("logRTP0");

    link(y, "y", bv2, r);
    y.set_scalars1(1.0);
    link(my, "my", y);
    my.set_scalars2(-1.0, 1.0);
    link(lmy, "lmy", my);
    lmy.set_scalars3(1.0, 0.0, 0.0);
    link(imy, "imy", my);
    imy.set_scalars1(1.0);
    link(imy2, "imy2", my);
    link(Bv2bv2, "Bv2bv2", Bv2, bv2);
    Bv2bv2.set_scalars1(1.0);
    link(B, "B", Bv2bv2);
    B.set_scalars2(1.0, -3.5);
    link(By, "By", y, B);
    By.set_scalars1(1.0);
    link(logRTV, "logRTV", logRTP0, logV);
    logRTV.set_scalars3(1.0, -1.0, 0.0);

    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(5);
    A->tie_(&lmy, &imy, &imy2, &By, &logRTV);
    A->set_scalars_(-1.0, -43.333333333333336, 28.166666666666668, 4.0, 1.0, 15.166666666666666);
    root = A;
    setDebugLink();
}

void HGKbase::calculate_fixed_parameters()
{
    using namespace waterleaf;
    const double T0_2 = T0 * T0, T0_4 = T0_2 * T0_2;
    // b = 0.7478629 - 0.3540782 ln(T/T0) + 0.007159876 (T0/T)^3 - 0.003528426 (T0/T)^5
    Jet b = logarithm(-0.3540782, T);
    b.f[0] = 0.7478629 - 0.3540782 * std::log(T / T0);
    b += power(0.007159876 * T0_2 * T0, T, -3.0);
    b += power(-0.003528426 * T0_4 * T0, T, -5.0);
    load(bv2, 0, b);
    // B = 1.1278334 - 0.5944001 (T0/T) - 5.010996 (T0/T)^2 + 0.63684256 (T0/T)^4
    Jet Bj = power(-0.5944001 * T0, T, -1.0);
    Bj += power(-5.010996 * T0_2, T, -2.0);
    Bj += power(0.63684256 * T0_4, T, -4.0);
    Bj.f[0] += 1.1278334;
    load(Bv2, 0, Bj);
    Jet l = logarithm(1.0, T);
    l.f[0] = std::log(0.4615 * T * 18.015268 / 0.101325);
    load(logRTP0, 0, l);
}

void HGKbase::calculate_volume_dependent_parameters()
{
    using namespace waterleaf;
    Jet lv = logarithm(1.0, V);
    lv.f[0] = std::log(1e6 * V);
    load(logV, 1, lv);
    load(r, 1, power(kMolarMassOver1e6 / 4.0, V, -1.0));
}
