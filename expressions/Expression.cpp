#include "expressions/Expression.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "numerics/Equation.h"
#include "platform/LogSink.h"

#include <ostream>

constinit thread_local int Expression::sMargin = 0;
constinit thread_local int Expression::sError = 0;
constinit thread_local Equation* Expression::sVarbox = nullptr;
constinit thread_local LeafUpdateFn Expression::sVarcalc = nullptr;
constinit thread_local WalkCounter Expression::sVarEpoch;
constinit thread_local int Expression::sVarDepth = 0;
constinit thread_local int Expression::sNesting = 0;
constinit thread_local WalkCounter Expression::sMarkEpoch;
constinit thread_local bool Expression::sCompiled = true;
constinit thread_local bool Expression::sHigherOrderProducts = false;

namespace {

// The storage most recently handed out by Expression::operator new on this
// thread and not yet claimed by a constructor.  The first node constructed
// inside it is the object that was created with new; nodes constructed later
// (its members, in a class that holds nodes) are not.
constinit thread_local const char* gPendingBegin = nullptr;
constinit thread_local const char* gPendingEnd = nullptr;

}  // namespace

// Nodes and their blocks of entries start on a cache line: the fields a pass
// reads (a node's first line) and the node class's own (a later one) are then
// whole lines, and so are the first- and second-order entries of T and V.
constexpr std::align_val_t kLineAlignment{64};

void* Expression::operator new(std::size_t size) {
    void* p = ::operator new(size, kLineAlignment);
    gPendingBegin = static_cast<const char*>(p);
    gPendingEnd = gPendingBegin + size;
    return p;
}

void Expression::operator delete(void* p) noexcept { ::operator delete(p, kLineAlignment); }

void* Expression::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    void* p = ::operator new(size, kLineAlignment, std::nothrow);
    if (p) {
        gPendingBegin = static_cast<const char*>(p);
        gPendingEnd = gPendingBegin + size;
    }
    return p;
}

void Expression::operator delete(void* p, const std::nothrow_t&) noexcept { ::operator delete(p, kLineAlignment); }

Expression::Expression() {
    const char* self = reinterpret_cast<const char*>(this);
    if (gPendingBegin && self >= gPendingBegin && self < gPendingEnd) {
        separate_ = true;
        gPendingBegin = gPendingEnd = nullptr;
    }
}

// A node that goes may be listed in plans.
Expression::~Expression() {
    structureChanged();
    releaseBlock();
}

void Expression::unlink(Expression* child) {
    if (!child) return;
    child->structureChanged();
    --child->refcount;
    if (child->refcount <= 0 && child->separate_) delete child;
}

void Expression::relink(Expression*& slot, Expression* e) {
    Expression* old = slot;
    link(e);
    slot = e;
    unlink(old);
}

// ---- compiled evaluation

bool Expression::planChildren(std::vector<Expression*>&) { return false; }
void Expression::evaluateNode(int order) { calculate(order); }
void Expression::evaluateNode(int order, int var) { calculate(order, var); }
VarKernel Expression::varKernel(int) const { return nullptr; }
FullKernel Expression::fullKernel(int) const { return nullptr; }

std::ostream& operator<<(std::ostream& os, const NodeName& n) { return os << n.c_str(); }

void WalkCounter::refill() {
    // The blocks drawn so far, by every thread: the one shared count, atomic.
    static std::atomic<unsigned long long> blocks{0};
    now = (blocks.fetch_add(1, std::memory_order_relaxed) + 1) << 32;
    end = now + (1ull << 32);
    ++now;
}



void Expression::releaseBlock() {
    if (d1) ::operator delete(static_cast<void*>(d1), kLineAlignment);
    d1 = D2 = D3 = D4 = nullptr;
    d2 = nullptr;
    d3 = nullptr;
    d4 = nullptr;
}

