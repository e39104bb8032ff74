#include "families/kreglewski/HCB2.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

HCB2::HCB2() {
    setModelName("Hard Convex Bodies Interaction (2 components)");
    T_.index = 0;
    V_.index = 1;
    x1_.index = 2;
    x2_.index = 3;
    mT.tie1(T_);
    core.build(mT, x1_, x2_);
    packing.build(V_, core.V0);
    logdzeta.tie1(packing.mdzeta);
    logdzeta.set_scalars3(1.0, 1.0, 0.0);
    alpha.tie2(x1_, x2_);
    alpha.set_scalars3(1.0, 1.0, 0.0);
    alphaSq.tie1(alpha);
    alpha21.tie1(alphaSq);
    alpha21.set_scalars2(1.0, -1.0);
    alpha23.tie2(alphaSq, alpha);
    alpha23.set_scalars3(1.0, 3.0, 0.0);
    A0.tie2(alpha21, logdzeta);
    A100.tie2(alpha23, packing.dzeta);
    A101.tie2(alpha, packing.dzeta2);
    A10.tie2(A100, A101);
    A10.set_scalars3(1.0, -3.0, 0.0);
    A1.tie2(A10, packing.A11);

    const struct {
        Expression* e;
        const char* n;
    } names[] = {{&T_, "T_"},         {&V_, "V_"},         {&x1_, "x1_"},       {&x2_, "x2_"},
                 {&mT, "mT"},         {&logdzeta, "logdzeta"}, {&alpha, "alpha"}, {&alphaSq, "alphaSq"},
                 {&alpha21, "alpha21"}, {&alpha23, "alpha23"}, {&A0, "A0"},      {&A100, "A100"},
                 {&A101, "A101"},     {&A10, "A10"},       {&A1, "A1"}};
    for (const auto& p : names) p.e->setName(p.n);

    root = packing.root(A0, A1);
    setDebugLink();
}

HCB2::~HCB2() {
    delete root;
    root = nullptr;
}

void HCB2::number_of_components(int n) {
    sizeForComponents(n, 2);
}

void HCB2::set_parameters_of_component(int i, double alpha_, double V00, double u0, double C) {
    if (i == 0 || i == 1) {
        parameters[3 * i] = alpha_;
        parameters[3 * i + 1] = V00;
        parameters[3 * i + 2] = u0;
    }
    parameters[6] = C;
}

void HCB2::finalize_parameters() {
    const double C = parameters[6], k12 = parameters[7];
    core.set(parameters[1], parameters[2], parameters[4], parameters[5], C, k12);
    alpha.set_scalars3(parameters[0], parameters[3], 0.0);
    constants_ = {true, {parameters[0], parameters[3]}, {parameters[1], parameters[4]}, {parameters[2], parameters[5]},
                  C, k12};
    ++version_;
    calculated = 0;
}

const HCB2::AtComposition& HCB2::atComposition() {
    const Constants& c = constants_;
    const kreglewski::StateKey key = kreglewski::keyOf(*this, version_, false);
    AtComposition& at = atComposition_;
    if (!(at.key == key)) {
        const double V0 = kreglewski::binaryCoreVolumeValue(cores_.at(c.V00, c.u0, c.C, T), c.k12, x[0], x[1]);
        at = {key, c.alpha[0] * x[0] + c.alpha[1] * x[1], kHCBPacking * V0};
    }
    return at;
}

bool HCB2::volumeSearchAnswer(double& a, double& aV, double& aVV) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set)) return false;
    const AtComposition& at = atComposition();
    const double xi = at.packing / V;
    double f = 0.0, fq = 0.0, fqq = 0.0;
    kreglewski::hardBodyInXi(at.alpha, xi, fq, fqq, &f);
    kreglewski::throughInverseVolume(V, xi, f, fq, fqq, a, aV, aVV);
    // The ideal gas's -ln V.
    a -= std::log(V);
    aV -= 1.0 / V;
    aVV += 1.0 / (V * V);
    return kreglewski::finite(a, aV, aVV);
}

double HCB2::compressibilityAt(double V_, double* dZdV_) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set, false) || !(V_ > 0.0)) return std::nan("");
    const AtComposition& at = atComposition();
    // Z = -V dA/dV = 1 + xi dF/dxi.
    double dZdV = 0.0;
    const double z = kreglewski::hardBodyCompressibility(at.alpha, at.packing, V_, dZdV);
    if (dZdV_) *dZdV_ = dZdV;
    return z;
}

