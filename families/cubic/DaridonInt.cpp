// The Daridon attraction term (see DaridonInt.h).
#include "families/cubic/DaridonInt.h"
#include "platform/LogSink.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "families/cubic/ArrayNodes.h"

using cubicnodes::make;

DaridonInt::DaridonInt() : Schmidt(2.0, -1.0) {
    setModelName("daridon");
    const char* names1[] = {"ai", "aie", "aim", "Tri", "kiw", "betai", "xi", "xiw", "xpi", "mxw", "mxw4", "kw"};
    Expr1* arrays1[] = {&ai, &aie, &aim, &Tri, &kiw, &betai, &xi, &xiw, &xpi, &mxw, &mxw4, &kw};
    for (int k = 0; k < 12; k++) arrays1[k]->setName(names1[k]);
    const char* names2[] = {"aijp", "aijr", "aijr0", "mkij"};
    Expr2* arrays2[] = {&aijp, &aijr, &aijr0, &mkij};
    for (int k = 0; k < 4; k++) arrays2[k]->setName(names2[k]);
    Trw2 = new Square();
    Trw2->setName("Trw2");
    Trw2->set_scalars1(1.0);
    xw = new FVar();
    xw->setName("xw");
}

DaridonInt::~DaridonInt() {
    // "Trw2" and "xw" have no parent in a pure fluid (or before the term is
    // sized); the root releases every other node, and these when linked.
    if (Trw2 && Trw2->refcount == 0) delete Trw2;
    if (xw && xw->refcount == 0) delete xw;
}

void DaridonInt::number_of_components(int n) {
    if (n < 1 || n == component_count) return;
    if (component_count != 0) {
        platform::diagf("The Daridon term is built for %d components; it cannot take %d\n", component_count, n);
        return;
    }
    T_->index = 0;
    V_->index = 1;
    a->defineXVariables(2, n);
    b->defineXVariables(2, n);
    xw->index = 2;
    Expr1* arrays1[] = {&ai, &aie, &aim, &Tri, &kiw, &betai, &xi, &xiw, &xpi, &mxw, &mxw4, &kw};
    for (Expr1* arr : arrays1) arr->setSize(n);
    Expr2* arrays2[] = {&aijp, &aijr, &aijr0, &mkij};
    for (Expr2* arr : arrays2) arr->setSize(n);

    for (int i = 0; i < n; i++) {
        // a_i(T) = ac_i exp(m_i (1 - T/Tc_i)); the constants come with set_parametersx.
        auto* tri = make<Sum1>(Tri, i);
        tri->tiep1(T_);
        tri->set_scalars2(1.0, 0.0);
        auto* aimi = make<Sum1>(aim, i);
        aimi->tiep1(tri);
        aimi->set_scalars2(0.0, 0.0);
        auto* aiei = make<Exponential>(aie, i);
        aiei->tiep1(aimi);
        aiei->set_scalars3(0.0, 1.0, 1.0);
        auto* aii = make<Sum1>(ai, i);
        aii->tiep1(aiei);
        aii->set_scalars2(0.0, 0.0);
        a->tie_ij(i, i, aii);
        if (i == 0) {
            Trw2->tiep1(tri);
            continue;
        }
        // k_i0 - p1_i = (p2 + p3 Trw + p4 Trw^2) exp(-10^p5 (x_i/(x_i + x_w))^4),
        // zero until set_binary_parameters.
        auto* x = make<FVar>(xi, i);
        x->index = i + 2;
        auto* xs = make<Sum2>(xiw, i);
        xs->tiep2(x, xw);
        xs->set_scalars3(1.0, 1.0, 0.0);
        auto* xq = make<Division>(xpi, i);
        xq->tiep2(xw, xs);
        xq->set_scalars1(1.0);
        auto* xr = make<Sum1>(mxw, i);
        xr->tiep1(xq);
        xr->set_scalars2(-1.0, 1.0);
        auto* x4 = make<Power>(mxw4, i);
        x4->tiep1(xr);
        x4->set_scalars3(1.0, 4.0, 0.0);
        auto* k = make<Exponential>(kw, i);
        k->tiep1(x4);
        k->set_scalars3(0.0, 1.0, -10.0);
        auto* beta = make<Sum2>(betai, i);
        beta->tiep2(Tri(0), Trw2);
        beta->set_scalars3(0.0, 0.0, 0.0);
        auto* kiwi = make<Product>(kiw, i);
        kiwi->tiep2(beta, k);
        kiwi->set_scalars1(1.0);
        for (int j = 0; j < i; j++) {
            auto* p = make<Product>(aijp, i, j);
            p->tiep2(aii, ai(j));
            p->set_scalars1(1.0);
            auto* r0 = make<Power>(aijr0, i, j);
            r0->tiep1(p);
            r0->set_scalars3(1.0, 0.5, 0.0);
            // With water (j = 0): 1 - p1_i - kiw_i = 1 - k_i0, neutral (k = 0)
            // until set_binary_parameters.  Between two components other than
            // water the factor is 1: their interaction is the constant k_ij of
            // set_kij alone, not the water-hydrocarbon function of component i.
            auto* mk = make<Sum1>(mkij, i, j);
            mk->tiep1(kiwi);
            if (j == 0)
                mk->set_scalars2(-1.0, 1.0);
            else
                mk->set_scalars2(0.0, 1.0);
            auto* r = make<Product>(aijr, i, j);
            r->tiep2(mk, r0);
            r->set_scalars1(1.0);
            a->tie_ij(i, j, r);
        }
    }
    Interaction::number_of_components(n);
    root->number_of_variables(n + 2);
    root->analyze_dependencies();
}

double DaridonInt::getVolumeMinimum() {
    double s = 0.0;
    for (int i = 0; i < component_count && i < static_cast<int>(b->a.size()); i++) s += x[i] * b->a[i];
    return s;
}

bool DaridonInt::validComponent(int i, const char* what) const {
    if (i >= 0 && i < component_count) return true;
    platform::diagf("Daridon term: %s of component %d, which is not one of its %d components\n", what, i,
                 component_count);
    return false;
}

void DaridonInt::set_parametersx(int i, double ac, double m, double Tc, double bi) {
    if (!validComponent(i, "parameters")) return;
    if (!(Tc > 0.0)) {
        platform::diagf("Daridon term: critical temperature %g K of component %d is not positive\n", Tc, i);
        return;
    }
    Tri(i)->set_scalars2(1.0 / Tc, 0.0);
    aim(i)->set_scalars2(-m, m);
    ai(i)->set_scalars2(ac, 0.0);
    b->a[i] = bi;
    b->calculated = false;
}

void DaridonInt::set_binary_parameters(int i, double p1, double p2, double p3, double p4, double p5) {
    if (!validComponent(i, "water parameters")) return;
    if (i == 0) {
        platform::diagf("Daridon term: water has no water parameters\n");
        return;
    }
    betai(i)->set_scalars3(p3, p4, p2);
    mkij(i, 0)->set_scalars2(-1.0, 1.0 - p1);
    kw(i)->set_scalars3(0.0, 1.0, -std::pow(10.0, p5));
}

void DaridonInt::set_kij(int i, int j, double k) {
    if (i < j) std::swap(i, j);
    if (!validComponent(i, "a pair parameter") || !validComponent(j, "a pair parameter")) return;
    if (i == j) {
        platform::diagf("Daridon term: a pair parameter needs two components (%d given twice)\n", i);
        return;
    }
    aijr0(i, j)->set_scalars3(1.0 - k, 0.5, 0.0);
}
