#include "families/anderko/Boublik.h"
#include "platform/LogSink.h"

#include <cmath>
#include <cstdio>

Boublik::Boublik() {
    me.tiep1(&eta);
    me.set_scalars2(-1.0, 1.0);
    ime.tiep1(&me);
    ime2.tiep1(&ime);
    lme.tiep1(&me);
    DE.tiep2(&D, &E);
    f2.tiep1(&F);
    E3.tiep1(&E);
    DEF.tiep2(&DE, &F);
    E3F2.tiep2(&E3, &f2);
    DEFe.tiep2(&DEF, &eta);
    a0.tiep2(&DEFe, &E3F2);
    a0.set_scalars3(3.0, -1.0, 0.0);
    a2.tiep1(&E3F2);
    a2.set_scalars2(1.0, -1.0);
    A0.tiep2(&a0, &ime);
    A1.tiep2(&E3F2, &ime2);
    A2.tiep2(&a2, &lme);

    auto* A = new Sum();
    A->number_of_terms(4);
    A->tie_(&mlogV, &A0, &A1, &A2);
    A->set_scalars_(1.0, 1.0, 1.0, 1.0, 0.0);
    root = A;

    D.setName("D");
    E.setName("E");
    F.setName("F");
    eta.setName("eta");
    mlogV.setName("mlogV");
    me.setName("me");
    ime.setName("ime");
    ime2.setName("ime2");
    lme.setName("lme");
    DE.setName("DE");
    f2.setName("f2");
    E3.setName("E3");
    DEF.setName("DEF");
    E3F2.setName("E3F2");
    DEFe.setName("DEFe");
    a0.setName("a0");
    a2.setName("a2");
    A0.setName("A0");
    A1.setName("A1");
    A2.setName("A2");
    A->setName("A");
    setModelName("Boublik Hard Spheres");
    setDebugLink();
}

Boublik::~Boublik() {
    delete root;  // no parent links the root; the members go with the object
    root = nullptr;
}

void Boublik::number_of_components(int n) {
    sizeForComponents(n, 0, [this, n] {
        covolumes.assign(n, 0.0);
        diameters.assign(n, 0.0);
        D.flags[0] = D.flags[1] = 0;
        E.flags[0] = E.flags[1] = 0;
        F.flags[0] = F.flags[1] = 0;
        eta.flags[0] = 0;
        mlogV.flags[0] = 0;
        for (int i = 0; i < n; i++) mlogV.flags[2 + i] = 0;
    });
}

static bool listFits(const char* what, std::size_t given, int n) {
    if (n > 0 && given == static_cast<std::size_t>(n)) return true;
    platform::diagf("Boublik: %zu %s given for %d components\n", given, what, n);
    return false;
}

bool Boublik::set_parameters(std::span<const double> b) {
    if (!listFits("covolumes", b.size(), component_count)) return false;
    int i = 0;
    for (double bi : b) {
        covolumes[i] = bi;
        diameters[i] = std::cbrt(kCovolumeToDiameter3 * bi);
        i++;
    }
    calculated = 0;
    return true;
}

bool Boublik::set_hard_sphere_diameters(std::initializer_list<double> d) {
    if (!listFits("diameters", d.size(), component_count)) return false;
    int i = 0;
    for (double di : d) set_hard_sphere_diameter(i++, di);
    return true;
}

void Boublik::set_hard_sphere_diameter(int i, double d) {
    if (i < 0 || i >= component_count) return;
    diameters[i] = d;
    covolumes[i] = kDiameter3ToCovolume * d * d * d;
    calculated = 0;
}

// Without components (an Anderko model whose system was refused) the term has
// no value: every evaluation fails.
void Boublik::calculate_fixed_parameters() {
    if (!readyOrFail(component_count > 0)) return;
    double sD = 0, sE = 0, sF = 0;
    bmix = 0.0;
    for (int i = 0; i < component_count; i++) {
        const double di = diameters[i];
        bmix += x[i] * covolumes[i];
        sD += x[i] * di;
        sE += x[i] * di * di;
        sF += x[i] * di * di * di;
    }
    D.value = sD;
    E.value = sE;
    F.value = sF;
}

// The leaves' V-derivatives of all orders are written with the volume: the
// framework also evaluates the tree to third order without the high-order
// stage (state functions), which must not read entries of an earlier state.
void Boublik::writeVolumeLeaves(bool) {
    const double v1 = 1.0 / V, v2 = v1 * v1, v3 = v2 * v1, v4 = v3 * v1, v5 = v4 * v1;
    mlogV.value = -std::log(V);
    mlogV.d1[1] = -v1;
    mlogV.d2[1][1] = v2;
    mlogV.d3[1][1][1] = -2.0 * v3;
    mlogV.d4[1][1][1][1] = 6.0 * v4;
    for (int i = 0; i < component_count; i++) {
        const int k = 2 + i;
        const double bi = covolumes[i], di = diameters[i];
        eta.d1[k] = 0.25 * bi * v1;
        eta.d2[k][1] = -0.25 * bi * v2;
        eta.d3[k][1][1] = 0.5 * bi * v3;
        eta.d4[k][1][1][1] = -1.5 * bi * v4;
        D.d1[k] = di;
        E.d1[k] = di * di;
        F.d1[k] = di * di * di;
    }
    eta.value = 0.25 * bmix * v1;
    eta.d1[1] = -0.25 * bmix * v2;
    eta.d2[1][1] = 0.5 * bmix * v3;
    eta.d3[1][1][1] = -1.5 * bmix * v4;
    eta.d4[1][1][1][1] = 6.0 * bmix * v5;
}

void Boublik::calculate_volume_dependent_parameters() {
    if (!readyOrFail(component_count > 0)) return;
    writeVolumeLeaves(false);
    // A packing fraction above 1 (or no volume at all) has no hard-sphere fluid.
    if (eta.value > 1.0 || !(V > 0.0)) termError = 1;
}

double Boublik::closePackingVolume() const {
    double b = 0.0;
    for (int i = 0; i < component_count && i < static_cast<int>(covolumes.size()); i++) b += x[i] * covolumes[i];
    return 0.25 * b;
}

void Boublik::calculate_high_order_parameters() {
    if (readyOrFail(component_count > 0)) writeVolumeLeaves(true);
}

void Boublik::test() {
    number_of_components(2);
    T = 300.0;
    V = 2e-05;
    composition(0.8, 0.2);
    set_hard_sphere_diameters(2.33e-10, 4.2e-10);
    checkInteraction();
}
