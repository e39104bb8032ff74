#include "families/cubic/QuadraticCubic.h"

QuadraticCubic::QuadraticCubic(double u_, double w_, const char* modelName) : Schmidt0(u_, w_) {
    setModelName(modelName);
    asum = new SumX2();
    bq = new LineaX2();
    a = asum;
    b = bq;
    asum->setName("a");
    bq->setName("b");
}

bool QuadraticCubic::resizeMixture(int n) {
    if (n < 1 || component_count == n) return false;
    Interaction::number_of_components(n);
    pairs.size(n, bq);
    asum->defineXVariables(2, n);
    return true;
}

void QuadraticCubic::calculate_fixed_parameters() {
    bq->calculated = false;
    apply_mixing_rules();
    Schmidt0::calculate_fixed_parameters();
}

void QuadraticCubic::set_covolume(int i, double bi) {
    if (pairs.setCovolume(i, bi)) apply_mixing_rules();
}

void QuadraticCubic::set_hard_sphere_diameter(int i, double d) {
    if (pairs.setDiameter(i, d)) apply_mixing_rules();
}

void QuadraticCubic::print_parameters(std::FILE* f) {
    assignVariables();
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
    root->calculate(1);
    for (int i = 0; i < component_count; i++) {
        std::fprintf(f, "bi %lg ai %lg\n", pairs.covolumes[i], ai(i)->value);
        for (int j = 0; j <= i; j++)
            std::fprintf(f, "aij %lg  bpa %lg  bij %lg \n", pairs.aij(i, j)->value,
                         j < i ? pairs.bpa(i, j)->value : 1.0, pairs.bij[CubicPairs::tri(i, j)]);
    }
    std::fprintf(f, "a %lg  b %lg\n", a->value, b->value);
}
