#include "families/cubic/VdWr2.h"

#include <cmath>
#include <cstdio>

VdWr2::VdWr2() {
    setModelName("VdWr2");
    bsum = new SumX2();
    b = bsum;
    build_parse_graph();
    bsum->setName("b");
}

VdWr2::~VdWr2() { releaseTree(); }

void VdWr2::number_of_components(int n) {
    if (refusesComponents(n, 2)) return;
    if (!B00) {
        B00 = new Leaf();
        B11 = new Leaf();
        B10 = new Sum1();
        K = new Sum1();
        D = new Division();
        E = new Exponential();
        Em1 = new Sum1();
        Ep1 = new Sum1();
        L = new Leaf();
        B00->setName("B(0,0)");
        B11->setName("B(1,1)");
        B10->setName("B(1,0)");
        K->setName("K");
        D->setName("D");
        E->setName("E");
        Em1->setName("E-1");
        Ep1->setName("E+1");
        L->setName("L");
        bsum->defineXVariables(2, 2);
        bsum->tie_ij(0, 0, B00);
        bsum->tie_ij(1, 1, B11);
        bsum->tie_ij(1, 0, B10);
        B10->tiep1(K);
        B10->set_scalars2(1.0, 0.0);
        K->tiep1(D);
        D->tiep2(Em1, Ep1);
        D->set_scalars1(1.0);
        Em1->tiep1(E);
        Ep1->tiep1(E);
        Em1->set_scalars2(1.0, -1.0);
        Ep1->set_scalars2(1.0, 1.0);
        E->tiep1(L);
        E->set_scalars3(0.0, 1.0, 1.0);
    }
    VdWr::number_of_components(2);
    for (int v = 0; v < 4; v++) {
        B00->flags[v] = 0;
        B11->flags[v] = 0;
        L->flags[v] = v == 0 ? 1 : 0;
    }
    root->analyze_dependencies();
}

void VdWr2::set_binary_interaction_kbij(int, int, double k0, double k1, double Tc2, double w3) {
    c0 = k0;
    c1 = k1;
    c2 = Tc2;
    c3 = w3;
}

double VdWr2::kbAt(double T_) const { return 0.5 * (c0 + c1) + 0.5 * (c1 - c0) * std::tanh(0.5 * (T_ - c2) / c3); }

void VdWr2::calculate_fixed_parameters() {
    if (!L) return;
    L->value = (T - c2) / c3;
    L->d1[0] = 1.0 / c3;
    B00->value = covolumes[0];
    B11->value = covolumes[1];
    const double m = 0.5 * (covolumes[0] + covolumes[1]);
    B10->set_scalars2(-m, m);
    K->set_scalars2(0.5 * (c1 - c0), 0.5 * (c1 + c0));
}

double VdWr2::getVolumeMinimum() {
    if (component_count != 2) return 0.0;
    const double b10 = 0.5 * (covolumes[0] + covolumes[1]) * (1.0 - kbAt(T));
    return x[0] * x[0] * covolumes[0] + 2.0 * x[0] * x[1] * b10 + x[1] * x[1] * covolumes[1];
}
