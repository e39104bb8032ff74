// PolyVar, Linear and the polynomial forms LineaX, LineaX2, LineaX3.
#include <algorithm>

#include "expressions/LineaX.h"
#include "platform/LogSink.h"

// ---- PolyVar ----
PolyVar::~PolyVar() = default;

void PolyVar::number_of_variables(int n) {
    if (n == nvar) return;
    Expression::number_of_variables(n);
    values.assign(n > 0 ? n : 0, 0.0);
}

void PolyVar::set_variable_values(double* v) {
    if (!v) return;
    std::copy(v, v + values.size(), values.begin());
}

// ---- Linear ----
Linear::~Linear() = default;
const char* Linear::getType() const { return "Linear"; }
int Linear::isDependent(int i) { return first >= 0 && i >= first && i < first + count ? 1 : 0; }

void Linear::set_variable_values(double* v) {
    if (!v || first < 0) return;
    for (int i = 0; i < count; ++i) x[i] = v[first + i];
}

void Linear::defineXVariables(int first_, int count_) {
    first = first_;
    count = count_ > 0 ? count_ : 0;
    x.assign(count, 0.0);
}

// ---- LineaX ----
LineaX::~LineaX() = default;

void LineaX::defineXVariables(int first_, int count_) {
    Linear::defineXVariables(first_, count_);
    ncoef = count;
    a.assign(ncoef, 0.0);
}

void LineaX::clean(int order) {
    value = 0.0;
    if (order >= 1 && windowFits()) std::fill(d1 + first, d1 + first + count, 0.0);
}

void LineaX::calculate(int order) {
    if (calculated) return;
    clean(order);
    const bool derivs = windowFits();
    for (int i = 0; i < count; ++i) {
        value += a[i] * x[i];
        if (derivs) d1[first + i] = a[i];
    }
    calculated = true;
}

void LineaX::calculate(int, int var) {
    if (calculated) return;
    value = 0.0;
    for (int i = 0; i < count; ++i) value += a[i] * x[i];
    if (isDependent(var) && windowFits()) d1[var] = a[var - first];
    calculated = true;
}

void LineaX::setScalarsList(std::span<const double> c) {
    if (static_cast<int>(c.size()) != count) {
        platform::diagf("Error : \"set_scalars_ (double, ...)\" takes %d values for %s, not %d.\n", count,
                     displayName(), static_cast<int>(c.size()));
        return;
    }
    std::copy(c.begin(), c.end(), a.begin());
    calculated = false;
}

void LineaX::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = ", displayName());
    for (int i = 0; i < count; ++i) {
        const double c = a[i];
        const int I = first + i;
        if (i == 0) {
            if (c == 1)
                std::fprintf(f, "var (%d) ", I);
            else if (c == -1)
                std::fprintf(f, "- var (%d) ", I);
            else
                std::fprintf(f, "%lg var (%d) ", c, I);
        } else if (c == 1) {
            std::fprintf(f, "+ var (%d) ", I);
        } else if (c == -1) {
            std::fprintf(f, "- var (%d) ", I);
        } else if (c >= 0) {
            std::fprintf(f, "+ %lg var (%d) ", c, I);
        } else {
            std::fprintf(f, "- %lg var (%d) ", -c, I);
        }
    }
    std::fprintf(f, "\n");
}

// ---- LineaX2 ----
LineaX2::~LineaX2() = default;

void LineaX2::defineXVariables(int first_, int count_) {
    Linear::defineXVariables(first_, count_);
    ncoef = count * (count + 1) / 2;
    a.assign(ncoef, 0.0);
}

// The first derivatives are accumulated, so they are cleared at every order.
void LineaX2::clean(int order) {
    value = 0.0;
    if (!windowFits()) return;
    std::fill(d1 + first, d1 + first + count, 0.0);
    if (order >= 2)
        for (int i = 0; i < count; ++i)
            for (int j = 0; j <= i; ++j) d2[first + i][first + j] = 0.0;
}

