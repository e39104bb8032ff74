#include "families/cubic/Schmidt0.h"

#include <cmath>

#include "families/cubic/CubicData.h"

Schmidt0::Schmidt0(double u_, double w_) : u(u_), w(w_), delta(u_ * u_ - 4.0 * w_) { setModelName("Schmidt0"); }

Schmidt0::~Schmidt0() { releaseTree(); }

void Schmidt0::build_parse_graph() {
    const double sd = std::sqrt(delta);
    auto* A = new Product();
    A->setName("A");
    A->set_scalars1(1.0);
    mRT.setName("mRT");
    twoV.setName("twoV");
    A0.setName("A0");
    ab.setName("ab");
    A1.setName("A1");
    A2.setName("A2");
    A3.setName("A3");
    A4.setName("A4");
    A->tie2(mRT, A0);
    A0.tie2(ab, A1);
    ab.tiep2(a, b);
    A1.tie1(A2);
    A1.set_scalars3(1.0 / sd, 0.0, 0.0);
    A2.tie2(A3, A4);
    A3.tiep2(&twoV, b);
    A3.set_scalars3(1.0, u - sd, 0.0);
    A4.tiep2(&twoV, b);
    A4.set_scalars3(1.0, u + sd, 0.0);
    root = A;
    setDebugLink();
}

void Schmidt0::releaseTree() {
    delete root;  // no parent links the root
    root = nullptr;
    // "a" and "b" (and every node below them) go with their last link.
    Expression::relink(A3.v, nullptr);
    Expression::relink(A4.v, nullptr);
    Expression::relink(ab.u, nullptr);
    Expression::relink(ab.v, nullptr);
    a = b = nullptr;
}

void Schmidt0::number_of_components(int n) {
    sizeForComponents(n, 0, [this, n] {
        mRT.flags[1] = 0;
        twoV.flags[0] = 0;
        for (int i = 0; i < n; i++) mRT.flags[2 + i] = twoV.flags[2 + i] = 0;
        specify_dependencies();
    });
}

void Schmidt0::calculate_fixed_parameters() {
    const double R = cubic::R;
    const double t = T;
    mRT.value = 1.0 / (R * t);
    mRT.d1[0] = -1.0 / (R * t * t);
    mRT.d2[0][0] = 2.0 / (R * t * t * t);
    mRT.d3[0][0][0] = -6.0 / (R * t * t * t * t);
    mRT.d4[0][0][0][0] = 24.0 / (R * t * t * t * t * t);
}

void Schmidt0::calculate_volume_dependent_parameters() {
    twoV.value = 2.0 * V;
    twoV.d1[1] = 2.0;
}
