#include "gases/IUPAC1.h"
#include "fluid/ReducedVariable.h"

#include <cmath>
#include <cstdio>
#include <string>

void IUPACMethaneD::build(Expression& t3, Expression& t4, Expression& t5)
{
    const auto& k = IUPAC1::kD;
    D0.tie2(t3, t4);
    D0.set_scalars3(k[0][0], k[0][1], 0.0);
    D2.tie2(t3, t5);
    D2.set_scalars3(k[1][0], k[1][2], 0.0);
    D4.tie2(t3, t4);
    D4.set_scalars3(k[2][0], k[2][1], 0.0);
    D6.tie2(t3, t5);
    D6.set_scalars3(k[3][0], k[3][2], 0.0);
    D8.tie2(t3, t4);
    D8.set_scalars3(k[4][0], k[4][1], 0.0);
    D10.number_of_terms(3);
    D10.tie_(&t3, &t4, &t5);
    D10.set_scalars_(k[5][0], k[5][1], k[5][2], 0.0);
    D0.setName("D0");
    D2.setName("D2");
    D4.setName("D4");
    D6.setName("D6");
    D8.setName("D8");
    D10.setName("D10");
}

IUPAC1::IUPAC1()
{
    t2.tie1(t1);
    t3.tie2(t2, t1);
    t4.tie2(t3, t1);
    t5.tie2(t4, t1);
    t12.tie1(t1);
    t12.set_scalars3(1.0, 0.5, 0.0);

    C1.number_of_terms(4);
    C1.tie_(&t12, &t1, &t2, &t3);
    C1.set_scalars_(kC1[0], kC1[1], kC1[2], kC1[3], kC1[4]);
    C2.number_of_terms(3);
    C2.tie_(&t1, &t2, &t3);
    C2.set_scalars_(kC2[0], kC2[1], kC2[2], kC2[3]);
    C3.tie2(t1, t2);
    C3.set_scalars3(kC3[0], kC3[1], kC3[2]);
    C5.tie2(t2, t3);
    C5.set_scalars3(kC5[0], kC5[1], 0.0);
    C7.tie2(t2, t3);
    C7.set_scalars3(kC7[0], kC7[1], 0.0);

    A1.tie2(density.W1, C1);
    A2.tie2(density.W2, C2);
    A3.tie2(density.Wk[0], C3);
    A4.tie2(density.Wk[1], t1);
    A5.tie2(density.Wk[2], C5);
    A6.tie2(density.Wk[3], t2);
    A7.tie2(density.Wk[4], C7);
    A8.tie2(density.Wk[5], t3);

    // The Gaussian terms: Y0 = -exp(-gamma W^2)/(2 gamma), Y_2k = W^2k + (k/gamma) Y_2(k-1).
    Y0.tie1(density.W2);
    Y0.set_scalars3(0.0, -0.5 / kGamma, -kGamma);
    Y2.tie1(density.W2);
    Y2.set_scalars2(1.0, 1.0 / kGamma);
    Y4.tie2(density.Wk[1], Y2);
    Y4.set_scalars3(1.0, 2.0 / kGamma, 0.0);
    Y6.tie2(density.Wk[3], Y4);
    Y6.set_scalars3(1.0, 3.0 / kGamma, 0.0);
    Y8.tie2(density.Wk[5], Y6);
    Y8.set_scalars3(1.0, 4.0 / kGamma, 0.0);
    Y10.tie2(density.Wk[7], Y8);
    Y10.set_scalars3(1.0, 5.0 / kGamma, 0.0);
    S2.tie2(Y2, Y0);
    S4.tie2(Y4, Y0);
    S6.tie2(Y6, Y0);
    S8.tie2(Y8, Y0);
    S10.tie2(Y10, Y0);
    D.build(t3, t4, t5);
    B0.tie2(Y0, D.D0);
    B2.tie2(S2, D.D2);
    B4.tie2(S4, D.D4);
    B6.tie2(S6, D.D6);
    B8.tie2(S8, D.D8);
    B10.tie2(S10, D.D10);

    Sum* A = new Sum;
    A->number_of_terms(15);
    A->tie_(&density.mlogV, &A1, &A2, &A3, &A4, &A5, &A6, &A7, &A8, &B0, &B2, &B4, &B6, &B8, &B10);
    A->set_scalars_(1.0, 1.0, 0.5, 1.0 / 3.0, kA4 / 4.0, 0.2, kA6 / 6.0, 1.0 / 7.0, kA8 / 8.0, 1.0, 1.0, 1.0,
                    1.0, 1.0, 1.0, 0.0);
    A->setName("A");
    root = A;
    setDebugLink();

    t1.setName("t1");
    t2.setName("t2");
    t3.setName("t3");
    t4.setName("t4");
    t5.setName("t5");
    t12.setName("t12");
    C1.setName("C1");
    C2.setName("C2");
    C3.setName("C3");
    C5.setName("C5");
    C7.setName("C7");
    Product* a[8] = {&A1, &A2, &A3, &A4, &A5, &A6, &A7, &A8};
    for (int k = 0; k < 8; ++k)
        a[k]->setName(("A" + std::to_string(k + 1)).c_str());
    Y0.setName("Y0");
    Y2.setName("Y2");
    Y4.setName("Y4");
    Y6.setName("Y6");
    Y8.setName("Y8");
    Y10.setName("Y10");
    S2.setName("S2");
    S4.setName("S4");
    S6.setName("S6");
    S8.setName("S8");
    S10.setName("S10");
    B0.setName("B0");
    B2.setName("B2");
    B4.setName("B4");
    B6.setName("B6");
    B8.setName("B8");
    B10.setName("B10");
    setModelName("IUPAC CH4");
}

IUPAC1::~IUPAC1()
{
    delete root;
    root = nullptr;
}

void IUPAC1::number_of_components(int n)
{
    // Variables T, V, x: t1 depends on T alone.
    sizeForComponents(n, 1, [this] {
        density.dependOnVolumeOnly();
        t1.flags[1] = t1.flags[2] = 0;
    });
}

void IUPAC1::calculate_fixed_parameters()
{
    static_cast<Sum*>(root)->set_scalar(15, fugacityPass ? kFugacityConstant : 0.0);
    setReducedVariable(t1, Tc, T, 0);
}

void IUPAC1::calculate_volume_dependent_parameters()
{
    density.load(V, Vc, 0.0);
}

void IUPAC1::calculate_high_order_parameters()
{
    density.loadHighOrder(V, Vc);
}