void LineaX2::calculate(int order) {
    if (calculated) return;
    clean(order);
    const bool derivs = windowFits();
    for (int i = 0; i < count; ++i) {
        const int I = first + i;
        const double aii = a[position(i, i)];
        value += aii * x[i] * x[i];
        if (derivs) {
            d1[I] += 2.0 * aii * x[i];
            d2[I][I] = 2.0 * aii;
        }
        for (int j = 0; j < i; ++j) {
            const int J = first + j;
            const double aij = a[position(i, j)];
            value += 2.0 * aij * x[i] * x[j];
            if (derivs) {
                d1[I] += 2.0 * aij * x[j];
                d1[J] += 2.0 * aij * x[i];
                d2[I][J] = 2.0 * aij;
            }
        }
    }
    calculated = true;
}

void LineaX2::calculate(int order, int var) {
    if (calculated) return;
    const bool inWindow = isDependent(var) && windowFits() && order >= 1 && order <= 4;
    if (inWindow) clean(order);
    value = 0.0;
    for (int i = 0; i < count; ++i) {
        value += a[position(i, i)] * x[i] * x[i];
        for (int j = 0; j < i; ++j) value += 2.0 * a[position(i, j)] * x[i] * x[j];
    }
    if (inWindow) {
        const int k = var - first;
        d2[var][var] = 2.0 * a[position(k, k)];
        double g = 0.0;
        for (int i = 0; i < count; ++i) g += 2.0 * coef(k, i) * x[i];
        d1[var] = g;
    }
    calculated = true;
}

void LineaX2::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = ", displayName());
    for (int i = 0; i < count; ++i)
        for (int j = 0; j <= i; ++j) {
            const double c = a[position(i, j)];
            const int I = first + i, J = first + j;
            if (i == 0) {
                if (c == 1)
                    std::fprintf(f, "var%d var%d ", I, J);
                else if (c == -1)
                    std::fprintf(f, "- var%d var%d ", I, J);
                else
                    std::fprintf(f, "%lg * var%d var%d ", c, I, J);
            } else if (c == 0) {
                continue;
            } else if (i == j) {
                if (c == 1)
                    std::fprintf(f, "+ var%d var%d ", I, J);
                else if (c == -1)
                    std::fprintf(f, "- var%d var%d ", I, J);
                else if (c > 0)
                    std::fprintf(f, "+ %lg var%d var%d ", c, I, J);
                else
                    std::fprintf(f, "- %lg var%d var%d ", -c, I, J);
            } else {
                if (c == 1)
                    std::fprintf(f, "+ %s * var%d var%d ", "2", I, J);
                else if (c == -1)
                    std::fprintf(f, "- %s * var%d var%d ", "2", I, J);
                else if (c > 0)
                    std::fprintf(f, "+ %s * %lg var%d var%d ", "2", c, I, J);
                else
                    std::fprintf(f, "- %s * %lg var%d var%d ", "2", -c, I, J);
            }
        }
    std::fprintf(f, "\n");
}

// ---- LineaX3 ----
LineaX3::~LineaX3() = default;

void LineaX3::defineXVariables(int first_, int count_) {
    Linear::defineXVariables(first_, count_);
    ncoef = count * count * (count - 1) / 2 + count;
    a.assign(ncoef > 0 ? ncoef : 0, 0.0);
}

double LineaX3::coef(int i, int j, int k) const {
    if (i < j) std::swap(i, j);
    if (j < k) std::swap(j, k);
    if (i < j) std::swap(i, j);
    return a[position(i, j, k)];
}

// The first and second derivatives are accumulated, so they are cleared at
// every order.
void LineaX3::clean(int order) {
    value = 0.0;
    if (!windowFits()) return;
    for (int i = 0; i < count; ++i) {
        const int I = first + i;
        d1[I] = 0.0;
        for (int j = 0; j <= i; ++j) {
            d2[I][first + j] = 0.0;
            if (order >= 3)
                for (int k = 0; k <= j; ++k) d3[I][first + j][first + k] = 0.0;
        }
    }
}

