#include "families/cubic/Soave1.h"

#include "families/cubic/Soave72.h"

Soave1::Soave1() : Schmidt0(1.0, 0.0) {
    setModelName("Soave1");
    asum = new SumX2();
    bq = new LineaX2();
    a = asum;
    b = bq;
    asum->setName("a");
    bq->setName("b");
    ai.setName("ai");
    build_parse_graph();
}

Soave1::~Soave1() { releaseTree(); }

void Soave1::number_of_components(int n) {
    if (n < 1 || component_count == n) return;
    Interaction::number_of_components(n);
    pairs.size(n, bq);
    asum->defineXVariables(2, n);
    ai.setSize(n);
    for (int i = 0; i < n; i++) {
        ai(i) = new Soave72();
        ai.setName(i);
        pairs.buildRow(i, ai, asum);
    }
    Schmidt0::number_of_components(n);
}

void Soave1::specify_dependencies() { pairs.clearConstantFlags(); }

void Soave1::calculate_fixed_parameters() {
    for (int i = 0; i < component_count; i++) {
        auto* s = static_cast<Soave72*>(ai(i));
        s->T = T;
        s->calculated = false;
    }
    bq->calculated = false;
    apply_mixing_rules();
    Schmidt0::calculate_fixed_parameters();
}

void Soave1::apply_mixing_rules() { pairs.apply(bq); }

void Soave1::set_ai_parameters(int i, double ac, double m, double Tc) {
    if (i < 0 || i >= component_count) return;
    auto* s = static_cast<Soave72*>(ai(i));
    s->ac = ac;
    s->m = m;
    s->Tc = Tc;
    s->calculated = false;
}

void Soave1::set_covolume(int i, double bi) {
    if (pairs.setCovolume(i, bi)) apply_mixing_rules();
}

void Soave1::set_hard_sphere_diameter(int i, double d) {
    if (pairs.setDiameter(i, d)) apply_mixing_rules();
}

void Soave1::set_covolumes(std::initializer_list<double> bs) {
    int i = 0;
    for (double v : bs) set_covolume(i++, v);
}

void Soave1::set_hard_sphere_diameters(std::initializer_list<double> ds) {
    int i = 0;
    for (double v : ds) set_hard_sphere_diameter(i++, v);
}

void Soave1::set_binary_interaction_kaij(int i, int j, double k) { pairs.setKaij(i, j, k); }
void Soave1::set_binary_interaction_kbij(int i, int j, double k) { pairs.setKbij(i, j, k); }

void Soave1::print_parameters(std::FILE* f) {
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
