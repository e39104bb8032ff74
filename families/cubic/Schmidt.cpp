#include "families/cubic/Schmidt.h"

#include <cmath>

Schmidt::Schmidt(double u_, double w_) : u(u_), w(w_), delta(u_ * u_ - 4.0 * w_) {
    setModelName("Schmidt");
    const double sd = std::sqrt(delta);
    auto* A = new Product();
    a = new SumX2();
    b = new LineaX();
    T_ = new FVar();
    mRT = new Inverse();
    V_ = new FVar();
    A0 = new Product();
    ab = new Division();
    A1 = new Logarithm();
    A2 = new Division();
    A3 = new Sum2();
    A4 = new Sum2();
    A->setName("A");
    a->setName("a");
    b->setName("b");
    T_->setName("T_");
    mRT->setName("mRT");
    V_->setName("V_");
    A0->setName("A0");
    ab->setName("ab");
    A1->setName("A1");
    A2->setName("A2");
    A3->setName("A3");
    A4->setName("A4");
    A->set_scalars1(1.0);
    A->tiep2(mRT, A0);
    A0->tiep2(ab, A1);
    ab->tiep2(a, b);
    A1->tiep1(A2);
    A1->set_scalars3(1.0 / sd, 0.0, 0.0);
    A2->tiep2(A3, A4);
    A3->tiep2(V_, b);
    A3->set_scalars3(2.0, u - sd, 0.0);
    A4->tiep2(V_, b);
    A4->set_scalars3(2.0, u + sd, 0.0);
    mRT->tiep1(T_);
    mRT->set_scalars1(0.12027412879434808);
    root = A;
}

Schmidt::~Schmidt() {
    delete root;  // every node of the tree goes with it
    root = nullptr;
}
