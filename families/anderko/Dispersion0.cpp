#include "families/anderko/Dispersion0.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>

#include "expressions/Power.h"
#include "expressions/Powo.h"
#include "expressions/Sum1.h"
#include "platform/LogSink.h"

namespace {

constexpr double kR = 8.31434;
constexpr double kThird = 0.3333333333333333;

template <int D>
std::size_t sortedOffset(int* t) {
    std::sort(t, t + D, std::greater<int>());
    return ExprTable<D>::offset(t);
}

template <int D>
std::size_t tableSize(int n) {
    int t[D];
    for (int p = 0; p < D; p++) t[p] = n - 1;
    return ExprTable<D>::offset(t) + 1;
}

template <class Node>
Node* named(Node* e, const char* fmt, int i, int j = 0, int k = 0, int l = 0, int m = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, i, j, k, l, m);
    e->setName(buf);
    return e;
}

Expression* product(Expression* u, Expression* v) {
    auto* p = new Product();
    p->tiep2(u, v);
    return p;
}

}  // namespace

Dispersion0::Dispersion0() {
    K.setName("K");
    d.setName("d");
    d2.setName("d2");
    d3.setName("d3");
    d4.setName("d4");
    a.setName("a");
    acb.setName("acb");
    adb2.setName("adb2");
    aeb3.setName("aeb3");
    A1.tiep2(&a, &d);
    A2.tiep2(&acb, &d2);
    A3.tiep2(&adb2, &d3);
    A4.tiep2(&aeb3, &d4);
    A1.setName("A1");
    A2.setName("A2");
    A3.setName("A3");
    A4.setName("A4");
    A0.number_of_terms(4);
    A0.tie_(&A1, &A2, &A3, &A4);
    A0.set_scalars_(1.0, 1.0, 1.0, 1.0, 0.0);
    A0.setName("A0");
    auto* A = new Product();
    A->tiep2(&K, &A0);
    A->setName("A");
    root = A;
}

Dispersion0::~Dispersion0() {
    releaseUnlinkedTableNodes();
    delete root;  // the members go with the object, the rule nodes with the sums' tables
    root = nullptr;
}

// Nodes that a subclass put into the tables but that no parent links (a term
// whose graph was never built) are deleted here, each once.
void Dispersion0::releaseUnlinkedTableNodes() {
    std::set<Expression*> lone;
    auto collect = [&](const std::vector<Expression*>& v) {
        for (Expression* e : v)
            if (e && e->refcount == 0 && e->releasedByParents()) lone.insert(e);
    };
    collect(ai.elements);
    collect(ci.elements);
    collect(di.elements);
    collect(ei.elements);
    collect(aci.elements);
    collect(adi.elements);
    collect(aei.elements);
    collect(kA.elements);
    collect(kC.elements);
    collect(kD.elements);
    collect(kE.elements);
    for (Expression* e : lone) delete e;
    for (auto* t : {&ai.elements, &ci.elements, &di.elements, &ei.elements, &aci.elements, &adi.elements,
                    &aei.elements, &kA.elements, &kC.elements, &kD.elements, &kE.elements})
        std::fill(t->begin(), t->end(), nullptr);
}

void Dispersion0::preAllocateComponentsNumber(int n) {
    if (n < 1 || nalloc) return;  // sized once
    nalloc = n;
    b.assign(n, 0.0);
    ai.setSize(n);
    ci.setSize(n);
    di.setSize(n);
    ei.setSize(n);
    aci.setSize(n);
    adi.setSize(n);
    aei.setSize(n);
    kA.setSize(n);
    kC.setSize(n);
    kD.setSize(n);
    kE.setSize(n);
    a.defineXVariables(2, n);
    acb.defineXVariables(2, n);
    adb2.defineXVariables(2, n);
    aeb3.defineXVariables(2, n);
}

void Dispersion0::number_of_components(int n) {
    Interaction::number_of_components(n);
    if (n != nalloc) {
        platform::diagf("Dispersion0: %d components, tables prepared for %d\n", n, nalloc);
        return;
    }
    calculate_covolumes();
    build_parse_graph();
}

