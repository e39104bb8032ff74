#include "families/cubic/Soave1.h"

#include "families/cubic/Soave72.h"

Soave1::Soave1() : QuadraticCubic(1.0, 0.0, "Soave1") {
    ai.setName("ai");
    build_parse_graph();
}

Soave1::~Soave1() { releaseTree(); }

void Soave1::number_of_components(int n) {
    if (!resizeMixture(n)) return;
    ai.setSize(n);
    for (int i = 0; i < n; i++) {
        ai(i) = new Soave72();
        ai.setName(i);
        pairs.buildRow(i, ai, asum);
    }
    Schmidt0::number_of_components(n);
}

void Soave1::calculate_fixed_parameters() {
    for (int i = 0; i < component_count; i++)
        static_cast<Soave72*>(ai(i))->setTemperature(T);
    QuadraticCubic::calculate_fixed_parameters();
}

void Soave1::set_ai_parameters(int i, double ac, double m, double Tc) {
    if (i < 0 || i >= component_count) return;
    static_cast<Soave72*>(ai(i))->setParameters(ac, m, Tc);
}
