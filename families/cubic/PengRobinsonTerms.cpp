// The Peng-Robinson attraction terms Nirma and StryjekVera.
#include <cmath>

#include "expressions/Exponential.h"
#include "expressions/FVar.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "families/cubic/ArrayNodes.h"
#include "families/cubic/Nirma.h"
#include "families/cubic/StryjekVera.h"

using cubicnodes::make;

// ---------------------------------------------------------------- Nirma

Nirma::Nirma(int type_) : QuadraticCubic(2.0, -1.0, "Nirma"), type(type_) {
    const char* names[] = {"Ti", "Tsi", "mTsi", "mTi", "mTin", "mE0", "mE1", "mAi", "alpha1", "alpha2", "alpha3",
                           "alpha4", "ai"};
    Expr1* arrays[] = {&Ti, &Tsi, &mTsi, &mTi, &mTin, &mE0, &mE1, &mAi, &alpha1, &alpha2, &alpha3, &alpha4, &ai};
    for (int k = 0; k < 13; k++) arrays[k]->setName(names[k]);
    build_parse_graph();
}

Nirma::~Nirma() {
    releaseUnusedAlphas();
    releaseTree();
}

void Nirma::releaseUnusedAlphas() {
    // The alpha chains that the type does not select are linked by no parent.
    for (int i = 0; i < ai.size; i++) {
        Expr1* tops[] = {&alpha1, &alpha2, &alpha3, &alpha4};
        for (Expr1* t : tops) {
            Expression*& e = (*t)(i);
            if (e && e->refcount == 0) delete e;
            e = nullptr;
        }
    }
}

void Nirma::number_of_components(int n) {
    if (!resizeMixture(n)) return;
    Expr1* arrays[] = {&Ti, &Tsi, &mTsi, &mTi, &mTin, &mE0, &mE1, &mAi, &alpha1, &alpha2, &alpha3, &alpha4, &ai};
    for (Expr1* arr : arrays) arr->setSize(n);
    for (int i = 0; i < n; i++) {
        auto* ti = make<FVar>(Ti, i);
        ti->index = 0;
        auto* tsi = make<Power>(Tsi, i);
        tsi->tiep1(ti);
        tsi->set_scalars3(1.0, 0.5, 0.0);
        auto* mtsi = make<Sum1>(mTsi, i);
        mtsi->tiep1(tsi);
        mtsi->set_scalars2(-1.0, 1.0);
        auto* mti = make<Sum1>(mTi, i);
        mti->tiep1(ti);
        mti->set_scalars2(-1.0, 1.0);
        auto* mtin = make<Power>(mTin, i);
        mtin->tiep1(ti);
        mtin->set_scalars3(-1.0, 1.0, 1.0);
        auto* me0 = make<Exponential>(mE0, i);
        me0->tiep1(mti);
        me0->set_scalars3(0.0, 1.0, 0.0);
        auto* me1 = make<Exponential>(mE1, i);
        me1->tiep1(mti);
        me1->set_scalars3(0.0, 1.0, 0.0);
        auto* mai = make<Sum1>(mAi, i);
        mai->tiep1(mtsi);
        mai->set_scalars2(0.0, 1.0);
        auto* a1 = make<Square>(alpha1, i);
        a1->tiep1(mai);
        auto* a2 = make<Exponential>(alpha2, i);
        a2->tiep1(mti);
        a2->set_scalars3(0.0, 1.0, 0.0);
        auto* a3 = make<Sum2>(alpha3, i);
        a3->tiep2(me0, me1);
        a3->set_scalars3(1.0, 0.0, 0.0);
        auto* a4 = make<Exponential>(alpha4, i);
        a4->tiep1(mtin);
        a4->set_scalars3(0.0, 1.0, 0.0);
        auto* aii = make<Sum1>(ai, i);
        aii->set_scalars2(0.0, 0.0);
        Expression* chosen = type == 1 ? static_cast<Expression*>(a2)
                             : type == 2 ? static_cast<Expression*>(a3)
                             : type == 3 ? static_cast<Expression*>(a4)
                                         : static_cast<Expression*>(a1);
        aii->tiep1(chosen);
        pairs.buildRow(i, ai, asum);
    }
    Schmidt0::number_of_components(n);
}

