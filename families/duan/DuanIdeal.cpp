#include "families/duan/DuanIdeal.h"

#include <cmath>

#include "expressions/Leaf.h"

DuanIdeal::DuanIdeal() { setModelName("HGKid"); }

DuanIdeal::~DuanIdeal() = default;

void DuanIdeal::calculate_fixed_parameters()
{
    auto* leaf = static_cast<Leaf*>(root);
    if (!leaf || !leaf->d1) return;
    if (fugacityPass) {
        leaf->value = 0.0;
        leaf->d1[0] = 0.0;
        leaf->d2[0][0] = 0.0;
        leaf->d3[0][0][0] = 0.0;
        leaf->d4[0][0][0][0] = 0.0;
        return;
    }
    HGKid::calculate_fixed_parameters();
    // ln(R T/p0) in cm3/mol with HGK's R = 0.4615 J/(g K) and p0 = 0.101325 MPa, less ln 1e6.
    const double t = T;
    leaf->value += std::log(0.4615 * t * 18.015268 / 0.101325) - std::log(1e6);
    leaf->d1[0] += 1.0 / t;
    leaf->d2[0][0] += -1.0 / (t * t);
    leaf->d3[0][0][0] += 2.0 / (t * t * t);
    leaf->d4[0][0][0][0] += -6.0 / (t * t * t * t);
}
