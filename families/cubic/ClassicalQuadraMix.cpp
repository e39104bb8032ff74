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

void ClassicalQuadraMix::calculate_mixing_parameters() {
    const int n = n_;
    a = b = dadT = d2adT2 = c = dcdT = 0.0;
    for (int i = 0; i < n; i++) {
        double sa = 0.0, sb = 0.0, saT = 0.0;
        for (int j = 0; j < n; j++) {
            const int k = i * n + j;
            sa += x[j] * aij[k];
            sb += x[j] * bij[k];
            saT += x[j] * daijdT[k];
            a += x[i] * x[j] * aij[k];
            b += x[i] * x[j] * bij[k];
            dadT += x[i] * x[j] * daijdT[k];
            d2adT2 += x[i] * x[j] * d2aijdT2[k];
            twoaij[k] = 2.0 * aij[k];
            twobij[k] = 2.0 * bij[k];
        }
        abar[i] = 2.0 * sa;
        bbar[i] = 2.0 * sb;
        abarT[i] = 2.0 * saT;
        c += x[i] * ci[i];
        dcdT += x[i] * c1[i];
    }
    a_b = a / b;
    dadT_b = dadT / b;
    for (int i = 0; i < n; i++) {
        D[i] = (abar[i] - a * bbar[i] / b) / b;
        DT[i] = (abarT[i] - dadT * bbar[i] / b) / b;
    }
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++)
            Q[i * n + j] = (2.0 * aij[i * n + j] - (bbar[j] * abar[i] + bbar[i] * abar[j] + 2.0 * a * bij[i * n + j]) / b +
                            2.0 * a * bbar[i] * bbar[j] / (b * b)) /
                           b;
}

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
