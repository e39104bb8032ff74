#include "gases/PlanckEinstein.h"

#include <cmath>

#include "expressions/Sum.h"
#include "fluid/CriticalPoints.h"

// Span & Wagner (1996), Table 27: a1 = 8.37304456, a2 = -3.70454304, a3 = 2.5,
// a4..a8 with theta4..theta8; Tc = 304.1282 K, rhoc = 467.6 kg/m3 with
// M = 44.0098 g/mol.
const IdealGasForm kSpanWagnerCO2 = {.Tc = kCO2Critical.T,
                                     .rhoc = kCO2Critical.rho / 0.0440098,
                                     .a1 = 8.37304456,
                                     .a2 = -3.70454304,
                                     .c = 2.5,
                                     .einsteins = 5,
                                     .a = {1.99427042, 0.62105248, 0.41195293, 1.04028922, 0.08327678},
                                     .theta = {3.15163, 6.11190, 6.77708, 11.32384, 27.08792}};

// Setzmann & Wagner (1991), ideal-gas part: a1 = 9.91243972, a2 = -6.33270087,
// a3 = 3.0016, a4..a8 with theta4..theta8; Tc = 190.564 K, rhoc = 10.139342719
// mol/dm3.  Their theta_i tau are Theta_i/T with Theta = 648, 1957, 3895, 5705
// and 15080 K.
const IdealGasForm kSetzmannWagnerCH4 = {.Tc = kCH4Critical.T,
                                         .rhoc = 10139.342719,
                                         .a1 = 9.91243972,
                                         .a2 = -6.33270087,
                                         .c = 3.0016,
                                         .einsteins = 5,
                                         .a = {0.008449, 4.6942, 3.4865, 1.6572, 1.4115},
                                         .theta = {3.4004324, 10.26951, 20.43932, 29.93744, 79.13351}};

PlanckEinsteinIdeal::PlanckEinsteinIdeal(const IdealGasForm& f) : g(f)
{
    Sum* A = new Sum;
    A->number_of_terms(1);
    A->tiei(0, g.leaf);
    A->setName("A");
    root = A;
    setModelName("Planck-Einstein ideal gas");
}

PlanckEinsteinIdeal::~PlanckEinsteinIdeal()
{
    delete root;
    root = nullptr;
}

void PlanckEinsteinIdeal::number_of_components(int n)
{
    sizeForComponents(n, 0, [this, n] { g.clearDependencies(n + 2); });
}

void PlanckEinsteinIdeal::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    const bool on = !fugacityPass;
    A->set_scalar(0, on ? 1.0 : 0.0);
    A->set_scalar(1, on ? -std::log(g.form.rhoc) : 0.0);
    g.load(T);
}
