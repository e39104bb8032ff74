#include "families/anderko/Dispersion1.h"

#include <cstdio>

#include "expressions/Cube.h"
#include "expressions/Inverse.h"
#include "expressions/Square.h"
#include "expressions/Sum1.h"
#include "families/anderko/NamedNodes.h"

using namespace anderkonodes;

Dispersion1::Dispersion1() {
    T_ = nm(new FVar(), "T_");
    V_ = nm(new FVar(), "V_");
    auto* K = unary<Inverse>(T_, -0.12027412879434808, "K");
    d = unary<Inverse>(V_, 1.0, "d");
    d2 = unary<Square>(d, 0.25, "d2");
    d3 = unary<Cube>(d, 0.0625, "d3");
    d4 = unary<Square>(d2, 0.25, "d4");
    A1 = nm(new Product(), "A1");
    A2 = nm(new Product(), "A2");
    A3 = nm(new Product(), "A3");
    A4 = nm(new Product(), "A4");
    auto* A0 = nm(new Sum(), "A0");
    A0->number_of_terms(4);
    A0->tie_(A1, A2, A3, A4);
    A0->set_scalars_(1.0, 1.0, 1.0, 1.0, 0.0);
    auto* A = nm(new Product(), "A");
    A->tiep2(K, A0);
    root = A;
}

Dispersion1::~Dispersion1() {
    delete root;
    root = nullptr;
}

void Dispersion1::finish_parse_graph() {
    A1->tiep2(a, d);
    A2->tiep2(acb, d2);
    A3->tiep2(adb, d3);
    A4->tiep2(aeb, d4);
}

bool Dispersion1::sizeForOneComponent(int n) {
    return sizeForComponents(n, 1, [this] {
        T_->index = 0;
        V_->index = 1;
        setDebugLink();
    });
}

// ---- water

H2ODisp::H2ODisp() {
    setModelName("H2ODisp");
    auto* tr = unary<Inverse>(T_, 647.067, "Tr");
    auto* tr2 = unary<Square>(tr, 1.0, "Tr2");
    auto* tr4 = unary<Square>(tr2, 1.0, "Tr4");
    auto* a1 = sum3(tr, tr2, tr4, 0.182838483, 0.15466527, 0.010718969, 0.171825354, "a1");
    auto* c1 = sum3(tr, tr2, tr4, -8.87482349, 3.17933413, -0.16869781, 2.95354801, "c1");
    auto* d1 = sum3(tr, tr2, tr4, 9.44220297, -3.1440167, 0.14953913, 2.13933917, "d1");
    e1 = nm(new FVar(), "e1");
    e1->set_scalars2(0.0, -9.0);
    acb1 = nm(new Product(), "acb1");
    acb1->tiep2(a1, c1);
    adb1 = nm(new Product(), "adb1");
    adb1->tiep2(a1, d1);
    aeb1 = nm(new Product(), "aeb1");
    aeb1->tiep2(a1, e1);
    a = a1;
    acb = acb1;
    adb = adb1;
    aeb = aeb1;
    finish_parse_graph();
}

H2ODisp::~H2ODisp() = default;

void H2ODisp::number_of_components(int n) {
    e1->index = 0;
    sizeForOneComponent(n);
}

void H2ODisp::set_covolume(double b) {
    covolume = b;
    if (b == 0.0) return;
    acb1->set_scalars1(b);
    adb1->set_scalars1(b * b);
    aeb1->set_scalars1(b * b * b);
}

// ---- carbon dioxide

CO2Disp::CO2Disp() {
    setModelName("CO2Disp");
    auto* tr = unary<Inverse>(T_, 304.2, "Tr");
    auto* tr2 = unary<Square>(tr, 1.0, "Tr2");
    auto* tr4 = unary<Square>(tr2, 1.0, "Tr4");
    auto* a1 = sum3(tr, tr2, tr4, -0.236222839, 0.351977858, -0.101456034, 0.386491553, "a1");
    auto* ac1 = nm(new Sum1(), "ac1");
    ac1->tiep1(tr);
    ac1->set_scalars2(0.0518786559, -0.41850846);
    auto* ad1 = nm(new Sum1(), "ad1");
    ad1->tiep1(tr);
    ad1->set_scalars2(0.140232739, 1.49548462);
    ae1 = nm(new FVar(), "ae1");
    ae1->set_scalars2(0.0, -3.04732284);
    acb1 = nm(new Sum1(), "acb1");
    acb1->tiep1(ac1);
    adb1 = nm(new Sum1(), "adb1");
    adb1->tiep1(ad1);
    aeb1 = nm(new Sum1(), "aeb1");
    aeb1->tiep1(ae1);
    a = a1;
    acb = acb1;
    adb = adb1;
    aeb = aeb1;
    finish_parse_graph();
}

CO2Disp::~CO2Disp() = default;

void CO2Disp::number_of_components(int n) {
    ae1->index = 0;
    sizeForOneComponent(n);
}

void CO2Disp::set_covolume(double b) {
    covolume = b;
    if (b == 0.0) return;
    acb1->set_scalars2(b, 0.0);
    adb1->set_scalars2(b * b, 0.0);
    aeb1->set_scalars2(b * b * b, 0.0);
}
