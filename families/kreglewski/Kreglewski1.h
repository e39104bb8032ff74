#pragma once
// Dispersion term of Kreglewski's model for a pure fluid:
//     u = u0 (1 + eta/T),  V0 = V00 [1 - C exp(-3 u0/T)]^3,
//     A/(RT) = sum D(n,m) (u/T)^n (V0/V)^m   (KreglewskiSeries).
// u0 and eta in K (energy over Boltzmann's constant), V00 in m3/mol.
#include "expressions/Exponential.h"
#include "expressions/FVar.h"
#include "expressions/Inverse.h"
#include "expressions/Sum1.h"
#include "families/kreglewski/KreglewskiSeries.h"
#include "fluid/Attraction.h"

class Kreglewski1 : public Attraction {
public:
    Kreglewski1();
    ~Kreglewski1() override;

    void number_of_components(int n) override;
    // Stores the parameters and writes the scalars at once.
    void set_parameters(double V00, double u0, double eta, double C);

    // V00, C, u0, eta, in this order.
    double parameters[4] = {0.0, 0.0, 0.0, 0.0};

    FVar T_, V_;
    Inverse mT;
    Sum1 u1;          // u0 eta mT + u0
    Product u;        // u1 mT
    Exponential V0e;  // 1 - C exp(-3 u0 mT)
    Cube V0;          // V00 V0e^3
    Inverse mV;
    KreglewskiSeries series;
};
