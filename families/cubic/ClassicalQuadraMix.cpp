#include "families/cubic/ClassicalQuadraMix.h"

#include "families/cubic/CubicData.h"

void ClassicalQuadraMix::number_of_components(int n) {
    if (n < 1) return;
    kaij.assign(static_cast<std::size_t>(n) * n, 0.0);
    kbij.assign(static_cast<std::size_t>(n) * n, 0.0);
}

void ClassicalQuadraMix::set_binary_interaction_kaij(int i, int j, double k) {
    if (i < 0 || j < 0 || i >= n_ || j >= n_) return;
    kaij[i * n_ + j] = kaij[j * n_ + i] = k;
    parametersChanged();
}

void ClassicalQuadraMix::set_binary_interaction_kbij(int i, int j, double k) {
    if (i < 0 || j < 0 || i >= n_ || j >= n_) return;
    kbij[i * n_ + j] = kbij[j * n_ + i] = k;
    parametersChanged();
}

void ClassicalQuadraMix::read_BIP() {
    cubic::forEachBuiltInPair(component_names, component_count, [this](int i, int j, double k) {
        set_binary_interaction_kaij(i, j, k);
        set_binary_interaction_kbij(i, j, 0.0);
    });
}

void ClassicalQuadraMix::calculate_mixing_parameters() { quadraticMixing(); }

void ClassicalQuadraMix::print_parameters(std::FILE* f) {
    refresh_parameters();
    printPairs(f, kaij, kbij);
}