double Dispersion0::covolume3(int i, int j, int k) const {
    int t[3] = {i, j, k};
    return b3[sortedOffset<3>(t)];
}
double Dispersion0::covolume4(int i, int j, int k, int l) const {
    int t[4] = {i, j, k, l};
    return b4[sortedOffset<4>(t)];
}
double Dispersion0::covolume5(int i, int j, int k, int l, int m) const {
    int t[5] = {i, j, k, l, m};
    return b5[sortedOffset<5>(t)];
}

void Dispersion0::calculate_covolumes() {
    const int n = nalloc;
    std::vector<double> r(n);
    for (int i = 0; i < n; i++) r[i] = std::pow(b[i], kThird);
    b2.assign(tableSize<2>(n), 0.0);
    b3.assign(tableSize<3>(n), 0.0);
    b4.assign(tableSize<4>(n), 0.0);
    b5.assign(tableSize<5>(n), 0.0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++) {
            const double s2 = 0.5 * (r[i] + r[j]);
            int t2[2] = {i, j};
            b2[ExprTable<2>::offset(t2)] = s2 * s2 * s2;
            for (int k = 0; k <= j; k++) {
                const double s3 = (r[i] + r[j] + r[k]) / 3.0;
                int t3[3] = {i, j, k};
                b3[ExprTable<3>::offset(t3)] = s3 * s3 * s3;
                for (int l = 0; l <= k; l++) {
                    const double s4 = 0.25 * (r[i] + r[j] + r[k] + r[l]);
                    int t4[4] = {i, j, k, l};
                    b4[ExprTable<4>::offset(t4)] = s4 * s4 * s4;
                    for (int m = 0; m <= l; m++) {
                        const double s5 = (r[i] + r[j] + r[k] + r[l] + r[m]) / 5.0;
                        int t5[5] = {i, j, k, l, m};
                        b5[ExprTable<5>::offset(t5)] = s5 * s5 * s5;
                    }
                }
            }
        }
}