void LineaX3::calculate(int order) {
    if (calculated) return;
    clean(order);
    const bool derivs = windowFits();
    for (int i = 0; i < count; ++i) {
        const int I = first + i;
        const double xi = x[i];
        const double c = a[position(i, i, i)];
        value += c * xi * xi * xi;
        if (derivs) {
            d1[I] += 3.0 * c * xi * xi;
            d2[I][I] += 6.0 * c * xi;
            d3[I][I][I] = 6.0 * c;
        }
        for (int j = 0; j < i; ++j) {
            const int J = first + j;
            const double xj = x[j];
            const double cij = a[position(i, i, j)];
            const double cjj = a[position(i, j, j)];
            value += 3.0 * cij * xi * xi * xj + 3.0 * cjj * xi * xj * xj;
            if (derivs) {
                d1[I] += 6.0 * cij * xi * xj + 3.0 * cjj * xj * xj;
                d1[J] += 3.0 * cij * xi * xi + 6.0 * cjj * xi * xj;
                d2[I][I] += 6.0 * cij * xj;
                d2[I][J] += 6.0 * cij * xi + 6.0 * cjj * xj;
                d2[J][J] += 6.0 * cjj * xi;
                d3[I][I][J] = 6.0 * cij;
                d3[I][J][J] = 6.0 * cjj;
            }
            for (int k = 0; k < j; ++k) {
                const int K = first + k;
                const double xk = x[k];
                const double e = a[position(i, j, k)];
                value += 6.0 * e * xi * xj * xk;
                if (derivs) {
                    d1[I] += 6.0 * e * xj * xk;
                    d1[J] += 6.0 * e * xi * xk;
                    d1[K] += 6.0 * e * xi * xj;
                    d2[I][J] += 6.0 * e * xk;
                    d2[I][K] += 6.0 * e * xj;
                    d2[J][K] += 6.0 * e * xi;
                    d3[I][J][K] = 6.0 * e;
                }
            }
        }
    }
    calculated = true;
}

void LineaX3::calculate(int order, int var) {
    if (calculated) return;
    const bool inWindow = isDependent(var) && windowFits() && order != 0;
    if (inWindow) clean(order);
    // f = sum over all ordered (i, j, k) of A_ijk x_i x_j x_k, A the symmetric tensor.
    double f = 0.0;
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < count; ++j)
            for (int k = 0; k < count; ++k) f += coef(i, j, k) * x[i] * x[j] * x[k];
    value = f;
    if (inWindow) {
        const int m = var - first;
        double g1 = 0.0, g2 = 0.0;
        for (int i = 0; i < count; ++i) {
            g2 += coef(m, m, i) * x[i];
            for (int j = 0; j < count; ++j) g1 += coef(m, i, j) * x[i] * x[j];
        }
        d1[var] = 3.0 * g1;
        d2[var][var] = 6.0 * g2;
        d3[var][var][var] = 6.0 * coef(m, m, m);
    }
    calculated = true;
}

void LineaX3::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = ", displayName());
    for (int i = 0; i < count; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k) {
                const double c = a[position(i, j, k)];
                const int I = first + i, J = first + j, K = first + k;
                if (i == 0) {
                    if (c == 1)
                        std::fprintf(f, "var%d var%d var%d ", I, J, K);
                    else if (c == -1)
                        std::fprintf(f, "- var%d var%d var%d ", I, J, K);
                    else
                        std::fprintf(f, "%lg var%d var%d var%d ", c, I, J, K);
                } else if (c == 0) {
                    continue;
                } else if (i == j && j == k) {
                    if (c == 1)
                        std::fprintf(f, "+ var%d var%d var%d ", I, J, K);
                    else if (c == -1)
                        std::fprintf(f, "- var%d var%d var%d ", I, J, K);
                    else if (c > 0)
                        std::fprintf(f, "+ %lg var%d var%d var%d ", c, I, J, K);
                    else
                        std::fprintf(f, "- %lg var%d var%d var%d ", -c, I, J, K);
                } else {
                    const char* m = (i == j || j == k) ? "3" : "6";
                    if (c == 1)
                        std::fprintf(f, "+ %s * var%d var%d var%d ", m, I, J, K);
                    else if (c == -1)
                        std::fprintf(f, "- %s * var%d var%d var%d ", m, I, J, K);
                    else if (c > 0)
                        std::fprintf(f, "+ %s * %lg var%d var%d var%d ", m, c, I, J, K);
                    else
                        std::fprintf(f, "- %s * %lg var%d var%d var%d ", m, -c, I, J, K);
                }
            }
    std::fprintf(f, "\n");
}