bool HCB2::compressibilityTerms(double& alpha_, double& packing_) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set, false)) return false;
    const AtComposition& at = atComposition();
    alpha_ = at.alpha;
    packing_ = at.packing;
    return true;
}

bool HCB2::secondOrderAnswer() {
    const kreglewski::SecondOrder* a = secondOrderAt(V);
    return a && kreglewski::answerInto(*this, *a);
}

const kreglewski::SecondOrder* HCB2::secondOrderAt(double V_) {
    return kreglewski::keptSecondOrder(*this, constants_.set, version_, V_, kept_, [&] {
        const Constants& c = constants_;
        kreglewski::SecondOrder alphaOf;
        alphaOf.v = c.alpha[0] * x[0] + c.alpha[1] * x[1];
        alphaOf.g[2] = c.alpha[0];
        alphaOf.g[3] = c.alpha[1];
        const kreglewski::SecondOrder xi = kreglewski::overVolume(
            kreglewski::binaryCoreVolume(cores_.at(c.V00, c.u0, c.C, T), c.k12, x[0], x[1]), kHCBPacking, V_);
        kreglewski::SecondOrder a = kreglewski::compose(kreglewski::hardBody(alphaOf.v, xi.v), alphaOf, xi);
        a.v -= std::log(V_);
        a.g[1] -= 1.0 / V_;
        a.h[1][1] += 1.0 / (V_ * V_);
        return a;
    });
}

bool HCB2::firstOrderAt(double V_, kreglewski::FirstOrder& a) {
    if (!kreglewski::readyForClosedForm(*this, constants_.set, false) || !(V_ > 0.0)) return false;
    const Constants& c = constants_;
    const kreglewski::StateKey key = kreglewski::keyOf(*this, version_, false);
    if (!(coreGradient_.key == key))
        coreGradient_ = {key, kreglewski::binaryCoreVolumeGradient(cores_.at(c.V00, c.u0, c.C, T), c.k12, x[0], x[1])};
    const kreglewski::FirstOrder xi = kreglewski::overVolumeFirst(coreGradient_.V0, kHCBPacking, V_);
    // (secondOrderAt's chain rule: alpha has no V derivative, its x derivatives are the components')
    const kreglewski::TwoArgument f = kreglewski::hardBody(c.alpha[0] * x[0] + c.alpha[1] * x[1], xi.v);
    a.v = f.f - std::log(V_);
    a.g[0] = 0.0;
    a.g[1] = f.q * xi.g[1] - 1.0 / V_;
    for (int i = 0; i < 2; ++i) a.g[2 + i] = f.p * c.alpha[i] + f.q * xi.g[2 + i];
    return std::isfinite(a.v) && std::isfinite(a.g[1]) && std::isfinite(a.g[2]) && std::isfinite(a.g[3]);
}

double HCB2::getVolumeMinimum() {
    if (!(T > 0.0) || x.size() < 2) return 0.0;
    // Asked at every evaluation of the pressure: kept for its T, composition and parameters.
    KeptMinimum& k = keptMinimum_;
    const double p[6] = {parameters[1], parameters[2], parameters[4], parameters[5], parameters[6], parameters[7]};
    if (k.T == T && k.x1 == x[0] && k.x2 == x[1] && std::equal(p, p + 6, k.p)) return k.V0;
    const double C = parameters[6], k12 = parameters[7];
    const double V01 = hcbCoreVolume(parameters[1], parameters[2], C, T);
    const double V02 = hcbCoreVolume(parameters[4], parameters[5], C, T);
    const double V012 = 0.5 * k12 * (V01 + V02);
    k = {T, x[0], x[1], {p[0], p[1], p[2], p[3], p[4], p[5]},
         x[0] * x[0] * V01 + 2.0 * x[0] * x[1] * V012 + x[1] * x[1] * V02};
    return k.V0;
}

void HCB2::set_parameters(double alpha1, double V001, double u01, double alpha2, double V002, double u02, double C,
                          double k12_) {
    const double p[8] = {alpha1, V001, u01, alpha2, V002, u02, C, k12_};
    for (int i = 0; i < 8; i++) parameters[i] = p[i];
    finalize_parameters();
}