void Expression::allocateBlock(int n) {
    structureChanged();  // the plans keep addresses of the storage
    int order = std::clamp(sDerivOrder, 0, 4);
    releaseBlock();
    if (n <= 0 || order < 1) return;
    const std::size_t total = storedEntries(n, order);
    const std::size_t N = static_cast<std::size_t>(n);
    // Pointer tables after the entries: rows of d2 and sub-rows of d3 and d4
    // (n1), rows of d3 and sub-rows of d4 (n2), rows of d4 (n3).
    std::size_t n1 = N, n2 = 0, n3 = 0;
    if (order >= 3) n1 += N * (N + 1) / 2, n2 += N;
    if (order >= 4) n1 += N * (N + 1) * (N + 2) / 6, n2 += N * (N + 1) / 2, n3 += N;
    if (order < 2) n1 = 0;
    const std::size_t bytes = total * sizeof(double) + (n1 + n2 + n3) * sizeof(void*);
    void* raw = ::operator new(bytes, kLineAlignment);
    std::memset(raw, 0, bytes);
    d1 = static_cast<double*>(raw);
    if (order >= 2) D2 = d1 + N;
    if (order >= 3) D3 = D2 + N * (N + 1) / 2;
    if (order >= 4) D4 = D3 + N * (N + 1) * (N + 2) / 6;
    double** rows1 = reinterpret_cast<double**>(d1 + total);
    double*** rows2 = reinterpret_cast<double***>(rows1 + n1);
    double**** rows3 = reinterpret_cast<double****>(rows2 + n2);
    std::size_t p1 = 0, p2 = 0;
    if (order >= 2) {
        d2 = rows1;
        for (int i = 0; i < n; ++i) rows1[p1++] = D2 + off2(i, 0);
    }
    if (order >= 3) {
        d3 = rows2;
        for (int i = 0; i < n; ++i) {
            rows2[p2++] = rows1 + p1;
            for (int j = 0; j <= i; ++j) rows1[p1++] = D3 + off3(i, j, 0);
        }
    }
    if (order >= 4) {
        d4 = rows3;
        for (int i = 0; i < n; ++i) {
            rows3[i] = rows2 + p2;
            for (int j = 0; j <= i; ++j) {
                rows2[p2++] = rows1 + p1;
                for (int k = 0; k <= j; ++k) rows1[p1++] = D4 + off4(i, j, k, 0);
            }
        }
    }
}

void Expression::number_of_variables(int n) {
    if (n == nvar) return;
    structureChanged();
    nvar = n;
    allocateBlock(n);
}

const char* Expression::getType() const { return "Expression"; }
void Expression::initialize_the_graph() { calculated = false; }
void Expression::analyze_dependencies() {}
int Expression::isDependent(int) { return 1; }
int Expression::hasLeaves() { return 0; }
void Expression::check_pointers(std::FILE*) {}
void Expression::reset() { calculated = false; }
void Expression::set_variable_values(double*) {}
void Expression::calculate(int) {}
void Expression::calculate(int, int) {}

void Expression::tie1(Expression&) {
    platform::diagf("Error : \"tie (Expression &)\" is not implemented for %s\n", displayName());
}
void Expression::tie2(Expression&, Expression&) {
    platform::diagf("Error : \"tie (Expression &, Expression &)\" is not implemented for %s\n",
                 displayName());
}
void Expression::tieTerms(std::span<Expression* const>) {
    platform::diagf("Error : \"tie (Expression *, ... )\" is not implemented for %s\n", displayName());
}
void Expression::tie(int, Expression&) {
    platform::diagf("Error : \"tie (int, Expression &)\" is not implemented for %s\n", displayName());
}
void Expression::tiep1(Expression*) {
    platform::diagf("Error : \"tie (Expression &)\" is not implemented for %s\n", displayName());
}
void Expression::tiep2(Expression*, Expression*) {
    platform::diagf("Error : \"tie (Expression &, Expression &)\" is not implemented for %s\n",
                 displayName());
}
void Expression::set_scalars1(double) {
    platform::diagf("Error : \"set_scalars1 (double)\" is not implemented for %s\n", displayName());
}
void Expression::set_scalars2(double, double) {
    platform::diagf("Error : \"set_scalars2 (double,double)\" is not implemented for %s\n",
                 displayName());
}
void Expression::set_scalars3(double, double, double) {
    platform::diagf("Error : \"set_scalars3 (double, double, double)\" is not implemented for %s\n",
                 displayName());
}
void Expression::setScalarsList(std::span<const double>) {
    platform::diagf("Error : \"set_scalars_ (double, ...)\" is not implemented for %s\n",
                 displayName());
}

void printMargin(std::FILE* f) {
    Expression::marksSet();  // the printing walks mark the nodes they have printed
    for (int i = 0; i < Expression::sMargin; ++i) std::fputc(' ', f);
}

void Expression::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s\n", displayName());
}

void Expression::printFormulas(std::FILE* f) {
    initialize_the_graph();
    sMargin += 4;
    printFormula(f);
    sMargin -= 4;
    calculated = true;
}

void Expression::printValue(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s\t%14.10g\n", displayName(), value);
}

void Expression::printValues(std::FILE* f) {
    if (calculated) return;
    sMargin += 4;
    printValue(f);
    sMargin -= 4;
    calculated = true;
}

Expression* Expression::findByName(const char* s) {
    if (s && hasName() && name == s) return this;
    return nullptr;
}

