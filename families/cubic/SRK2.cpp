#include "families/cubic/SRK2.h"

#include <cstdio>

#include "families/cubic/CubicData.h"
#include "fluid/Standard.h"
#include "platform/LogSink.h"

SRK2::SRK2(int phaseKind) : FluidPhase(2, phaseKind, 0) {
    interactions[0] = new VdWr2();
    interactions[1] = new Soave2();
    validity = cubic::kCubicRange;
    ideal = new Standard();
    Vl0 = 3e-05;
    Vv0 = 0.0002;
    setModelName("SRK2");
}

void SRK2::number_of_components(int n) {
    FluidPhase::number_of_components(n);
    Tc.assign(n, 0.0);
    Pc.assign(n, 0.0);
    omega.assign(n, 0.0);
    m.assign(n, 0.0);
    ac.assign(n, 0.0);
    b.assign(n, 0.0);
}

void SRK2::read_component_data(int i, const char* name) {
    if (i < 0 || i >= component_count || !name) return;
    readIdealComponentData(ideal, name);
    // A missing file, or one without the critical constants, the acentric
    // factor or the molar mass, is reported and nothing of it is kept: the
    // component has no parameters.
    if (!cubic::readCorrespondingStates(name, "SRK2", "Cannot open %s file !\n", Tc[i], Pc[i], omega[i],
                                        molar_mass[i]))
        return;
    const double R = cubic::R;
    m[i] = m0 + m1 * omega[i] + m2 * omega[i] * omega[i];
    ac[i] = Omega_a * R * R * Tc[i] * Tc[i] / Pc[i];
    b[i] = Omega_b * R * Tc[i] / Pc[i];
    attraction()->set_ai_parameters(i, ac[i], m[i], Tc[i]);
    repulsion()->set_covolume(i, b[i]);
    attraction()->set_covolume(i, b[i]);
    cubic::keepCriticalStart(critical_T, critical_V, i, Tc[i], cubic::kSrkZc * R * Tc[i] / Pc[i]);
    if (i == component_count - 1) read_BIP();
}

void SRK2::set_binary_interaction_kaij(int i, int j, double k1, double k2, double T0, double dT) {
    if (i < j) std::swap(i, j);
    attraction()->set_binary_interaction_kaij(i, j, k1, k2, T0, dT);
}

void SRK2::set_binary_interaction_kbij(int i, int j, double k1, double k2, double T0, double dT) {
    if (i < j) std::swap(i, j);
    attraction()->set_binary_interaction_kbij(i, j, k1, k2, T0, dT);
    repulsion()->set_binary_interaction_kbij(i, j, k1, k2, T0, dT);
}

void SRK2::read_BIP() {
    cubic::forEachBuiltInPair(component_names, component_count, [this](int i, int j, double k) {
        set_binary_interaction_kaij(j, i, k, k, 300.0, 10.0);
        set_binary_interaction_kbij(j, i, 0.0, 0.0, 300.0, 10.0);
    });
}

std::array<double, 12> SRK2::pairSources() const {
    Soave2& t = *const_cast<SRK2*>(this)->attraction();
    VdWr2& r = *const_cast<SRK2*>(this)->repulsion();
    return {t.ka1, t.ka2, t.T0a, t.dTa, t.kb1, t.kb2, t.T0b, t.dTb, r.c0, r.c1, r.c2, r.c3};
}

int SRK2::closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2], double* lnPhi,
                                 bool sameT) {
    const std::array<double, 12> s = pairSources();
    return cubic::termMixtureRoots(*this, *attraction(), *repulsion(), mixturePairs_,
                                   {s, attraction()->covolumes, repulsion()->covolumes}, T_, P_bar, x_, roots, lnPhi,
                                   sameT);
}

bool SRK2::closedFormMixtureTerms(double T_, double V_, bool sameT) {
    const std::array<double, 12> s = pairSources();
    return cubic::termMixtureResidual(*this, *attraction(), *repulsion(), mixturePairs_,
                                      {s, attraction()->covolumes, repulsion()->covolumes}, T_, V_, sameT);
}

double SRK2::closedFormMixturePressure(double T_, double V_, const double* x_) {
    const std::array<double, 12> s = pairSources();
    return cubic::termMixturePressure(*this, *attraction(), *repulsion(), pressurePairs_,
                                      {s, attraction()->covolumes, repulsion()->covolumes}, T_, V_, x_);
}
