#include "expressions/ExpressionArrays.h"

#include <cstdio>

#include "numerics/Arrays.h"
#include "platform/LogSink.h"

namespace {

// Number of sorted D-tuples with first index below i: C(i + D - 1, D).
std::size_t simplex(int i, int D) {
    if (i <= 0) return 0;
    std::size_t r = 1;
    for (int k = 0; k < D; ++k) r = r * static_cast<std::size_t>(i + k) / static_cast<std::size_t>(k + 1);
    return r;
}

}  // namespace

template <int D>
std::size_t ExprTable<D>::offset(const int* a) {
    std::size_t off = 0;
    for (int p = 0; p < D; ++p) off += simplex(a[p], D - p);
    return off;
}

template <int D>
void ExprTable<D>::setSize(int n) {
    size = n > 0 ? n : 0;
    elements.assign(simplex(size, D), nullptr);
}

template <int D>
bool ExprTable<D>::check_index(const int* a) const {
    const char* base = baseName.empty() ? "noname" : baseName.c_str();
    if (a[0] >= size) {
        platform::diagf("Expression 1D %s :\n", base);
        platform::diagf("\tIndex %d too high for the dimension (%d).\n", a[0], size);
        platform::diagf("\tYou have probably missed a setSize instruction.\n");
        return false;
    }
    static const char* const order[] = {"\tIndex (j) %d than index (i) %d.\n", "\tIndex (k) %d than index (j) %d.\n",
                                        "\tIndex (l) %d than index (k) %d.\n", "\tIndex (m) %d than index (l) %d.\n"};
    for (int p = 1; p < D; ++p) {
        if (a[p] > a[p - 1]) {
            platform::diagf("Expression 1D %s :\n", base);
            platform::diagf(order[p - 1], a[p], a[p - 1]);
            return false;
        }
    }
    for (int p = 0; p < D; ++p) {
        if (a[p] < 0) {
            platform::diagf("Expression 1D %s :\n", base);
            platform::diagf("\tIndex %d is negative.\n", a[p]);
            return false;
        }
    }
    return true;
}

template <int D>
void ExprTable<D>::setNameAt(const int* a) {
    if (baseName.empty()) return;
    if (!check_index(a)) {
        indexError = true;
        return;
    }
    Expression* e = elements[offset(a)];
    if (!e) return;
    std::string text = baseName + "(";
    for (int p = 0; p < D; ++p) {
        if (p) text += ",";
        text += std::to_string(a[p]);
    }
    text += ")";
    e->setName(text.c_str());
}

template class ExprTable<1>;
template class ExprTable<2>;
template class ExprTable<3>;
template class ExprTable<4>;
template class ExprTable<5>;

void expression_allocate(Expression*** out, int n) { *out = symtable::level<Expression*>(n); }

void expression_sym2alloc(Expression**** out, int n) {
    if (n < 0) n = 0;
    Expression*** rows = symtable::level<Expression**>(n);
    Expression** block = n > 0 ? symtable::level<Expression*>(n * (n + 1) / 2) : nullptr;
    for (int i = 0; i < n; ++i) rows[i] = block + i * (i + 1) / 2;
    *out = rows;
}

void expression_sym3alloc(Expression***** out, int n) { *out = symtable::alloc3<Expression*>(n); }
void expression_sym4alloc(Expression****** out, int n) { *out = symtable::alloc4<Expression*>(n); }
void expression_sym5alloc(Expression******* out, int n) { *out = symtable::alloc5<Expression*>(n); }

void expression_dispose_sym2(Expression*** a, int n) {
    if (!a) return;
    if (n > 0) delete[] a[0];
    delete[] a;
}
void expression_dispose_sym3(Expression**** a, int n) { symtable::free3(a, n); }
void expression_dispose_sym4(Expression***** a, int n) { symtable::free4(a, n); }
void expression_dispose_sym5(Expression****** a, int n) { symtable::free5(a, n); }