void Expression::setName(const char* s) {
    if (hasName()) platform::diagf("Rename %s expression to %s ?\n", name.c_str(), s ? s : "");
    name = s ? s : "";
}

void Expression::clean(int order) {
    value = 0.0;
    if (order < 1 || order > 4 || !d1) return;
    std::size_t n = storedEntries(nvar, std::min(order, std::clamp(sDerivOrder, 0, 4)));
    std::fill(d1, d1 + n, 0.0);
}

namespace {
void sortDescending(int* a, int n) {
    for (int p = 1; p < n; ++p)
        for (int q = p; q > 0 && a[q] > a[q - 1]; --q) std::swap(a[q], a[q - 1]);
}
}  // namespace

double* Expression::dvp(int i, int j, int k) {
    int a[3] = {i, j, k};
    sortDescending(a, 3);
    return &d3[a[0]][a[1]][a[2]];
}

double* Expression::dvp(int i, int j, int k, int l) {
    int a[4] = {i, j, k, l};
    sortDescending(a, 4);
    return &d4[a[0]][a[1]][a[2]][a[3]];
}

double Expression::deriv(std::initializer_list<int> idx) const {
    int a[4] = {0, 0, 0, 0};
    int n = 0;
    for (int v : idx) {
        if (n < 4) a[n] = v;
        ++n;
    }
    sortDescending(a, std::min(n, 4));
    switch (n) {
        case 0: return value;
        case 1: return d1 ? d1[a[0]] : 0.0;
        case 2: return D2 ? D2[off2(a[0], a[1])] : 0.0;
        case 3: return D3 ? D3[off3(a[0], a[1], a[2])] : 0.0;
        case 4: return D4 ? D4[off4(a[0], a[1], a[2], a[3])] : 0.0;
        default: return 0.0;
    }
}

void Expression::check_dependencies(std::FILE* f) {
    std::fprintf(f, "Dependencies");
    if (hasName())
        std::fprintf(f, " of %s\n", name.c_str());
    else
        std::fprintf(f, "\n");
    for (int i = 0; i < nvar; ++i) std::fprintf(f, "\tvar %d : %d\n", i, isDependent(i));
    std::fprintf(f, "\n\n");
}

void Expression::debugLink(double* w) {
    if (sVarbox && sVarcalc) (sVarbox->*sVarcalc)(w);
}

// Central differences of the derivatives one order lower, against the
// analytic derivatives of order m.
void Expression::checkOrder(std::FILE* f, int m, double* x, double* h) {
    const int n = nvar;
    if (n <= 0 || !x || !h) return;
    std::vector<double> w(x, x + n);
    // num holds, for each row i, the entries with last indices <= i, laid out
    // like the stored derivatives of order m.
    std::vector<double> num(storedEntries(n, m) - storedEntries(n, m - 1), 0.0);
    auto lower = [&](int j, int k) -> double {  // entry of order m-1 at (j, k)
        if (m == 1) return value;
        if (m == 2) return d1[j];
        return D2[off2(j, k)];
    };
    for (int i = 0; i < n; ++i) {
        for (int sgn = 0; sgn < 2; ++sgn) {
            initialize_the_graph();
            w[i] = sgn == 0 ? x[i] + h[i] : x[i] - h[i];
            debugLink(w.data());
            set_variable_values(w.data());
            calculate(m - 1);
            double s = sgn == 0 ? 1.0 : -1.0;
            if (m == 1) {
                num[i] += s * lower(0, 0);
            } else if (m == 2) {
                for (int j = 0; j <= i; ++j) num[off2(i, j)] += s * lower(j, 0);
            } else if (m == 3) {
                for (int j = 0; j <= i; ++j)
                    for (int k = 0; k <= j; ++k) num[off3(i, j, k)] += s * lower(j, k);
            } else {
                for (int j = 0; j <= i; ++j)
                    for (int k = 0; k <= j; ++k)
                        for (int l = 0; l <= k; ++l) num[off4(i, j, k, l)] += s * D3[off3(j, k, l)];
            }
        }
        w[i] = x[i];
        double q = 2.0 * h[i];
        if (m == 1) {
            num[i] /= q;
        } else if (m == 2) {
            for (int j = 0; j <= i; ++j) num[off2(i, j)] /= q;
        } else if (m == 3) {
            for (int j = 0; j <= i; ++j)
                for (int k = 0; k <= j; ++k) num[off3(i, j, k)] /= q;
        } else {
            for (int j = 0; j <= i; ++j)
                for (int k = 0; k <= j; ++k)
                    for (int l = 0; l <= k; ++l) num[off4(i, j, k, l)] /= q;
        }
    }
    initialize_the_graph();
    debugLink(w.data());
    set_variable_values(w.data());
    calculate(m);

    if (m == 1) {
        std::fprintf(f, "Value    %lg\n\n", value);
        for (int i = 0; i < n; ++i) {
            std::fprintf(f, "der. ana. ( %d )   %22lg\n", i, d1[i]);
            std::fprintf(f, "     num.         %22lg\n", num[i]);
        }
    } else if (m == 2) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j) {
                std::fprintf(f, "d2 ana. ( %d , %d ) %22lg\n", i, j, D2[off2(i, j)]);
                std::fprintf(f, "   num.           %22lg\n", num[off2(i, j)]);
            }
    } else if (m == 3) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j)
                for (int k = 0; k <= j; ++k) {
                    std::fprintf(f, "d3 ana. ( %d , %d , %d )  %17lg\n", i, j, k, D3[off3(i, j, k)]);
                    std::fprintf(f, "   num.                %17lg\n", num[off3(i, j, k)]);
                }
    } else {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j)
                for (int k = 0; k <= j; ++k)
                    for (int l = 0; l <= k; ++l) {
                        std::fprintf(f, "d4 ana. ( %d , %d , %d , %d)   %13lg\n", i, j, k, l,
                                     D4[off4(i, j, k, l)]);
                        std::fprintf(f, "   num.                    %13lg\n", num[off4(i, j, k, l)]);
                    }
    }
    std::fprintf(f, "\n\n");
}

