#pragma once
// Hard-convex-body repulsion of a binary mixture (see HCB1):
//     V0i = V00i [1 - C exp(-3 u0i/T)]^3,  V012 = k12 (V01 + V02)/2,
//     V0 = x1^2 V01 + 2 x1 x2 V012 + x2^2 V02,  alpha = alpha1 x1 + alpha2 x2,
//     xi = 0.74048 V0/V, and A/(RT) as for the pure fluid with these alpha and xi.
// The per-component setters only store; finalize_parameters writes the tree.
#include "families/kreglewski/BinaryCoreVolume.h"
#include "families/kreglewski/HCB1.h"
#include "families/kreglewski/KreglewskiClosedForm.h"

class HCB2 : public Repulsion {
public:
    HCB2();
    ~HCB2() override;

    // Two components only; any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    // i = 0 or 1; C is common and stored at every call.
    void set_parameters_of_component(int i, double alpha, double V00, double u0, double C);
    void set_binary_parameters(double k12_) { parameters[7] = k12_; }
    void finalize_parameters();
    // The close-packed volume V0 of the mixture at the term's temperature and
    // composition (see HCB1::getVolumeMinimum).
    double getVolumeMinimum() override;
    void set_parameters(double alpha1, double V001, double u01, double alpha2, double V002, double u02, double C,
                        double k12_);

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
    // alpha and 0.74048 V0 at the term's T and composition, which its Z at
    // every volume is computed from (hardBodyCompressibility); false where
    // it has no closed form.
    bool compressibilityTerms(double& alpha_, double& packing_);
    // Counts the settings of the term's constants (finalize_parameters).
    int parameterVersion() const { return version_; }

    // alpha1, V001, u01, alpha2, V002, u02, C, k12.
    double parameters[8] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0};

    FVar T_, V_, x1_, x2_;
    Inverse mT;
    BinaryCoreVolume core;  // V0
    HardBodyPacking packing;
    Logarithm logdzeta;    // ln(mdzeta + 1)
    Sum2 alpha;            // alpha1 x1 + alpha2 x2
    Square alphaSq;
    Sum1 alpha21;          // alphaSq - 1
    Sum2 alpha23;          // alphaSq + 3 alpha
    Product A0;            // alpha21 logdzeta
    Product A100;          // alpha23 dzeta
    Product A101;          // alpha dzeta2
    Sum2 A10;              // A100 - 3 A101
    Division A1;           // A10/A11

private:
    // The constants of the tree, written by finalize_parameters.
    struct Constants {
        bool set = false;
        double alpha[2] = {0.0, 0.0}, V00[2] = {0.0, 0.0}, u0[2] = {0.0, 0.0}, C = 0.0, k12 = 1.0;
    } constants_;
    int version_ = 0;  // counts the calls of finalize_parameters
    // alpha and 0.74048 V0 at one temperature and composition.
    struct AtComposition {
        kreglewski::StateKey key;
        double alpha = 0.0, packing = 0.0;
    } atComposition_;
    kreglewski::KeptAnswer kept_;
    kreglewski::CoreVolumesAtT cores_;
    // V0 with its x derivatives at one temperature and composition (firstOrderAt).
    struct CoreGradient {
        kreglewski::StateKey key;
        kreglewski::CompositionGradient V0;
    } coreGradient_;
    // alpha and 0.74048 V0 at the term's T and composition.
    const AtComposition& atComposition();
    // The close-packed volume at the term's T and composition with the
    // parameters it was computed from (getVolumeMinimum).
    struct KeptMinimum {
        double T = 0.0, x1 = 0.0, x2 = 0.0, p[6] = {}, V0 = 0.0;
    } keptMinimum_;
};
