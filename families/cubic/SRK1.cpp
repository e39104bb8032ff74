#include "families/cubic/SRK1.h"

#include "families/cubic/CubicIsotherm.h"

#include <cmath>
#include <utility>
#include <cstdio>
#include <cstring>

#include "families/cubic/CubicClosedForm.h"
#include "families/cubic/CubicData.h"
#include "families/cubic/CubicIsotherm.h"
#include "fluid/CriticalPoints.h"
#include "fluid/Standard.h"
#include "fluid/VenturiInteraction.h"
#include "platform/LogSink.h"

namespace {

struct SRK1Row {
    const char* names[2];
    double Tc, Pc, omega, mw, Tcrit, Vcrit, Tsat;  // Tsat 0: none
};

const SRK1Row kRows[] = {
    {{"H2O", nullptr}, kWaterCritical.T, kWaterCritical.P, 0.344, 0.018015268, 649, 7e-05, 0},
    {{"CO2", nullptr}, 304.21, 7382500, 0.225, 0.0440098, 307, 8e-05, 0},
    {{"H2S", nullptr}, 373.2, 8820000, 0.105, 0.03408, 375, 9.85e-05, 0},
    {{"CH4", nullptr}, 190.555, 4595000, 0.013, 0.016043, 192, 0.0001, 100},
    {{"C2H6", "C2"}, 305.4, 4820000, 0.105, 0.03, 307, 0.000175, 250},
    {{"C3", "C3H8"}, 369.95, 4190000, 0.152, 0.04409, 371, 0.000203, 0},
    {{"iC4", "iC4H10"}, 408.8, 3592000, 0.176, 0.05812, 410, 0.000259, 0},
    {{"nC4", "nC4H10"}, 425.2, 3750000, 0.193, 0.05812, 427, 0.000255, 0},
    {{"nC5", "nC5H12"}, 469.7, 3325000, 0.251, 0.07215, 471, 0.000305, 0},
    {{"nC6", "nC6H14"}, 507.4, 2975000, 0.296, 0.08618, 509, 0.00037, 0},
    {{"nC7", "nC7H16"}, 540.3, 2698000, 0.351, 0.1002, 542, 0.000432, 0},
    {{"nC8", "nC8H18"}, 568.8, 2462000, 0.394, 0.11423, 570, 0.000492, 0},
    {{"nC9", "nC9H20"}, 594.7, 2250000, 0.444, 0.12826, 596, 0.000548, 0},
    {{"nC10", "nC10H22"}, 617.9, 2072000, 0.49, 0.14229, 619, 0.000603, 0},
};

const SRK1Row* findRow(const char* name) {
    for (const SRK1Row& r : kRows)
        for (const char* n : r.names)
            if (n && std::strcmp(n, name) == 0) return &r;
    return nullptr;
}

}  // namespace

SRK1::SRK1(int phaseKind, char withVenturi_) : FluidPhase(2, phaseKind, withVenturi_) {
    interactions[0] = new VdWr1();
    interactions[1] = new Soave1();
    validity = cubic::kCubicRange;
    // The ideal gas of the components' standard-state data: the terms give
    // the residual part alone.
    ideal = new Standard();
    Vl0 = 2e-05;
    Vv0 = 0.002;
    setModelName("SRK1");
}

void SRK1::number_of_components(int n) { FluidPhase::number_of_components(n); }

int SRK1::stablePressureRootCount(double T_, double P_bar, double* roots) {
    return cubic::stableRootCountOfTerms(*this, *attraction(), T_, P_bar, roots);
}

void SRK1::calculate_molar_volume() {
    if (!pureKindRoot()) FluidPhase::calculate_molar_volume();
}

bool SRK1::pureKindRoot() {
    if (component_count != 1 || (phase_kind != 1 && phase_kind != 2) || interactions.size() != 2 || T_shift != 0.0 ||
        P_shift != 0.0 || capillary_mode != 0 || !(T > 0.0) || !(P > 0.0) || !std::isfinite(T * P) ||
        termRefusesState())
        return false;
    Soave1& t = *attraction();
    cubic::evaluateAttractionAt(t, T, P * 1e-5);
    const double a = t.a->value, b = t.b->value;
    if (Expression::sError || !(a > 0.0) || !(b > 0.0) || !std::isfinite(a * b) || b != coVolume()) return false;
    // Z^3 - Z^2 + (A - B - B^2) Z - A B = 0
    const double A = a * P / (cubic::R2 * T * T), B = b * P / (cubic::R * T);
    const double coef[4] = {-A * B, A - B - B * B, -1.0, 1.0};
    double kept[3];
    const int nk = cubic::rootsAboveCovolume(coef, B, kept);
    if (nk == 0) return false;
    // The kind's root first: the smallest for the liquid, the largest for
    // the vapour (at a critical point, where the three roots meet within
    // rounding, one of them may have a slope of the wrong sign: the next).
    const bool vapour = phase_kind == 1;
    for (int i = 1; i < nk; ++i)
        for (int k = i; k > 0 && (vapour ? kept[k] > kept[k - 1] : kept[k] < kept[k - 1]); --k)
            std::swap(kept[k], kept[k - 1]);
    errorflag = 0;
    if (nk == 1) {
        double Tc = 0.0, Pc = 0.0, Vc = 0.0;
        if (!modelCriticalPoint(Tc, Pc, &Vc)) return false;
        const int side = kept[0] * cubic::R * T / P > Vc ? 1 : 2;
        if (T < Tc && side != phase_kind) {
            errorflag = 1;
            return true;
        }
    }
    for (int k = 0; k < nk; ++k)
        if (takeRootAsItStands(kept[k] * cubic::R * T / P)) return true;
    errorflag = 0;
    calculateMolarVolumeFrom(kept[0] * cubic::R * T / P);
    if (!errorflag) return true;
    errorflag = 0;
    return false;
}

