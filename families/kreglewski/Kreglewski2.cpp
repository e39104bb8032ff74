#include "families/kreglewski/Kreglewski2.h"

#include <cmath>
#include <cstdio>

Kreglewski2::Kreglewski2() {
    setModelName("Kreglewski Interaction for 2-components mixture");
    T_.index = 0;
    V_.index = 1;
    x1_.index = 2;
    x2_.index = 3;
    mT.tie1(T_);
    mT2.tie1(mT);
    mV.tie1(V_);
    core.build(mT, x1_, x2_);
    xg.tie2(x1_, x2_);
    xg.set_scalars3(1.0, 1.0, 0.0);
    phi1.tie2(x1_, xg);
    phi2.tie2(x2_, xg);
    phi11.tie1(phi1);
    phi22.tie1(phi2);
    phi12.tie2(phi1, phi2);
    u11.tie1(mT);
    u22.tie1(mT);
    u12.tie2(mT, mT2);
    u11.set_scalars2(0.0, 0.0);
    u22.set_scalars2(0.0, 0.0);
    u12.set_scalars3(0.0, 0.0, 0.0);
    phie11.tie2(phi11, u11);
    phie12.tie2(phi12, u12);
    phie22.tie2(phi22, u22);
    ss.number_of_terms(3);
    ss.tie_(&phie11, &phie12, &phie22);
    ss.set_scalars_(1.0, 2.0, 1.0, 0.0);
    u1.tie2(xg, ss);
    u.tie2(u1, mT);

    const struct {
        Expression* e;
        const char* n;
    } names[] = {{&T_, "T_"},       {&V_, "V_"},         {&x1_, "x1_"},       {&x2_, "x2_"},
                 {&mT, "mT"},       {&mT2, "mT2"},       {&mV, "mV"},         {&xg, "xg"},
                 {&phi1, "phi1"},   {&phi2, "phi2"},     {&phi11, "phi11"},   {&phi22, "phi22"},
                 {&phi12, "phi12"}, {&u11, "u11"},       {&u22, "u22"},       {&u12, "u12"},
                 {&phie11, "phie11"}, {&phie12, "phie12"}, {&phie22, "phie22"}, {&ss, "ss"},
                 {&u1, "u1"},       {&u, "u"}};
    for (const auto& p : names) p.e->setName(p.n);

    root = series.build(u, core.V0, mV);
    setDebugLink();
}

Kreglewski2::~Kreglewski2() {
    delete root;
    root = nullptr;
}

void Kreglewski2::number_of_components(int n) {
    sizeForComponents(n, 2);
}

void Kreglewski2::set_parameters_of_component(int i, double V00, double u0, double eta, double C) {
    if (i == 0 || i == 1) {
        parameters[3 * i] = V00;
        parameters[3 * i + 1] = u0;
        parameters[3 * i + 2] = eta;
    }
    parameters[6] = C;
}

void Kreglewski2::set_binary_parameters(double kv, double a12, double b12, double xi12) {
    parameters[7] = kv;
    parameters[8] = a12;
    parameters[9] = b12;
    parameters[10] = xi12;
}

void Kreglewski2::finalize_parameters() {
    const double V001 = parameters[0], u01 = parameters[1], eta1 = parameters[2];
    const double V002 = parameters[3], u02 = parameters[4], eta2 = parameters[5];
    const double C = parameters[6], kv = parameters[7], a12 = parameters[8], b12 = parameters[9],
                 xi12 = parameters[10];
    // A component without data keeps the neutral ratio instead of a NaN.
    r = (V001 > 0.0 && V002 > 0.0) ? std::pow(V002 / V001, 1.0 / 3.0) : 1.0;
    const double r2 = r * r;
    const double ub12 = (u01 > 0.0 && u02 > 0.0) ? 2.0 * xi12 / (1.0 / u01 + r2 / u02) : 0.0;
    core.set(V001, u01, V002, u02, C, kv);
    xg.set_scalars3(1.0, r2, 0.0);
    phi2.set_scalars1(r2);
    u11.set_scalars2(u01 * eta1, u01);
    u22.set_scalars2(u02 * eta2 / r2, u02 / r2);
    u12.set_scalars3(ub12 * a12, ub12 * b12 * b12, ub12);
    kreglewski::ReducedEnergy e;
    e.u11 = u01;
    e.eta11 = eta1;
    e.u12 = r2 * ub12;
    e.a12 = a12;
    e.bb12 = b12 * b12;
    e.u22 = r2 * u02;
    e.eta22 = eta2;
    e.r2 = r2;
    constants_ = {true, {V001, V002}, {u01, u02}, C, kv, e};
    ++version_;
    calculated = 0;
}