bool Dispersion0::build_parse_graph() {
    if (built) return true;
    const int n = nalloc;
    // Every entry the rules read must be there before anything is linked.
    bool ok = true;
    auto need = [&](Expression* e, const char* what, std::initializer_list<int> idx) {
        if (e) return;
        ok = false;
        platform::diagf("Dispersion0: no %s at (", what);
        const char* sep = "";
        for (int v : idx) {
            platform::diagf("%s%d", sep, v);
            sep = ",";
        }
        platform::diagf(")\n");
    };
    for (int i = 0; i < n; i++) {
        need(ai(i), "a", {i});
        if (!aci(i)) need(ci(i), "c", {i});
        if (!adi(i)) need(di(i), "d", {i});
        if (!aei(i)) need(ei(i), "e", {i});
        for (int j = 0; j <= i; j++) {
            if (j < i) need(kA(i, j), "kA", {i, j});
            for (int k = 0; k <= j; k++) {
                const bool eq3 = i == k;
                if (!eq3) need(kC(i, j, k), "kC", {i, j, k});
                for (int l = 0; l <= k; l++) {
                    if (i != l) need(kD(i, j, k, l), "kD", {i, j, k, l});
                    for (int m = 0; m <= l; m++)
                        if (i != m) need(kE(i, j, k, l, m), "kE", {i, j, k, l, m});
                }
            }
        }
    }
    if (!ok) return false;

    for (int i = 0; i < n; i++) {
        if (!aci(i)) aci(i) = named(product(ai(i), ci(i)), "aci%1d", i);
        if (!adi(i)) adi(i) = named(product(ai(i), di(i)), "adi%1d", i);
        if (!aei(i)) aei(i) = named(product(ai(i), ei(i)), "aei%1d", i);
    }

    // Running products of (ac), (ad), (ae), made when first needed.
    Expr2 ac2, ad2, ae2;
    Expr3 ad3, ae3;
    Expr4 ae4;
    ac2.setSize(n);
    ad2.setSize(n);
    ae2.setSize(n);
    ad3.setSize(n);
    ae3.setSize(n);
    ae4.setSize(n);
    auto getAc2 = [&](int i, int j) {
        Expression*& e = ac2(i, j);
        if (!e) e = named(product(aci(i), aci(j)), "ac2 (%1d,%1d)", i, j);
        return e;
    };
    auto getAd2 = [&](int i, int j) {
        Expression*& e = ad2(i, j);
        if (!e) e = named(product(adi(i), adi(j)), "ad2 (%1d,%1d)", i, j);
        return e;
    };
    auto getAd3 = [&](int i, int j, int k) {
        Expression*& e = ad3(i, j, k);
        if (!e) e = named(product(getAd2(i, j), adi(k)), "ad3 (%1d,%1d,%1d)", i, j, k);
        return e;
    };
    auto getAe2 = [&](int i, int j) {
        Expression*& e = ae2(i, j);
        if (!e) e = named(product(aei(i), aei(j)), "ae2 (%1d,%1d)", i, j);
        return e;
    };
    auto getAe3 = [&](int i, int j, int k) {
        Expression*& e = ae3(i, j, k);
        if (!e) e = named(product(getAe2(i, j), aei(k)), "ae3 (%1d,%1d,%1d)", i, j, k);
        return e;
    };
    auto getAe4 = [&](int i, int j, int k, int l) {
        Expression*& e = ae4(i, j, k, l);
        if (!e) e = named(product(getAe3(i, j, k), aei(l)), "ae4 (%1d,%1d,%1d,%1d)", i, j, k, l);
        return e;
    };
    auto scaled = [](Expression* u, double s) {
        auto* q = new Sum1();
        q->tiep1(u);
        q->set_scalars2(s, 0.0);
        return q;
    };

    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++) {
            if (i == j) {
                a.tie_ij(i, i, ai(i));
            } else {
                auto* p = named(product(ai(i), ai(j)), "aijp (%1d,%1d)", i, j);
                auto* r = named(new Power(), "aijr (%1d,%1d)", i, j);
                r->tiep1(p);
                r->set_scalars3(1.0, 0.5, 0.0);
                a.tie_ij(i, j, named(product(kA(i, j), r), "aij  (%1d,%1d)", i, j));
            }
            for (int k = 0; k <= j; k++) {
                const double bijk = covolume3(i, j, k);
                if (i == k) {
                    acb.tie_ijk(i, i, i, named(scaled(aci(i), bijk), "acq (%1d,%1d,%1d)", i, j, k));
                } else {
                    auto* p = named(product(getAc2(i, j), aci(k)), "acp (%1d,%1d,%1d)", i, j, k);
                    auto* r = named(new Powo(), "acr (%1d,%1d,%1d)", i, j, k);
                    r->tiep1(p);
                    r->set_scalars3(1.0, kThird, 0.0);
                    auto* c3 = named(product(r, kC(i, j, k)), "ac3 (%1d,%1d,%1d)", i, j, k);
                    acb.tie_ijk(i, j, k, named(scaled(c3, bijk), "acq (%1d,%1d,%1d)", i, j, k));
                }
                for (int l = 0; l <= k; l++) {
                    const double b4v = covolume4(i, j, k, l);
                    if (i == l) {
                        adb2.tie_ijkl(i, i, i, i,
                                      named(scaled(adi(i), b4v * b4v), "adq (%1d,%1d,%1d,%1d)", i, j, k, l));
                    } else {
                        auto* p = named(product(getAd3(i, j, k), adi(l)), "adp (%1d,%1d,%1d,%1d)", i, j, k, l);
                        auto* r = named(new Power(), "adr (%1d,%1d,%1d,%1d)", i, j, k, l);
                        r->tiep1(p);
                        r->set_scalars3(1.0, 0.25, 0.0);
                        auto* d4n = named(product(r, kD(i, j, k, l)), "ad4 (%1d,%1d,%1d,%1d)", i, j, k, l);
                        adb2.tie_ijkl(i, j, k, l, named(scaled(d4n, b4v * b4v), "adq (%1d,%1d,%1d,%1d)", i, j, k, l));
                    }
                    for (int m = 0; m <= l; m++) {
                        const double b5v = covolume5(i, j, k, l, m);
                        const double s = b5v * b5v * b5v;
                        if (i == m) {
                            aeb3.tie_ijklm(i, i, i, i, i,
                                           named(scaled(aei(i), s), "aeq (%1d,%1d,%1d,%1d,%1d)", i, j, k, l, m));
                        } else {
                            auto* p = named(product(getAe4(i, j, k, l), aei(m)), "aep (%1d,%1d,%1d,%1d,%1d)", i, j,
                                            k, l, m);
                            auto* r = named(new Powo(), "aer (%1d,%1d,%1d,%1d,%1d)", i, j, k, l, m);
                            r->tiep1(p);
                            r->set_scalars3(1.0, 0.2, 0.0);
                            auto* e5 = named(product(r, kE(i, j, k, l, m)), "ae5 (%1d,%1d,%1d,%1d,%1d)", i, j, k, l, m);
                            aeb3.tie_ijklm(i, j, k, l, m,
                                           named(scaled(e5, s), "aeq (%1d,%1d,%1d,%1d,%1d)", i, j, k, l, m));
                        }
                    }
                }
            }
        }
    built = true;
    return true;
}