void Nirma::set_parameters(int i, double Tc, double Pc, double f, double m, double c0, double c1, double c2, double c3,
                           double p) {
    if (i < 0 || i >= component_count) return;
    Ti(i)->set_scalars2(1.0 / Tc, 0.0);
    mTin(i)->set_scalars3(-1.0, p, 1.0);
    if (mE0(i)) mE0(i)->set_scalars3(0.0, 1.0, c1);
    if (mE1(i)) mE1(i)->set_scalars3(0.0, 1.0, c2);
    mAi(i)->set_scalars2(m, 1.0);
    alpha2(i)->set_scalars3(0.0, 1.0, c0);
    alpha3(i)->set_scalars3(1.0 - f, f, 0.0);
    alpha4(i)->set_scalars3(0.0, 1.0, c3);
    ai(i)->set_scalars2(kOmegaA * R * R * Tc * Tc / Pc, 0.0);
    if (pairs.setCovolume(i, kOmegaB * R * Tc / Pc)) apply_mixing_rules();
}

void Nirma::test() {
    Nirma t(0);
    t.number_of_components(1);
    t.set_parameters(0, 647.13, 22055000.0, 0.345, 0.85360439, 0.892972678, 0.905476289, 0.869215621, 0.888479072,
                     1.007293331);
    t.T = 373.15;
    t.V = 2e-05;
    t.termError = 0;
    t.checkInteraction();
}

// ---------------------------------------------------------------- StryjekVera

StryjekVera::StryjekVera() : QuadraticCubic(2.0, -1.0, "StryjekVera") {
    const char* names[] = {"Ti", "Tri", "Tri1", "Tri2", "Ti2", "Tip", "Ki", "KTi", "ali", "alpi", "ai"};
    Expr1* arrays[] = {&Ti, &Tri, &Tri1, &Tri2, &Ti2, &Tip, &Ki, &KTi, &ali, &alpi, &ai};
    for (int k = 0; k < 11; k++) arrays[k]->setName(names[k]);
    build_parse_graph();
}

StryjekVera::~StryjekVera() { releaseTree(); }

void StryjekVera::number_of_components(int n) {
    if (!resizeMixture(n)) return;
    Expr1* arrays[] = {&Ti, &Tri, &Tri1, &Tri2, &Ti2, &Tip, &Ki, &KTi, &ali, &alpi, &ai};
    for (Expr1* arr : arrays) arr->setSize(n);
    for (int i = 0; i < n; i++) {
        auto* ti = make<FVar>(Ti, i);
        ti->index = 0;
        auto* tri = make<Power>(Tri, i);
        tri->tiep1(ti);
        tri->set_scalars3(1.0, 0.5, 0.0);
        auto* tri1 = make<Sum1>(Tri1, i);
        tri1->tiep1(tri);
        tri1->set_scalars2(1.0, 1.0);
        auto* tri2 = make<Sum1>(Tri2, i);
        tri2->tiep1(tri);
        tri2->set_scalars2(-1.0, 1.0);
        auto* ti2 = make<Sum1>(Ti2, i);
        ti2->tiep1(ti);
        ti2->set_scalars2(-1.0, 0.7);
        auto* tip = make<Product>(Tip, i);
        tip->tiep2(tri1, ti2);
        auto* ki = make<Sum1>(Ki, i);
        ki->tiep1(tip);
        ki->set_scalars2(0.0, 0.0);
        auto* kti = make<Product>(KTi, i);
        kti->tiep2(ki, tri2);
        auto* al = make<Sum1>(ali, i);
        al->tiep1(kti);
        al->set_scalars2(1.0, 1.0);
        auto* alp = make<Square>(alpi, i);
        alp->tiep1(al);
        auto* aii = make<Sum1>(ai, i);
        aii->tiep1(alp);
        aii->set_scalars2(0.0, 0.0);
        pairs.buildRow(i, ai, asum);
    }
    Schmidt0::number_of_components(n);
}

void StryjekVera::set_ai_parameters(int i, double ac, double Tc, double kappa0, double kappa1) {
    if (i < 0 || i >= component_count) return;
    ai(i)->set_scalars2(ac, 0.0);
    Ti(i)->set_scalars2(1.0 / Tc, 0.0);
    Ki(i)->set_scalars2(kappa1, kappa0);
}

void StryjekVera::test() {
    StryjekVera t;
    t.number_of_components(2);
    t.set_ai_parameters(0, 0.5, 304.0, 1.2, 0.04);
    t.set_ai_parameters(1, 0.1, 190.0, 0.4, 0.001);
    t.set_covolume(0, 1.8e-05);
    t.set_covolume(1, 2.5e-05);
    t.composition(0.8, 0.2);
    t.T = 373.15;
    t.V = 3e-05;
    t.termError = 0;
    t.checkInteraction();
}
