#include "families/kreglewski/KreglewskiSeries.h"

#include <string>

const double KreglewskiSeries::D[kTerms] = {
    -8.8043,    4.164627,   -48.203555, 140.4362,   -195.23339, 113.515,                                      // n = 1
    2.9396,     -6.0865383, 40.137956,  -76.230797, -133.7005,  860.25349, -1535.3224, 1221.4261, -409.10539,  // n = 2
    -2.8225,    4.7600148,  11.257177,  -66.382743, 69.248785,                                                // n = 3
    0.34,       -3.1875014, 12.231796,  -12.110681,                                                           // n = 4
};
const int KreglewskiSeries::power_n[kTerms] = {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2,
                                               2, 3, 3, 3, 3, 3, 4, 4, 4, 4};
const int KreglewskiSeries::power_m[kTerms] = {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 7, 8,
                                               9, 1, 2, 3, 4, 5, 1, 2, 3, 4};

Sum* KreglewskiSeries::build(Expression& u, Expression& V0, Expression& mV) {
    u2.tie1(u);
    u3.tie1(u);
    u4.tie1(u2);
    w.tie2(V0, mV);
    w2.tie1(w);
    w3.tie1(w);
    w4.tie1(w2);
    w5.tie2(w4, w);
    w6.tie2(w5, w);
    w7.tie2(w6, w);
    w8.tie2(w7, w);
    w9.tie2(w8, w);
    u2.setName("u2");
    u3.setName("u3");
    u4.setName("u4");
    w.setName("w");
    w2.setName("w2");
    w3.setName("w3");
    w4.setName("w4");
    w5.setName("w5");
    w6.setName("w6");
    w7.setName("w7");
    w8.setName("w8");
    w9.setName("w9");
    Expression* up[5] = {nullptr, &u, &u2, &u3, &u4};
    Expression* wp[10] = {nullptr, &w, &w2, &w3, &w4, &w5, &w6, &w7, &w8, &w9};

    auto* A = new Sum();
    A->number_of_terms(kTerms);
    for (int k = 0; k < kTerms; k++) {
        Anm[k].tie2(*up[power_n[k]], *wp[power_m[k]]);
        const std::string name = "A" + std::to_string(power_n[k]) + std::to_string(power_m[k]);
        Anm[k].setName(name.c_str());
        A->tieip(k, &Anm[k]);
        A->set_scalar(k, D[k]);
    }
    A->set_scalar(kTerms, 0.0);
    A->setName("A");
    return A;
}
