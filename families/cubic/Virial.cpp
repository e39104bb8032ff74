#include "families/cubic/Virial.h"

#include <cmath>

Virial::Virial(int mode_) : mode(mode_) {
    setModelName("Virial");
    _T.setName("_T");
    _V.setName("_V");
    _T2.setName("_T2");
    mLogV.setName("mLogV");
    Bv.setName("Bv");
    _T2.tie1(_T);
    mLogV.tie1(_V);
    mLogV.set_scalars3(1.0, 0.0, 0.0);
    if (mode == 1) {
        auto* s = new Sum2();
        s->tie2(_T, _T2);
        s->set_scalars3(0.0, 0.0, 0.0);
        B = s;
    } else if (mode == 0) {
        B = new LineaX2();
    } else {
        return;  // no coefficient, no tree: the term adds nothing
    }
    B->setName("B");
    Bv.tie2(*B, _V);
    auto* A = new Sum2();
    A->tie2(mLogV, Bv);
    A->set_scalars3(-1.0, 1.0, 0.0);
    A->setName("A");
    root = A;
}

Virial::~Virial() {
    delete root;  // "B" goes with the member "Bv" that links it
    root = nullptr;
}

void Virial::number_of_components(int n) {
    // Mode 0 is the binary B of a mixture, mode 1 the pure fluid's B(T).
    sizeForComponents(n, mode == 0 ? 2 : 1, [this] {
        _T.index = 0;
        _V.index = 1;
        if (mode == 0) {
            auto* q = static_cast<LineaX2*>(B);
            q->defineXVariables(2, 2);
            a = 1.0;
            b = 1.4;
            c = 2.0;
            q->a[0] = a;
            q->a[1] = b;
            q->a[2] = c;
        } else {
            set_virial_parameters(1.48e-07, 0.0, -4.8526e-05);
        }
        setDebugLink();
    });
}

void Virial::calculate_fixed_parameters() {
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) termError = 1;
}

void Virial::set_virial_parameters(std::initializer_list<double> abc) {
    double p[3] = {0.0, 0.0, 0.0};
    int k = 0;
    for (double v : abc)
        if (k < 3) p[k++] = v;
    if (mode == 0) {
        a = p[0];
        b = p[1];
        c = p[2];
        auto* q = static_cast<LineaX2*>(B);
        if (q->a.size() >= 3) {
            q->a[0] = a;
            q->a[1] = b;
            q->a[2] = c;
            q->calculated = false;
        }
    } else if (mode == 1) {
        a = p[0];
        b = p[1];
        c = p[2];
        B->set_scalars3(a, b, c);
    }
    calculated = 0;
}

double Virial::secondVirial() {
    if (!root) return 0.0;
    assignVariables();
    // Through the root, so that the next re-initialisation reaches "B" again.
    root->calculate(0);
    return B->value;
}

void Virial::test() {
    if (!root) return;
    if (mode == 0) {
        number_of_components(2);
        T = 300.0;
        V = 1.8e-05;
        composition(0.9, 0.1);
    } else {
        number_of_components(1);
        T = 300.0;
        V = 1.8e-05;
    }
    checkInteraction();
}
