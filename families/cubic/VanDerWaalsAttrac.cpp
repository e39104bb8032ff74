#include "families/cubic/VanDerWaalsAttrac.h"

#include <cstdio>

#include "families/cubic/CubicData.h"

VanDerWaalsAttrac::VanDerWaalsAttrac() {
    setModelName("VanDerWaalsAttrac");
    auto* q = new Division();
    q->tie2(axSquare, RTv);
    q->set_scalars1(1.0);
    axSquare.tie1(x1);
    axSquare.set_scalars1(a);
    RTv.tie2(Tvar, Vvar);
    RTv.set_scalars1(cubic::R);
    Tvar.index = 0;
    Vvar.index = 1;
    x1.index = 2;
    axSquare.setName("axSquare");
    RTv.setName("RTv");
    Vvar.setName("_V");
    x1.setName("_x1");
    q->setName("A");
    root = q;
}

VanDerWaalsAttrac::~VanDerWaalsAttrac() {
    delete root;  // no parent links the root
    root = nullptr;
}

void VanDerWaalsAttrac::number_of_components(int n) {
    sizeForComponents(n, 2);
}

void VanDerWaalsAttrac::test() {
    number_of_components(2);
    set_a(-1.0);
    T = 300.0;
    V = 1.8e-05;
    termError = 0;
    composition(0.4, 0.6);
    checkInteraction();
}
