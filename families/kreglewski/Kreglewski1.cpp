#include "families/kreglewski/Kreglewski1.h"

Kreglewski1::Kreglewski1() {
    setModelName("KreglewskiInteraction");
    T_.index = 0;
    V_.index = 1;
    mT.tie1(T_);
    u1.tie1(mT);
    u1.set_scalars2(1.0, 0.0);
    u.tie2(u1, mT);
    V0e.tie1(mT);
    V0e.set_scalars3(1.0, 0.0, 0.0);
    V0.tie1(V0e);
    mV.tie1(V_);
    T_.setName("T_");
    V_.setName("V_");
    mT.setName("mT");
    u1.setName("u1");
    u.setName("u");
    V0e.setName("V0e");
    V0.setName("V0");
    mV.setName("mV");
    root = series.build(u, V0, mV);
    setDebugLink();
}

Kreglewski1::~Kreglewski1() {
    delete root;
    root = nullptr;
}

void Kreglewski1::number_of_components(int n) {
    sizeForComponents(n, 0);
}

void Kreglewski1::set_parameters(double V00, double u0, double eta, double C) {
    parameters[0] = V00;
    parameters[1] = C;
    parameters[2] = u0;
    parameters[3] = eta;
    u1.set_scalars2(u0 * eta, u0);
    V0e.set_scalars3(1.0, -C, -3.0 * u0);
    V0.set_scalars1(V00);
    calculated = 0;
}