void Expression::check1(std::FILE* f, double* x, double* h) { checkOrder(f, 1, x, h); }
void Expression::check2(std::FILE* f, double* x, double* h) { checkOrder(f, 2, x, h); }
void Expression::check3(std::FILE* f, double* x, double* h) { checkOrder(f, 3, x, h); }
void Expression::check4(std::FILE* f, double* x, double* h) { checkOrder(f, 4, x, h); }

void Expression::checkall(std::FILE* f, double* x, double* h) {
    check_dependencies(f);
    check1(f, x, h);
    check2(f, x, h);
    check3(f, x, h);
    check4(f, x, h);
}

// The pure derivative of order m in variable i against the central difference
// of the pure derivative of order m-1.
void Expression::checkOrderVar(std::FILE* f, int m, int i, double* x, double h) {
    const int n = nvar;
    if (n <= 0 || !x || i < 0 || i >= n) return;
    std::vector<double> w(x, x + n);
    auto diag = [&](int order) -> double {
        switch (order) {
            case 0: return value;
            case 1: return d1[i];
            case 2: return D2[off2(i, i)];
            case 3: return D3[off3(i, i, i)];
            default: return D4[off4(i, i, i, i)];
        }
    };
    double num = 0.0;
    for (int sgn = 0; sgn < 2; ++sgn) {
        initialize_the_graph();
        w[i] = sgn == 0 ? x[i] + h : x[i] - h;
        debugLink(w.data());
        set_variable_values(w.data());
        calculate(m - 1, i);
        num += (sgn == 0 ? 1.0 : -1.0) * diag(m - 1);
    }
    w[i] = x[i];
    num /= 2.0 * h;
    initialize_the_graph();
    debugLink(w.data());
    set_variable_values(w.data());
    calculate(m, i);
    if (m == 1) {
        std::fprintf(f, "Value    %lg\n\n", value);
        std::fprintf(f, "d1. ana. %lg\n", d1[i]);
        std::fprintf(f, "    num. %lg\n", num);
    } else {
        std::fprintf(f, "d%d ana. %lg\n", m, diag(m));
        std::fprintf(f, "   num. %lg\n", num);
    }
    std::fprintf(f, "\n\n");
}

void Expression::check1(std::FILE* f, int i, double* x, double h) { checkOrderVar(f, 1, i, x, h); }
void Expression::check2(std::FILE* f, int i, double* x, double h) { checkOrderVar(f, 2, i, x, h); }
void Expression::check3(std::FILE* f, int i, double* x, double h) { checkOrderVar(f, 3, i, x, h); }
void Expression::check4(std::FILE* f, int i, double* x, double h) { checkOrderVar(f, 4, i, x, h); }

void Expression::checkDebugLink() {
    if (hasLeaves() && (!sVarbox || !sVarcalc)) {
        platform::diagf("There are Node of type \"Leaf\" in the tree, but no function to calculate them ! \n");
        platform::diagf("Do not forget to call the setDebugLink () function\n");
        platform::diagf("in the source code of your constructor.\n");
    }
}
