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
    Y2.tie1(Y1);
    for (int k = 3; k <= 6; ++k)
        Yk[k - 3].tie2(*Y(k - 1), Y1);

    Sum* A = new Sum;
    A->number_of_terms(51);
    int slot = 0;
    // j = 0: the powers of W themselves.
    for (int i = 0; i < kRowLength[0]; ++i, ++slot) {
        A->tiei(slot, *density.W(i + 1));
        A->set_scalar(slot, kCoefficients[slot] / (i + 1));
    }
    int p = 0;
    for (int j = 1; j <= 6; ++j) {
        for (int i = 0; i < kRowLength[j]; ++i, ++slot, ++p) {
            products[p].tie2(*density.W(i + 1), *Y(j));
            products[p].setName(("A" + std::to_string(i) + std::to_string(j)).c_str());
            A->tiei(slot, products[p]);
            A->set_scalar(slot, kCoefficients[slot] / (i + 1));
        }
    }
    A->tiei(50, density.mlogV);
    A->set_scalar(50, 1.0);
    A->set_scalar(51, 0.0);
    A->setName("A");
    root = A;

    for (int k = 1; k <= 6; ++k)
        Y(k)->setName(("Y" + std::to_string(k)).c_str());
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
    // Variables T, V, x: Y1 depends on T alone.
    sizeForComponents(n, 1, [this] {
        density.dependOnVolumeOnly();
        Y1.flags[1] = Y1.flags[2] = 0;
    });
}

void IUPAC::calculate_fixed_parameters()
{
    setReducedVariable(Y1, Tc, T, 0, -1.0);
}

void IUPAC::calculate_volume_dependent_parameters()
{
    density.load(V, Vc, -1.0);
}

void IUPAC::calculate_high_order_parameters()
{
    density.loadHighOrder(V, Vc);
}