const Kreglewski2::AtComposition& Kreglewski2::atComposition() {
    const Constants& c = constants_;
    const kreglewski::StateKey key = kreglewski::keyOf(*this, version_, false);
    AtComposition& at = atComposition_;
    if (!(at.key == key))
        at = {key, kreglewski::SeriesInW(c.energy.value(T, x[0], x[1])),
              kreglewski::binaryCoreVolumeValue(cores_.at(c.V00, c.u0, c.C, T), c.kv, x[0], x[1])};
    return at;
}

bool Kreglewski2::volumeSearchAnswer(double& a, double& aV, double& aVV) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set)) return false;
    const AtComposition& at = atComposition();
    const double w = at.V0 / V;
    double s = 0.0, sw = 0.0, sww = 0.0;
    at.series.inW(w, s, sw, sww);
    kreglewski::throughInverseVolume(V, w, s, sw, sww, a, aV, aVV);
    return kreglewski::finite(a, aV, aVV);
}

double Kreglewski2::compressibilityAt(double V_, double* dZdV_) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set, false) || !(V_ > 0.0)) return std::nan("");
    const AtComposition& at = atComposition();
    // Z = -V dA/dV = w dS/dw.
    double dZdV = 0.0;
    const double z = at.series.compressibility(at.V0, V_, dZdV);
    if (dZdV_) *dZdV_ = dZdV;
    return z;
}

const kreglewski::SeriesInW* Kreglewski2::compressibilityTerms(double& V0_) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set, false)) return nullptr;
    const AtComposition& at = atComposition();
    V0_ = at.V0;
    return &at.series;
}

bool Kreglewski2::secondOrderAnswer() {
    const kreglewski::SecondOrder* a = secondOrderAt(V);
    return a && kreglewski::answerInto(*this, *a);
}

const kreglewski::SecondOrder* Kreglewski2::secondOrderAt(double V_) {
    return kreglewski::keptSecondOrder(*this, constants_.set, version_, V_, kept_, [&] {
        const Constants& c = constants_;
        const kreglewski::SecondOrder u = c.energy.at(T, x[0], x[1]);
        const kreglewski::SecondOrder w = kreglewski::overVolume(
            kreglewski::binaryCoreVolume(cores_.at(c.V00, c.u0, c.C, T), c.kv, x[0], x[1]), 1.0, V_);
        // (the series in V0/V of the volume searches at this T and composition)
        return kreglewski::compose(atComposition().series.at(w.v), u, w);
    });
}

bool Kreglewski2::firstOrderAt(double V_, kreglewski::FirstOrder& a) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set, false) || !(V_ > 0.0)) return false;
    const Constants& c = constants_;
    const kreglewski::StateKey key = kreglewski::keyOf(*this, version_, false);
    if (!(gradients_.key == key))
        gradients_ = {key, c.energy.gradient(T, x[0], x[1]),
                      kreglewski::binaryCoreVolumeGradient(cores_.at(c.V00, c.u0, c.C, T), c.kv, x[0], x[1])};
    const kreglewski::FirstOrder w = kreglewski::overVolumeFirst(gradients_.V0, 1.0, V_);
    // (secondOrderAt's chain rule: u/T has no V derivative)
    const kreglewski::TwoArgument s = atComposition().series.firstAt(w.v);
    a.v = s.f;
    a.g[0] = 0.0;
    a.g[1] = s.q * w.g[1];
    for (int i = 0; i < 2; ++i) a.g[2 + i] = s.p * gradients_.u.x[i] + s.q * w.g[2 + i];
    return std::isfinite(a.v) && std::isfinite(a.g[1]) && std::isfinite(a.g[2]) && std::isfinite(a.g[3]);
}

void Kreglewski2::set_parameters(double V001, double u01, double eta1, double V002, double u02, double eta2,
                                 double kv, double a12, double b12, double xi12, double C) {
    const double p[11] = {V001, u01, eta1, V002, u02, eta2, C, kv, a12, b12, xi12};
    for (int i = 0; i < 11; i++) parameters[i] = p[i];
    finalize_parameters();
}