void Dispersion0::specify_dependencies() {
    const int nv = static_cast<int>(K.flags.size());
    for (int v = 1; v < nv; v++) K.flags[v] = 0;
    for (Leaf* l : {&d, &d2, &d3, &d4}) {
        if (static_cast<int>(l->flags.size()) != nv) continue;
        l->flags[0] = 0;
        for (int v = 2; v < nv; v++) l->flags[v] = 0;
    }
}

// Every derivative order is written with its stage: the framework also
// evaluates the tree to third order without the high-order stage.
void Dispersion0::writeTemperatureLeaf() {
    const double t = 1.0 / T, rt = 1.0 / kR;
    K.value = -rt * t;
    K.d1[0] = rt * t * t;
    K.d2[0][0] = -2.0 * rt * t * t * t;
    K.d3[0][0][0] = 6.0 * rt * t * t * t * t;
    K.d4[0][0][0][0] = -24.0 * rt * t * t * t * t * t;
}

void Dispersion0::writeVolumeLeaves() {
    const double u = 1.0 / V;
    const double u2 = u * u, u3 = u2 * u, u4 = u3 * u, u5 = u4 * u, u6 = u5 * u, u7 = u6 * u, u8 = u7 * u;
    d.value = u;
    d.d1[1] = -u2;
    d.d2[1][1] = 2.0 * u3;
    d.d3[1][1][1] = -6.0 * u4;
    d.d4[1][1][1][1] = 24.0 * u5;
    d2.value = u2 / 4.0;
    d2.d1[1] = -2.0 * u3 / 4.0;
    d2.d2[1][1] = 6.0 * u4 / 4.0;
    d2.d3[1][1][1] = -24.0 * u5 / 4.0;
    d2.d4[1][1][1][1] = 120.0 * u6 / 4.0;
    d3.value = u3 / 16.0;
    d3.d1[1] = -3.0 * u4 / 16.0;
    d3.d2[1][1] = 12.0 * u5 / 16.0;
    d3.d3[1][1][1] = -60.0 * u6 / 16.0;
    d3.d4[1][1][1][1] = 360.0 * u7 / 16.0;
    d4.value = u4 / 64.0;
    d4.d1[1] = -4.0 * u5 / 64.0;
    d4.d2[1][1] = 20.0 * u6 / 64.0;
    d4.d3[1][1][1] = -120.0 * u7 / 64.0;
    d4.d4[1][1][1][1] = 840.0 * u8 / 64.0;
}

// Without its mixing-rule graph (a system whose parameters are missing) the
// term has no value: every evaluation fails instead of counting as zero.
void Dispersion0::calculate_fixed_parameters() {
    if (!readyOrFail(built)) return;
    writeTemperatureLeaf();
    // The sums are re-initialised before they take the composition: a sum that
    // set_xvariables leaves unmarked stops the next initialize_the_graph()
    // from reaching its coefficient nodes, which would then keep the values
    // of the previous temperature when this stage runs before it (as in
    // FluidPhase::calculate_fixed_parameters).
    double* xs = x.data();
    for (SumF* s : {static_cast<SumF*>(&a), static_cast<SumF*>(&acb), static_cast<SumF*>(&adb2),
                    static_cast<SumF*>(&aeb3)}) {
        s->initialize_the_graph();
        s->set_xvariables(xs);
    }
}

void Dispersion0::calculate_volume_dependent_parameters() {
    if (!readyOrFail(built)) return;
    writeVolumeLeaves();
}

void Dispersion0::calculate_high_order_parameters() {
    if (!readyOrFail(built)) return;
    writeTemperatureLeaf();
    writeVolumeLeaves();
}
