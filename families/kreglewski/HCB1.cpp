#include "families/kreglewski/HCB1.h"

#include <cmath>
#include <cstdio>

double hcbCoreVolume(double V00, double u0, double C, double T) {
    const double s = 1.0 - C * std::exp(-3.0 * u0 / T);
    return V00 * s * s * s;
}

void HardBodyPacking::build(Expression& V, Expression& V0) {
    mV.tie1(V);
    dzeta.tie2(V0, mV);
    dzeta.set_scalars1(kHCBPacking);
    dzeta2.tie1(dzeta);
    mdzeta.tie1(dzeta);
    mdzeta.set_scalars2(-1.0, 0.0);
    A11.tie2(dzeta, dzeta2);
    A11.set_scalars3(-2.0, 1.0, 1.0);
    mlogV.tie1(V);
    mlogV.set_scalars3(-1.0, 0.0, 0.0);
    mV.setName("mV");
    dzeta.setName("dzeta");
    dzeta2.setName("dzeta2");
    mdzeta.setName("mdzeta");
    A11.setName("A11");
    mlogV.setName("mlogV");
}

Sum* HardBodyPacking::root(Expression& A0, Expression& A1) {
    auto* A = new Sum();
    A->number_of_terms(3);
    A->tie_(&mlogV, &A0, &A1);
    A->set_scalars_(1.0, 1.0, 1.0, 0.0);
    A->setName("A");
    return A;
}

HCB1::HCB1() {
    setModelName("Hard Convex Bodies Interaction (1 component)");
    T_.index = 0;
    V_.index = 1;
    mT.tie1(T_);
    A12.tie1(mT);
    A12.set_scalars3(1.0, 0.0, 0.0);
    V0.tie1(A12);
    packing.build(V_, V0);
    A0.tie1(packing.mdzeta);
    A0.set_scalars3(1.0, 1.0, 0.0);
    A10.tie2(packing.dzeta, packing.dzeta2);
    A10.set_scalars3(1.0, 1.0, 0.0);
    A1.tie2(A10, packing.A11);

    T_.setName("T_");
    V_.setName("V_");
    mT.setName("mT");
    A12.setName("A12");
    V0.setName("V0");
    A0.setName("A0");
    A10.setName("A10");
    A1.setName("A1");

    root = packing.root(A0, A1);
    setDebugLink();
}

HCB1::~HCB1() {
    delete root;  // no parent links the root; the members go after it
    root = nullptr;
}

void HCB1::number_of_components(int n) {
    sizeForComponents(n, 1);
}

double HCB1::getVolumeMinimum() {
    if (!(T > 0.0)) return 0.0;
    return hcbCoreVolume(parameters[1], parameters[3], parameters[2], T);
}

void HCB1::set_parameters(double alpha, double V00, double u0, double C) {
    parameters[0] = alpha;
    parameters[1] = V00;
    parameters[2] = C;
    parameters[3] = u0;
    A0.set_scalars3(alpha * alpha - 1.0, 1.0, 0.0);
    A10.set_scalars3(alpha * alpha + 3.0 * alpha, -3.0 * alpha, 0.0);
    A12.set_scalars3(1.0, -C, -3.0 * u0);
    V0.set_scalars1(V00);
    calculated = 0;
}
