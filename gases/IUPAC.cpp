#include "gases/IUPAC.h"
#include "fluid/ReducedVariable.h"

#include <cmath>
#include <cstdio>
#include <string>

const double IUPAC::kCoefficients[50] = {
    // j = 0
    -0.725854437, 0.447869183, -0.172011999, 0.00446304911, 0.255491571, 0.0594667298, -0.14796001,
    0.0136710441, 0.0392284575, -0.0119872097,
    // j = 1
    -1.68332974, 1.26050691, -1.83458178, -1.76300541, 2.37414246, 1.16974683, -1.69233071, -0.10049233,
    0.441503812, -0.0846051949,
    // j = 2
    0.259587221, 5.96957049, -4.61487677, -11.1436705, 7.50925141, 7.4370641, -4.68219937, -1.63653806,
    0.88674197, 0.046456437,
    // j = 3
    0.376945574, 15.4645885, -3.82121926, -27.8215446, 6.61133318, 15.0646731, -3.13517448, -1.87082988,
    // j = 4
    -0.67075537, 19.4449475, 3.60171349, -27.168572, -2.4266321, 9.57496845,
    // j = 5
    -0.871456126, 8.64880497, 4.92265552, -6.42177872, -2.57944032,
    // j = 6
    -0.149156928,
};

Expression* IUPAC::W(int k)
{
    if (k == 1)
        return &W1;
    if (k == 2)
        return &W2;
    return &Wk[k - 3];
}

Expression* IUPAC::Y(int k)
{
    if (k == 1)
        return &Y1;
    if (k == 2)
        return &Y2;
    return &Yk[k - 3];
}

IUPAC::IUPAC()
{
    W2.tie1(W1);
    for (int k = 3; k <= 10; ++k)
        Wk[k - 3].tie2(*W(k - 1), W1);
    Y2.tie1(Y1);
    for (int k = 3; k <= 6; ++k)
        Yk[k - 3].tie2(*Y(k - 1), Y1);

    Sum* A = new Sum;
    A->number_of_terms(51);
    int slot = 0;
    // j = 0: the powers of W themselves.
    for (int i = 0; i < kRowLength[0]; ++i, ++slot) {
        A->tiei(slot, *W(i + 1));
        A->set_scalar(slot, kCoefficients[slot] / (i + 1));
    }
    int p = 0;
    for (int j = 1; j <= 6; ++j) {
        for (int i = 0; i < kRowLength[j]; ++i, ++slot, ++p) {
            products[p].tie2(*W(i + 1), *Y(j));
            products[p].setName(("A" + std::to_string(i) + std::to_string(j)).c_str());
            A->tiei(slot, products[p]);
            A->set_scalar(slot, kCoefficients[slot] / (i + 1));
        }
    }
    A->tiei(50, mlogV);
    A->set_scalar(50, 1.0);
    A->set_scalar(51, 0.0);
    A->setName("A");
    root = A;

    for (int k = 1; k <= 10; ++k)
        W(k)->setName(("W" + std::to_string(k)).c_str());
    for (int k = 1; k <= 6; ++k)
        Y(k)->setName(("Y" + std::to_string(k)).c_str());
    mlogV.setName("mlogV");
    setModelName("IUPAC CO2");
    setDebugLink();
}

IUPAC::~IUPAC()
{
    delete root;
    root = nullptr;
}

void IUPAC::number_of_components(int n)
{
    // Variables T, V, x: W1 and -ln V depend on V alone, Y1 on T alone.
    sizeForComponents(n, 1, [this] {
        for (Leaf* l : {&W1, &mlogV}) l->flags[0] = l->flags[2] = 0;
        Y1.flags[1] = Y1.flags[2] = 0;
    });
}

void IUPAC::calculate_fixed_parameters()
{
    setReducedVariable(Y1, Tc, T, 0, -1.0);
}

void IUPAC::calculate_volume_dependent_parameters()
{
    V2 = V * V;
    V3 = V2 * V;
    W1.value = Vc / V - 1.0;
    W1.d1[1] = -Vc / V2;
    W1.d2[1][1] = 2.0 * Vc / V3;
    mlogV.value = -std::log(V);
    mlogV.d1[1] = -1.0 / V;
    mlogV.d2[1][1] = 1.0 / V2;
}

void IUPAC::calculate_high_order_parameters()
{
    V4 = V2 * V2;
    V5 = V4 * V;
    W1.d3[1][1][1] = -6.0 * Vc / V4;
    W1.d4[1][1][1][1] = 24.0 * Vc / V5;
    mlogV.d3[1][1][1] = -2.0 / V3;
    mlogV.d4[1][1][1][1] = 6.0 / V4;
}
