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
}

void ClassicalQuadraMix::set_binary_interaction_kbij(int i, int j, double k) {
    if (i < 0 || j < 0 || i >= n_ || j >= n_) return;
    kbij[i * n_ + j] = kbij[j * n_ + i] = k;
}

void ClassicalQuadraMix::read_BIP() {
    for (int i = 0; i < component_count; i++)
        for (int j = i + 1; j < component_count; j++) {
            double k;
            if (cubic::builtInPairKaij(component_names[i], component_names[j], k)) {
                set_binary_interaction_kaij(i, j, k);
                set_binary_interaction_kbij(i, j, 0.0);
            }
        }
}

void ClassicalQuadraMix::calculate_mixing_parameters() { quadraticMixing(); }

void ClassicalQuadraMix::print_parameters(std::FILE* f) {
    refresh_parameters();
    for (int i = 0; i < n_; i++) {
        std::fprintf(f, "(i=%d) bi %lg ai %lg\n", i, bij[i * n_ + i], aij[i * n_ + i]);
        for (int j = 0; j <= i; j++)
            std::fprintf(f, "(i=%d,j=%d) aij %lg  bpa %lg  bij %lg bpb %lg\n", i, j, aij[i * n_ + j], kaij[i * n_ + j],
                         bij[i * n_ + j], kbij[i * n_ + j]);
    }
    std::fprintf(f, "a %lg  b %lg\n\n", a, b);
}
