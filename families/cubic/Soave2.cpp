#include "families/cubic/Soave2.h"

#include <cmath>
#include <string>

#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "families/cubic/CubicData.h"
#include "families/cubic/Soave72.h"

void Soave2::Step::build(const char* prefix) {
    D = new Division();
    E = new Exponential();
    Em1 = new Sum1();
    Ep1 = new Sum1();
    tau = new Leaf();
    const std::string p(prefix);
    D->setName((p + "tanh").c_str());
    E->setName((p + "E").c_str());
    Em1->setName((p + "E-1").c_str());
    Ep1->setName((p + "E+1").c_str());
    tau->setName((p + "tau").c_str());
    D->tiep2(Em1, Ep1);
    D->set_scalars1(1.0);
    Em1->tiep1(E);
    Ep1->tiep1(E);
    Em1->set_scalars2(1.0, -1.0);
    Ep1->set_scalars2(1.0, 1.0);
    E->tiep1(tau);
    E->set_scalars3(0.0, 1.0, 1.0);
}

Soave2::Soave2() : Schmidt0(1.0, 0.0) {
    setModelName("Soave2");
    asum = new SumX2();
    bsum = new SumX2();
    a = asum;
    b = bsum;
    asum->setName("a");
    bsum->setName("b");
    ai.setName("ai");
    build_parse_graph();
}

Soave2::~Soave2() { releaseTree(); }

void Soave2::number_of_components(int n) {
    if (refusesComponents(n, 2) || component_count == 2) return;
    if (b00) {  // built before a refused count: sized again
        Schmidt0::number_of_components(2);
        return;
    }
    Interaction::number_of_components(2);
    covolumes.assign(2, 0.0);
    diameters.assign(2, 0.0);
    ai.setSize(2);
    for (int i = 0; i < 2; i++) {
        ai(i) = new Soave72();
        ai.setName(i);
    }
    sa.build("ka-");
    sb.build("kb-");
    bpa = new Sum1();
    bpb = new Sum1();
    bpa->setName("bpa(1,0)");
    bpb->setName("bpb(1,0)");
    bpa->tiep1(sa.D);
    bpb->tiep1(sb.D);
    auto* p = new Product();
    auto* r = new Power();
    auto* q = new Product();
    p->setName("aij(1,0)");
    r->setName("aijr(1,0)");
    q->setName("aijp(1,0)");
    r->set_scalars3(1.0, 0.5, 0.0);
    p->tiep2(bpa, r);
    r->tiep1(q);
    q->tiep2(ai(0), ai(1));
    a10 = p;
    asum->defineXVariables(2, 2);
    asum->tie_ij(0, 0, ai(0));
    asum->tie_ij(1, 1, ai(1));
    asum->tie_ij(1, 0, p);
    b00 = new Leaf();
    b11 = new Leaf();
    b10 = new Sum1();
    b00->setName("bij(0,0)");
    b11->setName("bij(1,1)");
    b10->setName("bij(1,0)");
    b10->tiep1(bpb);
    bsum->defineXVariables(2, 2);
    bsum->tie_ij(0, 0, b00);
    bsum->tie_ij(1, 1, b11);
    bsum->tie_ij(1, 0, b10);
    Schmidt0::number_of_components(2);
}

void Soave2::specify_dependencies() {
    for (int v = 0; v < 4; v++) {
        b00->flags[v] = 0;
        b11->flags[v] = 0;
        sa.tau->flags[v] = v == 0 ? 1 : 0;
        sb.tau->flags[v] = v == 0 ? 1 : 0;
    }
}

void Soave2::calculate_fixed_parameters() {
    if (component_count != 2) return;
    sa.tau->value = (T - T0a) / dTa;
    sa.tau->d1[0] = 1.0 / dTa;
    sb.tau->value = (T - T0b) / dTb;
    sb.tau->d1[0] = 1.0 / dTb;
    for (int i = 0; i < 2; i++)
        static_cast<Soave72*>(ai(i))->setTemperature(T);
    b00->value = covolumes[0];
    b11->value = covolumes[1];
    const double m = 0.5 * (covolumes[0] + covolumes[1]);
    b10->set_scalars2(-m, m);
    bpa->set_scalars2(-(ka2 - ka1) / 2.0, 1.0 - (ka1 + ka2) / 2.0);
    bpb->set_scalars2((kb2 - kb1) / 2.0, (kb1 + kb2) / 2.0);
    apply_mixing_rules();
    Schmidt0::calculate_fixed_parameters();
}

double Soave2::kaijAt(double t) const { return 0.5 * (ka1 + ka2) + 0.5 * (ka2 - ka1) * std::tanh(0.5 * (t - T0a) / dTa); }
double Soave2::kbijAt(double t) const { return 0.5 * (kb1 + kb2) + 0.5 * (kb2 - kb1) * std::tanh(0.5 * (t - T0b) / dTb); }

double Soave2::getVolumeMinimum() {
    if (component_count != 2) return 0.0;
    const double b10v = 0.5 * (covolumes[0] + covolumes[1]) * (1.0 - kbijAt(T));
    return x[0] * x[0] * covolumes[0] + 2.0 * x[0] * x[1] * b10v + x[1] * x[1] * covolumes[1];
}

void Soave2::set_ai_parameters(int i, double ac, double m, double Tc) {
    if (i < 0 || i >= component_count) return;
    static_cast<Soave72*>(ai(i))->setParameters(ac, m, Tc);
}

void Soave2::set_covolume(int i, double bi) {
    if (i < 0 || i >= component_count) return;
    covolumes[i] = bi;
    diameters[i] = std::cbrt(bi * cubic::kCovolumeToDiameter3);
    if (i == component_count - 1) apply_mixing_rules();
}

void Soave2::set_hard_sphere_diameter(int i, double d) {
    if (i < 0 || i >= component_count) return;
    diameters[i] = d;
    covolumes[i] = d * d * d * cubic::kDiameter3ToCovolume;
    if (i == component_count - 1) apply_mixing_rules();
}

void Soave2::set_binary_interaction_kaij(int, int, double k1, double k2, double T0, double dT) {
    ka1 = k1;
    ka2 = k2;
    T0a = T0;
    dTa = dT;
}

void Soave2::set_binary_interaction_kbij(int, int, double k1, double k2, double T0, double dT) {
    kb1 = k1;
    kb2 = k2;
    T0b = T0;
    dTb = dT;
}

void Soave2::print_parameters(std::FILE* f) {
    if (component_count != 2) return;
    assignVariables();
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
    root->calculate(1);
    for (int i = 0; i < 2; i++) {
        std::fprintf(f, "bi %lg ai %lg\n", covolumes[i], ai(i)->value);
        for (int j = 0; j <= i; j++) {
            const double aijv = i == j ? ai(i)->value : a10->value;
            const double bpav = i == j ? 1.0 : bpa->value;
            const double bpbv = i == j ? 0.0 : bpb->value;
            std::fprintf(f, "aij %lg  bpa %lg  bpb %lg \n", aijv, bpav, bpbv);
        }
    }
    std::fprintf(f, "a %lg  b %lg\n", a->value, b->value);
}
