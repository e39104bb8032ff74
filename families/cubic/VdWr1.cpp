#include "families/cubic/VdWr1.h"

VdWr1::VdWr1() {
    setModelName("VdWr1");
    bq = new LineaX2();
    b = bq;
    build_parse_graph();
    bq->setName("b");
}

VdWr1::~VdWr1() { releaseTree(); }

void VdWr1::number_of_components(int n) {
    VdWr::number_of_components(n);
    if (n < 1) return;
    bij.assign(n * (n + 1) / 2, 0.0);
    kbij.assign(n * (n + 1) / 2, 0.0);
    bq->defineXVariables(2, n);
    root->analyze_dependencies();
}

void VdWr1::apply_mixing_rules() {
    const int n = component_count;
    if (static_cast<int>(bq->a.size()) < n * (n + 1) / 2) return;
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++) {
            const int k = at(i, j);
            bij[k] = 0.5 * (covolumes[i] + covolumes[j]) * (1.0 - kbij[k]);
            bq->a[k] = bij[k];
        }
    bq->calculated = false;
}

double VdWr1::getVolumeMinimum() {
    double s = 0.0;
    const int n = component_count;
    if (static_cast<int>(bij.size()) < n * (n + 1) / 2) return 0.0;
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) s += x[i] * x[j] * bij[at(i, j)];
    return s;
}
