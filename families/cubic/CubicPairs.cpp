#include "families/cubic/CubicPairs.h"

#include <cmath>

#include "expressions/Leaf.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "families/cubic/CubicData.h"

void CubicPairs::size(int count, LineaX2* b) {
    n = count;
    covolumes.assign(n, 0.0);
    diameters.assign(n, 0.0);
    bij.assign(n * (n + 1) / 2, 0.0);
    kaij.assign(n * n, 0.0);
    kbij.assign(n * n, 0.0);
    aij.setSize(n);
    bpa.setSize(n);
    aijr.setSize(n);
    aijp.setSize(n);
    b->defineXVariables(2, n);
}

void CubicPairs::buildRow(int i, Expr1& ai, SumX2* a) {
    aij(i, i) = ai(i);  // the diagonal is the component's own node, under its own name
    a->tie_ij(i, i, ai(i));
    for (int j = 0; j < i; j++) {
        auto* p = new Product();
        auto* r = new Power();
        auto* q = new Product();
        auto* k = new Leaf();
        aij(i, j) = p;
        aijr(i, j) = r;
        aijp(i, j) = q;
        bpa(i, j) = k;
        aij.setName(i, j);
        aijr.setName(i, j);
        aijp.setName(i, j);
        bpa.setName(i, j);
        k->value = 1.0;
        r->set_scalars3(1.0, 0.5, 0.0);
        p->tiep2(k, r);
        r->tiep1(q);
        q->tiep2(ai(i), ai(j));
        a->tie_ij(i, j, p);
    }
}

void CubicPairs::clearConstantFlags() {
    for (int i = 0; i < n; i++)
        for (int j = 0; j < i; j++) {
            auto* k = static_cast<Leaf*>(bpa(i, j));
            for (int& f : k->flags) f = 0;
        }
}

void CubicPairs::apply(LineaX2* b) {
    if (static_cast<int>(b->a.size()) < n * (n + 1) / 2) return;
    for (int i = 0; i < n; i++) {
        bij[tri(i, i)] = covolumes[i];
        b->a[tri(i, i)] = covolumes[i];
        for (int j = 0; j < i; j++) {
            bij[tri(i, j)] = 0.5 * (covolumes[i] + covolumes[j]) * (1.0 - kbij[i * n + j]);
            b->a[tri(i, j)] = bij[tri(i, j)];
        }
    }
    b->calculated = false;
}

void CubicPairs::setKaij(int i, int j, double k) {
    if (i < 0 || j < 0 || i >= n || j >= n || i == j) return;
    kaij[i * n + j] = kaij[j * n + i] = k;
    const int hi = i > j ? i : j, lo = i > j ? j : i;
    static_cast<Leaf*>(bpa(hi, lo))->value = 1.0 - k;
}

void CubicPairs::setKbij(int i, int j, double k) {
    if (i < 0 || j < 0 || i >= n || j >= n) return;
    kbij[i * n + j] = kbij[j * n + i] = k;
    bij[tri(i, j)] = 0.5 * (covolumes[i] + covolumes[j]) * (1.0 - k);
}

bool CubicPairs::setCovolume(int i, double b) {
    if (i < 0 || i >= n) return false;
    covolumes[i] = b;
    diameters[i] = std::cbrt(b * cubic::kCovolumeToDiameter3);
    return i == n - 1;
}

bool CubicPairs::setDiameter(int i, double sigma) {
    if (i < 0 || i >= n) return false;
    diameters[i] = sigma;
    covolumes[i] = sigma * sigma * sigma * cubic::kDiameter3ToCovolume;
    return i == n - 1;
}

double CubicPairs::mixtureCovolume(const std::vector<double>& x) const {
    double s = 0.0;
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) s += x[i] * x[j] * bij[tri(i, j)];
    return s;
}
