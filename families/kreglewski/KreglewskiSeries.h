#pragma once
// Dispersion series of Kreglewski's hard-convex-body model (Chen and
// Kreglewski 1977):
//     A/(RT) = sum over 24 pairs (n, m) of D(n,m) (u/T)^n (V0/V)^m,
// n = 1..4, m = 1..9.  The nodes of the series part shared by the pure-fluid
// and the binary attraction terms; the owner links the reduced energy "u"
// (= u/T), the core volume "V0" and 1/V, and receives the root "A".
#include "expressions/Cube.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"

struct KreglewskiSeries {
    static constexpr int kTerms = 24;
    // D(n, m), in the order of the root's terms A11..A16, A21..A29, A31..A35, A41..A44.
    static const double D[kTerms];
    static const int power_n[kTerms];
    static const int power_m[kTerms];

    // Links the series to u, V0 and mV and returns the root "A" (created with new).
    Sum* build(Expression& u, Expression& V0, Expression& mV);

    Square u2;
    Cube u3;
    Square u4;
    Product w;  // V0 mV
    Square w2;
    Cube w3;
    Square w4;
    Product w5, w6, w7, w8, w9;
    Product Anm[kTerms];
};
