#include "gases/PlanckEinstein.h"

#include <cmath>
#include <string>

#include "expressions/Sum.h"
#include "fluid/ReducedVariable.h"

// Span & Wagner (1996), Table 27: a1 = 8.37304456, a2 = -3.70454304, a3 = 2.5,
// a4..a8 with theta4..theta8; Tc = 304.1282 K, rhoc = 467.6 kg/m3 with
// M = 44.0098 g/mol.
const PlanckEinsteinForm kSpanWagnerCO2 = {304.1282,
                                           467.6 / 0.0440098,
                                           8.37304456,
                                           -3.70454304,
                                           2.5,
                                           {1.99427042, 0.62105248, 0.41195293, 1.04028922, 0.08327678},
                                           {3.15163, 6.11190, 6.77708, 11.32384, 27.08792}};

// Setzmann & Wagner (1991), ideal-gas part: a1 = 9.91243972, a2 = -6.33270087,
// a3 = 3.0016, a4..a8 with theta4..theta8; Tc = 190.564 K, rhoc = 10.139342719
// mol/dm3.  Their theta_i tau are Theta_i/T with Theta = 648, 1957, 3895, 5705
// and 15080 K.
const PlanckEinsteinForm kSetzmannWagnerCH4 = {190.564,
                                               10139.342719,
                                               9.91243972,
                                               -6.33270087,
                                               3.0016,
                                               {0.008449, 4.6942, 3.4865, 1.6572, 1.4115},
                                               {3.4004324, 10.26951, 20.43932, 29.93744, 79.13351}};

double planckEinsteinCv0R(const PlanckEinsteinForm& f, double T)
{
    double cv = f.c;
    for (int i = 0; i < 5; ++i) {
        const double x = f.theta[i] * f.Tc / T;
        const double e = std::expm1(x);
        cv += f.a[i] * x * x * (e + 1.0) / (e * e);
    }
    return cv;
}

PlanckEinsteinNodes::PlanckEinsteinNodes(const PlanckEinsteinForm& f) : form(f)
{
    tau.setName("tau");
    lntau.setName("lntau");
    for (int i = 0; i < 5; ++i) {
        E[i].tie1(tau);
        E[i].set_scalars3(1.0, -1.0, -f.theta[i]);
        L[i].tie1(E[i]);
        L[i].set_scalars3(1.0, 0.0, 0.0);
        const std::string k = std::to_string(i + 1);
        E[i].setName(("PE" + k).c_str());
        L[i].setName(("lnPE" + k).c_str());
    }
}

void PlanckEinsteinNodes::link(Sum& root, int first)
{
    root.tiei(first, tau);
    root.tiei(first + 1, lntau);
    for (int i = 0; i < 5; ++i)
        root.tiei(first + 2 + i, L[i]);
}

void PlanckEinsteinNodes::setWeights(Sum& root, int first, bool on) const
{
    root.set_scalar(first, on ? form.a2 : 0.0);
    root.set_scalar(first + 1, on ? form.c : 0.0);
    for (int i = 0; i < 5; ++i)
        root.set_scalar(first + 2 + i, on ? form.a[i] : 0.0);
}

double PlanckEinsteinNodes::constant() const { return form.a1 - std::log(form.rhoc); }

void PlanckEinsteinNodes::clearDependencies(int nvar)
{
    for (Leaf* l : {&tau, &lntau})
        for (int k = 1; k < nvar; ++k)
            l->flags[k] = 0;
}

void PlanckEinsteinNodes::load(double T)
{
    setReducedVariable(tau, form.Tc, T, 0);
    setLogReducedVariable(lntau, form.Tc, T, 0);
}

PlanckEinsteinIdeal::PlanckEinsteinIdeal(const PlanckEinsteinForm& f) : nodes(f)
{
    Sum* A = new Sum;
    A->number_of_terms(PlanckEinsteinNodes::kTerms);
    nodes.link(*A, 0);
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
    sizeForComponents(n, 0, [this, n] { nodes.clearDependencies(n + 2); });
}

void PlanckEinsteinIdeal::calculate_fixed_parameters()
{
    Sum* A = static_cast<Sum*>(root);
    const bool on = !fugacityPass;
    nodes.setWeights(*A, 0, on);
    A->set_scalar(PlanckEinsteinNodes::kTerms, on ? nodes.constant() : 0.0);
    nodes.load(T);
}
