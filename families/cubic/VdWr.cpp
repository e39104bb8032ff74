#include "families/cubic/VdWr.h"

#include <cmath>

#include "families/cubic/CubicData.h"

VdWr::VdWr() {
    setModelName("VdWr");
    A1.set_scalars3(1.0, 1.0, 0.0);
    A1.setName("VdWr-A1");
    Vleaf.setName("V");
}

VdWr::~VdWr() { releaseTree(); }

void VdWr::releaseTree() {
    delete root;  // no parent links the root
    root = nullptr;
    // "b" and the nodes below it go with the sum's link.
    Expression::relink(A1.v, nullptr);
    b = nullptr;
}

void VdWr::build_parse_graph() {
    auto* lg = new Logarithm();
    lg->setName("A");
    lg->set_scalars3(-1.0, 0.0, 0.0);
    lg->tie1(A1);
    A1.tiep2(&Vleaf, b);
    A1.set_scalars3(1.0, -1.0, 0.0);
    root = lg;
    setDebugLink();
}

void VdWr::number_of_components(int n) {
    Interaction::number_of_components(n);
    if (n < 1) return;
    diameters.assign(n, 0.0);
    covolumes.assign(n, 0.0);
    root->number_of_variables(n + 2);
    Vleaf.flags[0] = 0;
    for (int i = 0; i < n; i++) Vleaf.flags[2 + i] = 0;
}

void VdWr::calculate_volume_dependent_parameters() {
    Vleaf.value = V;
    Vleaf.d1[1] = 1.0;
    // A component without its co-volume (its data were refused or its file
    // is missing) leaves the model without its parameters, and the mixture's
    // pair co-volumes unset: no state, rather than the ideal gas of a zero
    // co-volume or the parameters of other components.
    for (int i = 0; i < component_count; i++)
        if (!(covolumes[i] > 0.0)) termError = 1;
}


void VdWr::set_covolume(int i, double bi) {
    if (!validIndex(i)) return;
    covolumes[i] = bi;
    diameters[i] = std::cbrt(cubic::kCovolumeToDiameter3 * bi);
    if (i == component_count - 1) apply_mixing_rules();
}

void VdWr::set_hard_sphere_diameter(int i, double sigma) {
    if (!validIndex(i)) return;
    diameters[i] = sigma;
    covolumes[i] = cubic::kDiameter3ToCovolume * sigma * sigma * sigma;
    if (i == component_count - 1) apply_mixing_rules();
}

