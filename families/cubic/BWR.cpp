#include "families/cubic/BWR.h"

BWR::BWR() {
    setModelName("BWR");
    T_.index = 0;
    V_.index = 1;
    Ti.tie1(T_);
    Ti2.tie1(Ti);
    Ti3.tie1(Ti);
    mlogV.tie1(V_);
    mlogV.set_scalars3(-1.0, 0.0, 0.0);
    mV.tie1(V_);
    mV2.tie1(mV);
    mV5.tie1(mV);
    mV5.set_scalars3(1.0, 5.0, 0.0);
    B.number_of_terms(3);
    B.tie_(&Ti3, &Ti2, &Ti);
    B.set_scalars_(0.0, 0.0, 0.0, 0.0);
    C.tie2(Ti3, Ti);
    C.set_scalars3(0.0, 0.0, 0.0);
    D.tie1(Ti);
    D.set_scalars2(0.0, 0.0);
    Bv.tie2(B, mV);
    Cv2.tie2(C, mV2);
    Dv5.tie2(D, mV5);
    alpha.tie1(Ti3);
    alpha.set_scalars2(0.0, 0.0);
    ag.tie1(alpha);
    ag.set_scalars2(0.0, 0.0);
    gamav2.tie1(mV2);
    gamav2.set_scalars2(0.0, 0.0);
    beta1gv2.tie1(gamav2);
    beta1gv2.set_scalars2(1.0, 1.0);
    expgv2.tie1(gamav2);
    expgv2.set_scalars3(0.0, 1.0, -1.0);
    be.tie2(beta1gv2, expgv2);
    bme.tie1(be);
    bme.set_scalars2(-1.0, 1.0);
    E.tie2(ag, bme);

    const struct {
        Expression* e;
        const char* n;
    } names[] = {{&T_, "T_"},     {&V_, "V_"},         {&Ti, "Ti"},         {&Ti2, "Ti2"},   {&Ti3, "Ti3"},
                 {&mlogV, "mlogV"}, {&mV, "mV"},       {&mV2, "mV2"},       {&mV5, "mV5"},   {&B, "B"},
                 {&C, "C"},       {&D, "D"},           {&Bv, "Bv"},         {&Cv2, "Cv2"},   {&Dv5, "Dv5"},
                 {&alpha, "alpha"}, {&ag, "ag"},       {&gamav2, "gamav2"}, {&beta1gv2, "beta1gv2"},
                 {&expgv2, "expgv2"}, {&be, "be"},     {&bme, "bme"},       {&E, "E"}};
    for (const auto& p : names) p.e->setName(p.n);

    auto* A = new Sum();
    A->number_of_terms(5);
    A->tie_(&mlogV, &Bv, &Cv2, &Dv5, &E);
    A->set_scalars_(1.0, 1.0, 0.5, 0.2, 1.0, 0.0);
    A->setName("A");
    root = A;
    setDebugLink();
}

BWR::~BWR() {
    delete root;
    root = nullptr;
}

void BWR::number_of_components(int n) {
    sizeForComponents(n, 0);
}

void BWR::set_parameters(const double* p) {
    if (!p) return;
    for (int i = 0; i < 12; i++) constants[i] = p[i];
    const double b1 = p[0], b2 = p[1], b3 = p[2], b4 = p[3], c1 = p[4], c2 = p[5], c3 = p[6], c4 = p[7], d1 = p[8],
                 d2 = p[9];
    beta = p[10];
    gamma = p[11];
    B.set_scalars_(-b4, -b3, -b2, b1);
    C.set_scalars3(c3, -c2, c1);
    D.set_scalars2(d2, d1);
    alpha.set_scalars2(c4, 0.0);
    // E = c4/(2 gamma T^3) [beta + 1 - (beta + 1 + gamma/V^2) exp(-gamma/V^2)].
    ag.set_scalars2(gamma != 0.0 ? 0.5 / gamma : 0.0, 0.0);
    gamav2.set_scalars2(gamma, 0.0);
    beta1gv2.set_scalars2(1.0, beta + 1.0);
    bme.set_scalars2(-1.0, beta + 1.0);
    calculated = 0;
}
