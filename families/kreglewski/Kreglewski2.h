#pragma once
// Dispersion term of Kreglewski's model for a binary mixture:
//     r = (V002/V001)^(1/3),  g = x1 + r^2 x2,  phi1 = x1/g,  phi2 = r^2 x2/g,
//     u11 = u01 (1 + eta1/T),  u22 = (u02/r^2)(1 + eta2/T),
//     u12 = ub12 (1 + a12/T + b12^2/T^2),  ub12 = 2 xi12/(1/u01 + r^2/u02),
//     u = g (phi1^2 u11 + 2 phi1 phi2 u12 + phi2^2 u22),
//     V0 = x1^2 V01 + 2 x1 x2 kv (V01 + V02)/2 + x2^2 V02,
//     A/(RT) = sum D(n,m) (u/T)^n (V0/V)^m   (KreglewskiSeries).
// The setters only store; finalize_parameters writes the tree.
#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/FVar.h"
#include "expressions/Inverse.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "families/kreglewski/BinaryCoreVolume.h"
#include "families/kreglewski/KreglewskiClosedForm.h"
#include "families/kreglewski/KreglewskiSeries.h"
#include "fluid/Attraction.h"

class Kreglewski2 : public Attraction {
public:
    Kreglewski2();
    ~Kreglewski2() override;

    // Two components only; any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    void set_parameters_of_component(int i, double V00, double u0, double eta, double C);
    void set_binary_parameters(double kv, double a12, double b12, double xi12);
    void finalize_parameters();
    void set_parameters(double V001, double u01, double eta1, double V002, double u02, double eta2, double kv,
                        double a12, double b12, double xi12, double C);

    // The term in closed form (KreglewskiClosedForm.h), with the constants
    // its tree was last given (finalize_parameters): a, a_V and a_VV of every
    // evaluation of Z and P, and the second-order answer of the state
    // functions and the fugacities.
    bool volumeSearchAnswer(double& a, double& aV, double& aVV) override;
    bool secondOrderAnswer() override;
    // The term's a with its first and second derivatives in (T, V, x1, x2)
    // at the volume V_ (m3/mol), its T and composition, from its closed
    // form (kept until the next call); null where it has none.
    const kreglewski::SecondOrder* secondOrderAt(double V_);
    // Its value with its first derivatives in V, x1 and x2 alone, the same
    // bits as secondOrderAt's (each component's ln phi asks no more);
    // false where it has no closed form.
    bool firstOrderAt(double V_, kreglewski::FirstOrder& a);
    bool answersOutsideVolumeSearch() const override { return true; }
    // Z of the term at the volume V_ (m3/mol), its T and composition, with
    // dZ/dV, from its closed form; NaN where it has none.
    double compressibilityAt(double V_, double* dZdV_ = nullptr);
    // The series in V0/V with V0 at the term's T and composition, which its
    // Z at every volume is computed from (SeriesInW::compressibility); null
    // where it has no closed form.
    const kreglewski::SeriesInW* compressibilityTerms(double& V0_);
    // Counts the settings of the term's constants (finalize_parameters).
    int parameterVersion() const { return version_; }

    // V001, u01, eta1, V002, u02, eta2, C, kv, a12, b12, xi12.
    double parameters[11] = {0, 0, 0, 0, 0, 0, 0, 1.0, 0, 0, 1.0};
    double r = 1.0;  // size ratio (V002/V001)^(1/3)

    FVar T_, V_, x1_, x2_;
    Inverse mT;
    Square mT2;
    Inverse mV;
    BinaryCoreVolume core;  // V0
    Sum2 xg;          // x1 + r^2 x2
    Division phi1;    // x1/xg
    Division phi2;    // r^2 x2/xg
    Square phi11, phi22;
    Product phi12;
    Sum1 u11, u22;
    Sum2 u12;
    Product phie11, phie12, phie22;
    Sum ss;           // phie11 + 2 phie12 + phie22
    Product u1;       // xg ss
    Product u;        // u1 mT
    KreglewskiSeries series;

private:
    // The constants of the tree, written by finalize_parameters.
    struct Constants {
        bool set = false;
        double V00[2] = {0.0, 0.0}, u0[2] = {0.0, 0.0}, C = 0.0, kv = 1.0;
        kreglewski::ReducedEnergy energy;
    } constants_;
    int version_ = 0;  // counts the calls of finalize_parameters
    // u/T and V0 at one temperature and composition.
    struct AtComposition {
        kreglewski::StateKey key;
        kreglewski::SeriesInW series{0.0};
        double V0 = 0.0;
    } atComposition_;
    kreglewski::KeptAnswer kept_;
    kreglewski::CoreVolumesAtT cores_;
    // u/T and V0 with their x derivatives at one temperature and composition (firstOrderAt).
    struct Gradients {
        kreglewski::StateKey key;
        kreglewski::CompositionGradient u, V0;
    } gradients_;
    // The series in V0/V and V0 at the term's T and composition.
    const AtComposition& atComposition();
};
