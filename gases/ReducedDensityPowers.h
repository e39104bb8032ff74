#pragma once
// The powers W^1 .. W^10 of a reduced density W = Vc/V + shift, and -ln V, of
// the residual trees of the IUPAC equations of state (Angus, Armstrong & de
// Reuck: carbon dioxide over W = Vc/V - 1, methane over W = Vc/V). The two
// leaves depend on the volume (variable 1) alone and are loaded with their
// derivatives in V to the fourth order.
#include <cmath>
#include <string>

#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Square.h"

struct ReducedDensityPowers {
    Leaf W1;
    Square W2;
    Product Wk[8];  // W3 .. W10
    Leaf mlogV;

    ReducedDensityPowers()
    {
        W2.tie1(W1);
        for (int k = 3; k <= 10; ++k)
            Wk[k - 3].tie2(*W(k - 1), W1);
        for (int k = 1; k <= 10; ++k)
            W(k)->setName(("W" + std::to_string(k)).c_str());
        mlogV.setName("mlogV");
    }
    ReducedDensityPowers(const ReducedDensityPowers&) = delete;
    ReducedDensityPowers& operator=(const ReducedDensityPowers&) = delete;

    Expression* W(int k)  // W^k, k = 1 .. 10
    {
        if (k == 1)
            return &W1;
        if (k == 2)
            return &W2;
        return &Wk[k - 3];
    }

    // Variables T, V, x: both leaves depend on V alone.
    void dependOnVolumeOnly()
    {
        for (Leaf* l : {&W1, &mlogV})
            l->flags[0] = l->flags[2] = 0;
    }

    // Values and derivatives in V to the second order.
    void load(double V, double Vc, double shift)
    {
        const double V2 = V * V, V3 = V2 * V;
        W1.value = Vc / V + shift;
        W1.d1[1] = -Vc / V2;
        W1.d2[1][1] = 2.0 * Vc / V3;
        mlogV.value = -std::log(V);
        mlogV.d1[1] = -1.0 / V;
        mlogV.d2[1][1] = 1.0 / V2;
    }

    // Third and fourth derivatives in V.
    void loadHighOrder(double V, double Vc)
    {
        const double V2 = V * V, V3 = V2 * V, V4 = V2 * V2, V5 = V4 * V;
        W1.d3[1][1][1] = -6.0 * Vc / V4;
        W1.d4[1][1][1][1] = 24.0 * Vc / V5;
        mlogV.d3[1][1][1] = -2.0 / V3;
        mlogV.d4[1][1][1][1] = 6.0 / V4;
    }
};
