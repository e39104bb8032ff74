#pragma once
// Hard-convex-body repulsion of a pure fluid (Boublik's equation for convex
// bodies, with the temperature-dependent core of Kreglewski's model):
//     V0 = V00 [1 - C exp(-3 u0/T)]^3,   xi = 0.74048 V0/V,
//     A/(RT) = -ln V + (alpha^2 - 1) ln(1 - xi) + [(alpha^2 + 3 alpha) xi - 3 alpha xi^2]/(1 - xi)^2.
// alpha is the non-sphericity (1 for spheres, where the term is the
// Carnahan-Starling hard-sphere form).  The term carries the ideal gas's
// -ln V, so that alone it tends to the ideal gas at low density.
//
// Ownership: every node but the root "A" is a member, declared children first;
// the root is created with new and deleted by the destructor.
#include "expressions/Cube.h"
#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/FVar.h"
#include "expressions/Inverse.h"
#include "expressions/Logarithm.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/Repulsion.h"

// Close-packing fraction of spheres, pi sqrt(2)/6.
constexpr double kHCBPacking = 0.74048;

// Close-packed molar volume of the temperature-dependent core (m3/mol),
// V00 [1 - C exp(-3 u0/T)]^3 (Chen & Kreglewski 1977).  Beyond it (xi above
// the close packing 0.74048) the hard-body and dispersion series have no
// physical meaning: their sum can give a spurious root of P(V) several times
// denser than the liquid.
double hcbCoreVolume(double V00, double u0, double C, double T);

// The packing fraction xi = 0.74048 V0/V of a hard-body term with its powers,
// the denominator (1 - xi)^2 and -ln V, and the term's root
// "A" = -ln V + A0 + A1, shared by the pure-fluid and the binary term:
//     A0 = (alpha^2 - 1) ln(1 - xi),
//     A1 = [(alpha^2 + 3 alpha) xi - 3 alpha xi^2]/(1 - xi)^2.
// The owner builds A0 and A1 over dzeta, dzeta2, mdzeta and A11, then takes
// the root.
struct HardBodyPacking {
    Inverse mV;       // 1/V
    Product dzeta;    // 0.74048 V0 mV
    Square dzeta2;
    Sum1 mdzeta;      // -dzeta
    Sum2 A11;         // 1 - 2 dzeta + dzeta2
    Logarithm mlogV;  // -ln V

    // Links the nodes to V and the close-packed volume V0, and names them.
    void build(Expression& V, Expression& V0);
    // The root "A" = mlogV + A0 + A1 (created with new).
    Sum* root(Expression& A0, Expression& A1);
};

class HCB1 : public Repulsion {
public:
    HCB1();
    ~HCB1() override;

    // One component only; any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    // Stores the parameters and writes the scalars at once.
    void set_parameters(double alpha, double V00, double u0, double C);
    // The close-packed volume V0 at the term's temperature: no state of hard
    // bodies is denser (xi = 0.74048 there).
    double getVolumeMinimum() override;

    // alpha, V00 (m3/mol), C, u0 (K), in this order.
    double parameters[4] = {0.0, 0.0, 0.0, 0.0};

    FVar T_, V_;
    Inverse mT;       // 1/T
    Exponential A12;  // 1 - C exp(-3 u0 mT)
    Cube V0;          // V00 A12^3
    HardBodyPacking packing;
    Logarithm A0;     // (alpha^2 - 1) ln(mdzeta + 1)
    Sum2 A10;         // (alpha^2 + 3 alpha) dzeta - 3 alpha dzeta2
    Division A1;      // A10/A11
};
