#include "families/duan/Duan.h"

#include <cmath>
#include <initializer_list>

Duan::Duan()
{
    mlogV.setName("mlogV");
    mV.setName("mV");
    mV2.setName("mV2");
    mV4.setName("mV4");
    mV5.setName("mV5");
}

Duan::~Duan() { releaseTree(); }

void Duan::build_parse_graph()
{
    auto* A = new Sum();
    A->number_of_terms(7);
    A->tie_(&mlogV, &A1, &A2, &A3, &A4, &Ex2, &beta1Fgama);
    A->set_scalars_(1.0, 1.0, 0.5, 0.25, 0.2, -0.5, 0.5, 0.0);

    A1.tiep2(Bd, &mV);
    A2.tiep2(Cd, &mV2);
    A3.tiep2(Dd, &mV4);
    A4.tiep2(Ed, &mV5);
    beta1F.tiep2(beta1, Fd);
    beta1Fgama.tiep2(&beta1F, gama);
    FV2.tiep2(Fd, &mV2);
    gamaV2.tiep2(gama, &mV2);
    Ex0.tie2(beta1Fgama, FV2);
    Ex0.set_scalars3(1.0, 1.0, 0.0);
    Ex.tie1(gamaV2);
    Ex.set_scalars3(0.0, 1.0, -1.0);
    Ex2.tie2(Ex0, Ex);
    for (Product* p : {&A1, &A2, &A3, &A4, &beta1F, &FV2, &gamaV2, &Ex2}) p->set_scalars1(1.0);
    beta1Fgama.set_scalars1(1.0);
    root = A;
    setDebugLink();

    A->setName("A");
    A1.setName("A1");
    A2.setName("A2");
    A3.setName("A3");
    A4.setName("A4");
    beta1F.setName("beta1F");
    beta1Fgama.setName("beta1Fgama");
    FV2.setName("FV2");
    gamaV2.setName("gamaV2");
    Ex0.setName("Ex0");
    Ex.setName("Ex");
    Ex2.setName("Ex2");
    if (Bd) Bd->setName("Bd");
    if (Cd) Cd->setName("Cd");
    if (Dd) Dd->setName("Dd");
    if (Ed) Ed->setName("Ed");
    if (Fd) Fd->setName("Fd");
    if (beta1) beta1->setName("beta1");
    if (gama) gama->setName("gama");
}

void Duan::releaseTree()
{
    delete root;  // no parent links the root
    root = nullptr;
    Expression::relink(A1.u, nullptr);
    Expression::relink(A2.u, nullptr);
    Expression::relink(A3.u, nullptr);
    Expression::relink(A4.u, nullptr);
    Expression::relink(beta1F.u, nullptr);
    Expression::relink(beta1F.v, nullptr);
    Expression::relink(beta1Fgama.v, nullptr);
    Expression::relink(FV2.u, nullptr);
    Expression::relink(gamaV2.u, nullptr);
    Bd = Cd = Dd = Ed = Fd = beta1 = gama = nullptr;
}

void Duan::dependsOnlyOn(Leaf& leaf, int v, int nvar)
{
    for (int i = 0; i < nvar && i < static_cast<int>(leaf.flags.size()); ++i)
        if (i != v) leaf.flags[i] = 0;
}

void Duan::dependsOnNothing(Leaf& leaf, int nvar)
{
    for (int i = 0; i < nvar && i < static_cast<int>(leaf.flags.size()); ++i) leaf.flags[i] = 0;
}

void Duan::number_of_components(int n) { sizeDuanTerm(n, 0); }

void Duan::sizeDuanTerm(int n, int expected)
{
    sizeForComponents(n, expected, [this, n] {
        for (Leaf* l : {&mlogV, &mV, &mV2, &mV4, &mV5}) dependsOnlyOn(*l, 1, n + 2);
        specify_dependencies();
    });
}

namespace {

// c / V^p (p >= 1) with its first to fourth V-derivatives; -ln V for p = 0.
void loadVolumeLeaf(Leaf& l, double V, int p, int from, int to)
{
    double d[5];
    if (p == 0) {
        d[0] = -std::log(V);
        d[1] = -1.0 / V;
        d[2] = 1.0 / (V * V);
        d[3] = -2.0 / (V * V * V);
        d[4] = 6.0 / (V * V * V * V);
    } else {
        double f = std::pow(V, -p);
        double c = 1.0;
        for (int k = 0; k < 5; ++k) {
            d[k] = c * f;
            c *= -(p + k);
            f /= V;
        }
    }
    if (from <= 0) l.value = d[0];
    if (from <= 1 && to >= 1) l.d1[1] = d[1];
    if (from <= 2 && to >= 2) l.d2[1][1] = d[2];
    if (from <= 3 && to >= 3) l.d3[1][1][1] = d[3];
    if (to >= 4) l.d4[1][1][1][1] = d[4];
}

}  // namespace

void Duan::loadVolumeLeaves(int maxOrder)
{
    if (!mlogV.d1) return;  // not sized
    loadVolumeLeaf(mlogV, V, 0, 0, maxOrder);
    loadVolumeLeaf(mV, V, 1, 0, maxOrder);
    loadVolumeLeaf(mV2, V, 2, 0, maxOrder);
    loadVolumeLeaf(mV4, V, 4, 0, maxOrder);
    loadVolumeLeaf(mV5, V, 5, 0, maxOrder);
}

void Duan::loadHighOrderVolumeLeaves()
{
    if (!mlogV.d1) return;
    loadVolumeLeaf(mlogV, V, 0, 3, 4);
    loadVolumeLeaf(mV, V, 1, 3, 4);
    loadVolumeLeaf(mV2, V, 2, 3, 4);
    loadVolumeLeaf(mV4, V, 4, 3, 4);
    loadVolumeLeaf(mV5, V, 5, 3, 4);
}

void Duan::calculate_volume_dependent_parameters() { loadVolumeLeaves(4); }

void Duan::print_parameters(std::FILE* f)
{
    auto val = [](const Expression* e) { return e ? e->value : 0.0; };
    std::fprintf(f, "Virial coefficients\nBd %lg  Cd %lg  Dd %lg\nEd %lg  Fd %lg  beta1 %lg\ngama %lg", val(Bd),
                 val(Cd), val(Dd), val(Ed), val(Fd), val(beta1), val(gama));
}