void SRK1::read_component_data(int i, const char* name) {
    if (i < 0 || i >= component_count || !name) return;
    readIdealComponentData(ideal, name);
    double Tc = 0.0, Pc = 0.0, omega = 0.0;
    if (const SRK1Row* r = findRow(name)) {
        Tc = r->Tc;
        Pc = r->Pc;
        omega = r->omega;
        molar_mass[i] = r->mw;
        cubic::keepCriticalStart(critical_T, critical_V, i, r->Tcrit, r->Vcrit);
        if (r->Tsat > 0) Tmin = r->Tsat;
    } else {
        // Without its critical constants and acentric factor the component
        // has no parameters (Soave's m comes from omega).
        if (!cubic::readCorrespondingStates(name, "SRK1", "Cannot open %s file !\n", Tc, Pc, omega, molar_mass[i]))
            return;
        cubic::keepCriticalStart(critical_T, critical_V, i, Tc, cubic::kSrkZc * cubic::R * Tc / Pc);
    }
    const double b = cubic::kSrkBFactor * Tc / Pc;
    const double m = 0.48 + 1.574 * omega - 0.176 * omega * omega;
    const double ac = cubic::kSrkAcFactor * Tc * Tc / Pc;
    attraction()->set_ai_parameters(i, ac, m, Tc);
    attraction()->set_covolume(i, b);
    repulsion()->set_covolume(i, b);
    if (i == component_count - 1) read_BIP();
    if (withVenturi) {
        auto* v = static_cast<VenturiInteraction*>(interactions[nInteractions - 1]);
        if (v->coefficients.size() == molar_mass.size()) v->coefficients = molar_mass;
    }
}

int SRK1::closedFormRoots(double T_, double P_bar, ClosedFormRoot roots[2]) {
    return cubic::termCubicRoots(*this, *attraction(), *repulsion(), T_, P_bar, roots);
}

int SRK1::closedFormResidualTerms(double T_, double V_, TermInClosedForm terms[2]) {
    return cubic::termResidualInClosedForm(*this, *attraction(), *repulsion(), T_, V_, terms);
}
int SRK1::closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2], double* lnPhi,
                                 bool sameT) {
    return cubic::quadraticMixtureRoots(*this, *attraction(), *repulsion(), mixturePairs_, T_, P_bar, x_, roots, lnPhi,
                                        sameT);
}

bool SRK1::closedFormMixtureTerms(double T_, double V_, bool sameT) {
    return cubic::quadraticMixtureResidual(*this, *attraction(), *repulsion(), mixturePairs_, T_, V_, sameT);
}

double SRK1::closedFormMixturePressure(double T_, double V_, const double* x_) {
    return cubic::quadraticMixturePressure(*this, *attraction(), *repulsion(), pressurePairs_, T_, V_, x_);
}

void SRK1::set_binary_interaction_kaij(int i, int j, double k) {
    if (i < j) std::swap(i, j);
    attraction()->set_binary_interaction_kaij(i, j, k);
}

void SRK1::set_binary_interaction_kbij(int i, int j, double k) {
    if (i < j) std::swap(i, j);
    if (i < 0 || j < 0 || i >= component_count) return;
    attraction()->set_binary_interaction_kbij(i, j, k);
    VdWr1* r = repulsion();
    const int t = VdWr1::at(i, j);
    r->kbij[t] = k;
    r->bij[t] = 0.5 * (r->covolumes[i] + r->covolumes[j]) * (1.0 - k);
}

void SRK1::read_BIP() {
    cubic::forEachBuiltInPair(component_names, component_count, [this](int i, int j, double k) {
        set_binary_interaction_kaij(j, i, k);
        set_binary_interaction_kbij(j, i, 0.0);
    });
}

void SRK1::tune(double* p) {
    if (!p || component_count < 2) return;
    attraction()->set_binary_interaction_kaij(1, 0, p[0]);
    set_binary_interaction_kbij(1, 0, p[1]);
}
