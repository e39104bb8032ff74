// Mixing sums SumF, SumX2 .. SumX5.
#include <algorithm>
#include <bit>

#include "expressions/DerivativeKernels.h"
#include "expressions/ChildWalks.h"
#include "expressions/ExpressionArrays.h"
#include "expressions/SumF.h"
#include "platform/LogSink.h"

namespace {

// The tuples of r distinct values among k positions: multiplicities of the
// values (largest value first), kind and multinomial weight, by increasing
// kind for each r.
struct Pattern {
    int mult[5] = {0, 0, 0, 0, 0};
    short kind = 0;
    double weight = 0.0;
};

struct PatternTables {
    int count[6][6] = {};   // [k][r]
    Pattern p[6][6][6];     // [k][r][pattern]

    PatternTables() {
        for (int k = 2; k <= 5; ++k)
            for (int kind = 0; kind < (1 << (k - 1)); ++kind) {
                Pattern pt;
                pt.kind = static_cast<short>(kind);
                int r = 0, run = 1;
                for (int g = 0; g < k - 1; ++g) {
                    if (kind & (1 << (k - 2 - g))) {
                        pt.mult[r++] = run;
                        run = 1;
                    } else {
                        ++run;
                    }
                }
                pt.mult[r++] = run;
                double w = 1.0;
                for (int q = 2; q <= k; ++q) w *= q;
                for (int s = 0; s < r; ++s)
                    for (int q = 2; q <= pt.mult[s]; ++q) w /= q;
                pt.weight = w;
                p[k][r][count[k][r]++] = pt;
            }
    }
};

const PatternTables gPatterns;

// Number of sorted k-tuples over n values.
std::size_t tupleCount(int n, int k) {
    if (n <= 0) return 0;
    std::size_t c = 1;
    for (int q = 0; q < k; ++q) c = c * static_cast<std::size_t>(n + q) / static_cast<std::size_t>(q + 1);
    return c;
}

inline double* levelOf(const DerivView& v, int K) {
    switch (K) {
        case 1: return v.d1;
        case 2: return v.d2;
        case 3: return v.d3;
        default: return v.d4;
    }
}

// The run (distinct index, the largest first) of the sorted tuple t of k
// indices whose tree variable first + t[p] is v; -1 when v is none of them.
int runOf(const int* t, int k, int first, int v) {
    int r = 0;
    for (int p = 0; p < k; ++p) {
        if (p > 0 && t[p] != t[p - 1]) ++r;
        if (first + t[p] == v) return r;
    }
    return -1;
}

using exprk::offsetOf;

}  // namespace

// ---- tuple walks ----

// Every sorted tuple in table order: i ascending, then j from 0 to i, ...
template <class F>
void SumF::forEachTuple(F&& f) {
    if (n <= 0) return;
    int t[5] = {0, 0, 0, 0, 0};
    for (;;) {
        if (!f(static_cast<const int*>(t))) return;
        int q = k_ - 1;
        for (; q >= 0; --q) {
            const int lim = q == 0 ? n - 1 : t[q - 1];
            if (t[q] < lim) {
                ++t[q];
                for (int s = q + 1; s < k_; ++s) t[s] = 0;
                break;
            }
        }
        if (q < 0) return;
    }
}

template <class F>
void SumF::tuplesWith(int r, int* d, F& f) {
    const int np = gPatterns.count[k_][r];
    for (int q = 0; q < np; ++q) {
        const Pattern& pt = gPatterns.p[k_][r][q];
        int t[5], pos = 0;
        for (int s = 0; s < r; ++s)
            for (int m = 0; m < pt.mult[s]; ++m) t[pos++] = d[s];
        f(t, pt.kind, pt.weight);
    }
    if (r < k_)
        for (int v = 0; v < d[r - 1]; ++v) {
            d[r] = v;
            tuplesWith(r + 1, d, f);
        }
}

// Every sorted tuple once, in the order of accumulation, with kind and weight.
template <class F>
void SumF::walk(F&& f) {
    int d[5] = {0, 0, 0, 0, 0};
    for (int i = 0; i < n; ++i) {
        d[0] = i;
        tuplesWith(1, d, f);
    }
}

// ---- SumF ----

SumF::SumF(int k) : k_(k) {}

SumF::~SumF() {
    for (Expression*& e : linked_) {
        Expression* old = e;
        e = nullptr;
        unlink(old);
    }
}

const char* SumF::getType() const { return "SumF"; }

void SumF::number_of_terms(int count) {
    nterms = count;
    number_of_xvariables(count);
}

void SumF::number_of_xvariables(int count) {
    count = count > 0 ? count : 0;
    if (tableN_ && tableN_ != count) releaseTable();
    n = count;
    nterms = count;
    last_.order = -1;
    product->setCount(n);
    product->setFirst(first_);
    calculated = false;
    tupleVarsValid_ = false;
}

void SumF::starting_index(int first) {
    last_.order = -1;
    first_ = first;
    product->setFirst(first);
    calculated = false;
    tupleVarsValid_ = false;
}

void SumF::defineXVariables(int first, int count) {
    number_of_xvariables(count);
    starting_index(first);
    releaseTable();
    if (n > 0) {
        allocateTable(n);
        tableN_ = n;
        linked_.assign(tupleCount(n, k_), nullptr);
    }
}

void SumF::releaseTable() {
    last_.order = -1;
    for (Expression*& e : linked_) {
        Expression* old = e;
        e = nullptr;
        unlink(old);
    }
    linked_.clear();
    structureChanged();
    if (tableN_) disposeTable();
    tableN_ = 0;
}

void SumF::set_xvariables(double* xs) {
    if (xs)
        for (int i = 0; i < n; ++i) product->x[i] = xs[i];
    product->calculated = false;
    // The sum computes again, and so do its terms: the walk of the next
    // evaluation descends through calculated nodes only, so a sum cleared
    // alone would keep it from terms that hold the values of the previous
    // temperature.
    initialize_the_graph();
}

bool SumF::tieAt(const int* t, Expression* e) {
    bool ok = t[0] < n && t[0] >= 0;
    for (int p = 1; p < k_; ++p)
        if (t[p] > t[p - 1] || t[p] < 0) ok = false;
    if (!ok) {
        switch (k_) {
            case 2: platform::diagf("Error : bad %d and %d indexes are specified to %s.\n", t[0], t[1], displayName()); break;
            case 3:
                platform::diagf("Error : bad %d, %d and %d indexes are specified to %s.\n", t[0], t[1], t[2],
                             displayName());
                break;
            case 4:
                platform::diagf("Error : bad %d, %d, %d and %d indexes are specified to %s.\n", t[0], t[1], t[2],
                             t[3], displayName());
                break;
            default:
                platform::diagf("Error : bad %d, %d, %d, %d and %d indexes are specified to %s.\n", t[0], t[1],
                             t[2], t[3], t[4], displayName());
        }
        return false;
    }
    if (tableN_ != n) {  // a tie before the table exists makes it
        releaseTable();
        allocateTable(n);
        tableN_ = n;
        linked_.assign(tupleCount(n, k_), nullptr);
    }
    int tt[5] = {0, 0, 0, 0, 0};
    std::copy(t, t + k_, tt);
    *slot(tt) = e;
    std::size_t idx = 0;
    switch (k_) {
        case 2: idx = ExprTable<2>::offset(tt); break;
        case 3: idx = ExprTable<3>::offset(tt); break;
        case 4: idx = ExprTable<4>::offset(tt); break;
        default: idx = ExprTable<5>::offset(tt); break;
    }
    relink(linked_[idx], e);
    structureChanged();
    tupleVarsValid_ = false;
    last_.order = -1;  // its coefficient may be gone
    return true;
}

bool SumF::tableFits(int count) {
    if (count == n) return true;
    platform::diagf("Error : a table of %d components is installed in \"%s\" of %d components.\n", count,
                 displayName(), n);
    return false;
}

void SumF::syncLinks() {
    tupleVarsValid_ = false;
    last_.order = -1;
    if (!tableN_) return;
    if (linked_.size() != tupleCount(n, k_)) linked_.resize(tupleCount(n, k_), nullptr);
    std::size_t idx = 0;
    forEachTuple([&](const int* t) {
        Expression* e = *slot(t);
        if (linked_[idx] != e) {
            relink(linked_[idx], e);
            structureChanged();
        }
        ++idx;
        return true;
    });
}

// A sum computes only with a table, a window inside the tree and every entry
// tied.
bool SumF::ready(bool report) {
    if (n == 0) return true;
    if (tableN_ != n || !windowFits()) {
        if (report) {
            if (tableN_ != n)
                platform::diagf("Error : \"%s\" has no table of terms for its %d components.\n", displayName(), n);
            else
                platform::diagf("Error : the components %d .. %d of \"%s\" lie outside its %d variables.\n", first_,
                             first_ + n - 1, displayName(), nvar);
        }
        return false;
    }
    return allTied(report);
}


// The coefficient nodes in table order (var >= 0: one variable); false, with
// a message, when the sum cannot compute.
bool SumF::calculateTerms(int order, int var) {
    if (n == 0) return true;
    if (tupleVarsValid_) {  // tied, with its table and window, when the lists were made
        for (Expression* e : tableTerms_) {
            if (var >= 0)
                calculateChild(e, order, var);
            else if (!e->calculated)
                calculateChild(e, order);
        }
        return true;
    }
    if (tableN_ != n || !windowFits()) return ready(true);
    bool tied = true;
    forEachTuple([&](const int* t) {
        Expression* e = *slot(t);
        if (!e) {
            tied = false;
            return false;
        }
        if (var >= 0)
            calculateChild(e, order, var);
        else if (!e->calculated)
            calculateChild(e, order);
        return true;
    });
    if (!tied) platform::diagf("Error : \"%s\" is not linked to another expression.\n", displayName());
    return tied;
}

bool SumF::allTied(bool report) {
    bool ok = true;
    forEachTuple([&](const int* t) {
        if (!*slot(t)) ok = false;
        return ok;
    });
    if (!ok && report) platform::diagf("Error : \"%s\" is not linked to another expression.\n", displayName());
    return ok;
}

void SumF::number_of_variables(int nv) {
    if (nv == nvar) return;
    Operator::number_of_variables(nv);
    syncLinks();
    if (tableN_)
        forEachTuple([&](const int* t) {
            if (Expression* e = *slot(t)) e->number_of_variables(nvar);
            return true;
        });
    last_.order = -1;
    product->number_of_variables(nvar);
    tupleVarsValid_ = false;
    if (n > 0 && !windowFits())
        platform::diagf("Error : the components %d .. %d of \"%s\" lie outside its %d variables.\n", first_,
                     first_ + n - 1, displayName(), nvar);
}

void SumF::initialize_the_graph() {
    if (!calculated) return;
    calculated = false;
    if (!tableN_) return;
    if (tupleVarsValid_) {
        for (Expression* e : tableTerms_)
            if (e->calculated) e->initialize_the_graph();
        return;
    }
    forEachTuple([&](const int* t) {
        Expression* e = *slot(t);
        if (e && e->calculated) e->initialize_the_graph();
        return true;
    });
}

void SumF::reset() {
    calculated = false;
    if (tableN_)
        forEachTuple([&](const int* t) {
            if (Expression* e = *slot(t)) e->reset();
            return true;
        });
    last_.order = -1;
    product->reset();
}

void SumF::set_variable_values(double* x) {
    VariablePass pass;
    if (!takeVariablePass() || !x) return;
    if (tableN_ && tupleVarsValid_) {
        for (Expression* e : tableTerms_)
            if (!e->variablesTaken()) e->set_variable_values(x);
    } else if (tableN_) {
        forEachTuple([&](const int* t) {
            Expression* e = *slot(t);
            if (e && !e->variablesTaken()) e->set_variable_values(x);
            return true;
        });
    }
    if (windowFits()) product->set_variable_values(x);
}

void SumF::analyze_dependencies() {
    if (analysed) return;
    syncLinks();
    if (tableN_)
        forEachTuple([&](const int* t) {
            if (Expression* e = *slot(t)) e->analyze_dependencies();
            return true;
        });
    for (std::size_t v = 0; v < flags.size(); ++v) {
        const int iv = static_cast<int>(v);
        int dep = (n > 0 && iv >= first_ && iv < first_ + n) ? 1 : 0;
        if (!dep && tableN_)
            forEachTuple([&](const int* t) {
                Expression* e = *slot(t);
                if (e && e->isDependent(iv)) dep = 1;
                return !dep;
            });
        flags[v] = dep;
    }
    analysed = true;
    structureChanged();
    tupleVarsValid_ = false;
    if (n > 0 && tableN_ == n && windowFits() && allTied(false)) gatherTupleVariables();
}

void SumF::gatherTupleVariables() {
    tupleVars_.clear();
    tupleStart_.clear();
    sepEntries_.clear();
    sepEnd_.clear();
    tuples_.clear();
    tableTerms_.clear();
    walk([&](const int* t, short kind, double w) {
        TupleRecord rec{*slot(t), w, kind, {0, 0, 0, 0, 0}};
        std::copy(t, t + k_, rec.t);
        tuples_.push_back(rec);
        const int b = static_cast<int>(tupleVars_.size());
        tupleStart_.push_back(b);
        Expression* e = *slot(t);
        for (int v = 0; v < nvar; ++v) {
            if (!isDependent(v)) continue;
            bool dep = e && e->isDependent(v);
            for (int p = 0; p < k_ && !dep; ++p) dep = first_ + t[p] == v;
            if (dep) tupleVars_.push_back(v);
        }
        listSeparableEntries(e, t, tupleVars_.data() + b, static_cast<int>(tupleVars_.size()) - b);
    });
    tupleStart_.push_back(static_cast<int>(tupleVars_.size()));
    forEachTuple([&](const int* t) {
        tableTerms_.push_back(*slot(t));
        return true;
    });
    tupleVarsValid_ = true;
}

void SumF::listSeparableEntries(Expression* e, const int* t, const int* vars, int m) {
    auto inMonomial = [&](int v) {
        for (int p = 0; p < k_; ++p)
            if (first_ + t[p] == v) return true;
        return false;
    };
    bool separable = e != nullptr;
    for (int a = 0; a < m && separable; ++a)
        separable = !(inMonomial(vars[a]) && e->isDependent(vars[a]));
    sepEnd_.push_back(static_cast<int>(sepEntries_.size()));
    if (!separable) {
        for (int K = 1; K <= 4; ++K) sepEnd_.push_back(-1);
        return;
    }
    // The entries of the variables `vars` by order, each index list descending
    // (the storage's), split between the coefficient and the monomial.
    int idx[4];
    auto multiplicity = [&](int v) {
        int c = 0;
        for (int p = 0; p < k_; ++p) c += first_ + t[p] == v;
        return c;
    };
    const short kind = mixk::kindOf(t, k_);
    auto add = [&](int K) {
        int ie[4], ip[4], ne = 0, np = 0;
        for (int q = 0; q < K; ++q) (inMonomial(idx[q]) ? ip[np++] : ie[ne++]) = idx[q];
        // The monomial's derivative vanishes where a mole fraction is taken
        // more often than it occurs: the entry gains an exact zero.
        int counts[5] = {0, 0, 0, 0, 0};
        for (int q = 0; q < np; ++q) {
            int c = 0;
            for (int r = 0; r < np; ++r) c += ip[r] == ip[q];
            if (c > multiplicity(ip[q])) return;
            ++counts[runOf(t, k_, first_, ip[q])];
        }
        sepEntries_.push_back(SepEntry{static_cast<unsigned char>(K), static_cast<unsigned char>(ne),
                                       static_cast<short>(mixk::entryOfCounts(k_, kind, counts)), offsetOf(idx, K),
                                       ne ? offsetOf(ie, ne) : 0});
    };
    for (int K = 1; K <= 4; ++K) {
        for (int a = 0; a < m; ++a) {
            idx[0] = vars[a];
            if (K == 1) {
                add(1);
                continue;
            }
            for (int b = 0; b <= a; ++b) {
                idx[1] = vars[b];
                if (K == 2) {
                    add(2);
                    continue;
                }
                for (int c = 0; c <= b; ++c) {
                    idx[2] = vars[c];
                    if (K == 3) {
                        add(3);
                        continue;
                    }
                    for (int d = 0; d <= c; ++d) {
                        idx[3] = vars[d];
                        add(4);
                    }
                }
            }
        }
        sepEnd_.push_back(static_cast<int>(sepEntries_.size()));
    }
}

int SumF::hasLeaves() {
    int found = 0;
    if (tableN_)
        forEachTuple([&](const int* t) {
            Expression* e = *slot(t);
            if (e && e->hasLeaves()) found = 1;
            return !found;
        });
    return found;
}

Expression* SumF::findByName(const char* s) {
    if (Expression* e = Expression::findByName(s)) return e;
    Expression* found = nullptr;
    if (tableN_)
        forEachTuple([&](const int* t) {
            if (Expression* e = *slot(t)) found = e->findByName(s);
            return found == nullptr;
        });
    return found;
}

void SumF::moveProduct(const int* t, short kd) {
    switch (k_) {
        case 2: static_cast<VarX2*>(product.get())->components(t[0], t[1], kd); break;
        case 3: static_cast<VarX3*>(product.get())->components(t[0], t[1], t[2], kd); break;
        case 4: static_cast<VarX4*>(product.get())->components(t[0], t[1], t[2], t[3], kd); break;
        default: static_cast<VarX5*>(product.get())->components(t[0], t[1], t[2], t[3], t[4], kd); break;
    }
}

void SumF::select(const int* t, short kd, int order) {
    moveProduct(t, kd);
    calculateChild(product.get(), order > 4 ? 4 : order);
    current = *slot(t);
    E = current->value;
    P = product->value;
    Ev = current->view();
    Pv = product->view();
}

void SumF::calculate(int order) {
    if (calculated) return;
    if (order > 4) order = 4;
    clean(order);
    if (!calculateTerms(order, -1)) return;
    if (!tupleVarsValid_) gatherTupleVariables();
    const bool derivs = order >= 1 && d1;
    const DerivView me = view();
    bool selected = false;
    for (std::size_t q = 0; q < tuples_.size(); ++q) {
        const TupleRecord& r = tuples_[q];
        const bool entries = derivs && r.e->nvar == nvar;
        selected = entries && sepEnd_[5 * q + order] < 0;
        if (!selected) {
            // The one nonzero term of each entry: the others are exact
            // zeros, which leave the sum of Leibniz's rule unchanged.
            addSeparable(r, static_cast<int>(q), order, entries);
            continue;
        }
        select(r.t, r.kind, order);
        value += r.w * E * P;
        const int b = tupleStart_[q];
        exprk::leibnizAdd(tupleVars_.data() + b, tupleStart_[q + 1] - b, order, r.w, E, Ev, P, Pv, me);
    }
    endWalk(order, selected);
    calculated = true;
}

void SumF::calculate(int order, int var) {
    if (calculated) return;
    if (order > 4) order = 4;
    clean(order);
    if (!calculateTerms(order, var)) return;
    if (!tupleVarsValid_) gatherTupleVariables();
    const bool derivs = order >= 1 && d1 && var >= 0 && var < nvar;
    bool selected = false;
    for (std::size_t q = 0; q < tuples_.size(); ++q) {
        const TupleRecord& r = tuples_[q];
        bool reached = false;  // the tuple's entries in var are not all exact zeros
        if (derivs && r.e->nvar == nvar)
            for (int a = tupleStart_[q]; a < tupleStart_[q + 1] && !reached; ++a) reached = tupleVars_[a] == var;
        selected = reached && sepEnd_[5 * q + 1] < 0;
        if (!reached) {
            addSeparable(r, static_cast<int>(q), order, false);
        } else if (!selected) {
            addSeparableInVariable(r, order, var);
        } else {
            select(r.t, r.kind, order);
            calculate_value(r.w);
            calculate_d(r.w, var);
            if (order >= 2) calculate_d2(r.w, var, var);
            if (order >= 3) calculate_d3(r.w, var, var, var);
            if (order >= 4) calculate_d4(r.w, var, var, var, var);
        }
    }
    endWalk(order, selected);
    calculated = true;
}

void SumF::monomialOf(const TupleRecord& r, int order, double* pm) const {
    double y[5];
    for (int p = 0; p < k_; ++p) y[p] = product->x[r.t[p]];
    mixk::monomialEntries(k_, r.kind, y, order, pm);
}

void SumF::addSeparable(const TupleRecord& r, int q, int order, bool entries) {
    double pm[64];
    monomialOf(r, entries ? order : 0, pm);
    const double e0 = r.e->value;
    value += r.w * e0 * pm[0];
    if (!entries) return;
    const DerivView me = view(), ev = r.e->view();
    double* const O[5] = {nullptr, me.d1, me.d2, me.d3, me.d4};
    const double* const Ep[5] = {&e0, ev.d1, ev.d2, ev.d3, ev.d4};
    const int end = sepEnd_[5 * q + order];
    for (int k = sepEnd_[5 * q]; k < end; ++k) {
        const SepEntry& s = sepEntries_[k];
        O[s.lo][s.oo] += r.w * (Ep[s.le][s.oe] * pm[s.pq]);
    }
}

// The pure entries in var of a separable tuple: the coefficient's value times
// the monomial's entry where var is one of the monomial's mole fractions, the
// coefficient's entry times the monomial's value elsewhere (the one nonzero
// term of Leibniz's rule, as addEntry sums it with exact zeros).
void SumF::addSeparableInVariable(const TupleRecord& r, int order, int var) {
    double pm[64];
    monomialOf(r, order, pm);
    const double e0 = r.e->value;
    value += r.w * e0 * pm[0];
    const int run = runOf(r.t, k_, first_, var);
    const DerivView me = view(), ev = r.e->view();
    int counts[5] = {0, 0, 0, 0, 0};
    const int idx[4] = {var, var, var, var};
    for (int K = 1; K <= order; ++K) {
        double* lo = levelOf(me, K);
        if (!lo) break;
        double t;
        if (run >= 0) {
            counts[run] = K;
            const int pq = mixk::entryOfCounts(k_, r.kind, counts);
            if (pq < 0) break;  // the monomial's derivative vanishes from here on
            t = e0 * pm[pq];
        } else {
            const double* le = levelOf(ev, K);
            t = (le ? le[offsetOf(idx, K)] : 0.0) * pm[0];
        }
        lo[offsetOf(idx, K)] += r.w * t;
    }
}

void SumF::endWalk(int order, bool selected) {
    last_.order = -1;
    if (selected || tuples_.empty()) return;
    const TupleRecord& r = tuples_.back();
    last_.order = order;
    last_.kind = r.kind;
    for (int p = 0; p < k_; ++p) {
        last_.t[p] = r.t[p];
        last_.y[p] = product->x[r.t[p]];
    }
    last_.e = r.e;
    last_.E = r.e->value;
}

void SumF::placeOnLastTuple() {
    if (last_.order < 0) return;
    const int order = last_.order;
    last_.order = -1;
    moveProduct(last_.t, last_.kind);
    for (int p = 0; p < k_; ++p) product->tupleValues[p] = last_.y[p];
    calculateChild(product.get(), order);
    current = last_.e;
    E = last_.E;
    P = product->value;
    Ev = current->view();
    Pv = product->view();
}

VarF& SumF::monomial() {
    placeOnLastTuple();
    return *product;
}

Expression* SumF::coefficient() {
    placeOnLastTuple();
    return current;
}

// ---- Leibniz accumulation of one entry ----

double SumF::termEntry(const DerivView& v, double v0, const int* idx, int K) const {
    if (K == 0) return v0;
    const double* lv = levelOf(v, K);
    return lv ? lv[offsetOf(idx, K)] : 0.0;
}

// Adds w times the derivative of E P at the sorted variables idx[0..K-1]: the
// sum over the splittings of the positions between E and P.  Derivatives of
// the monomial above its order k vanish, so those splittings are left out.
void SumF::addEntry(double w, const int* idx, int K) {
    double s = 0.0;
    for (unsigned mask = 0; mask < (1u << K); ++mask) {
        int ei[4], pi[4], ne = 0, np = 0;
        for (int p = 0; p < K; ++p) {
            if (mask & (1u << p))
                ei[ne++] = idx[p];
            else
                pi[np++] = idx[p];
        }
        if (np > k_) continue;
        s += termEntry(Ev, E, ei, ne) * termEntry(Pv, P, pi, np);
    }
    double* lv = levelOf(view(), K);
    if (lv) lv[offsetOf(idx, K)] += w * s;
}

void SumF::calculate_value(double w) { value += w * E * P; }
void SumF::calculate_d(double w, int a) {
    const int idx[1] = {a};
    addEntry(w, idx, 1);
}
void SumF::calculate_d2(double w, int a, int b) {
    const int idx[2] = {a, b};
    addEntry(w, idx, 2);
}
void SumF::calculate_d3(double w, int a, int b, int c) {
    const int idx[3] = {a, b, c};
    addEntry(w, idx, 3);
}
void SumF::calculate_d4(double w, int a, int b, int c, int d) {
    const int idx[4] = {a, b, c, d};
    addEntry(w, idx, 4);
}

// ---- checks and printing ----

void SumF::check_pointers(std::FILE* f) {
    if (!tableN_) {
        if (n > 0) std::fprintf(f, "Error : \"%s\" has no table of terms for its %d components.\n", displayName(), n);
        return;
    }
    int skipPrefix[5] = {-1, -1, -1, -1, -1};
    bool skipping = false;
    forEachTuple([&](const int* t) {
        if (skipping) {
            bool same = true;
            for (int p = 0; p < k_ - 1; ++p)
                if (t[p] != skipPrefix[p]) same = false;
            if (same) return true;
            skipping = false;
        }
        Expression* e = *slot(t);
        if (e) {
            e->check_pointers(f);
            return true;
        }
        switch (k_) {
            case 2:
                std::fprintf(f, "Node %s  %p i1 %d i2 %d  : Null pointer assignment on the expression\n", getType(),
                             static_cast<void*>(this), t[0], t[1]);
                break;
            case 3:
                std::fprintf(f, "Node %s  %p  i1 %d i2 %d i3 %d : Null pointer assignment on the expression\n",
                             getType(), static_cast<void*>(this), t[0], t[1], t[2]);
                break;
            case 4:
                std::fprintf(f, "Error : \"%s\" (%d,%d,%d,%d) is not linked.\n", displayName(), t[0], t[1], t[2], t[3]);
                break;
            default:
                std::fprintf(f, "Error : \"%s\" (%d,%d,%d,%d,%d) is not linked.\n", displayName(), t[0], t[1], t[2],
                             t[3], t[4]);
        }
        if (k_ >= 4) {  // the innermost loop stops at a missing term
            for (int p = 0; p < k_ - 1; ++p) skipPrefix[p] = t[p];
            skipping = true;
        }
        return true;
    });
}

void SumF::printTerms(std::FILE* f) {
    if (!tableN_) return;
    auto nm = [](Expression* e) { return e ? e->displayName() : "???"; };
    if (k_ == 2) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j) {
                const int t[2] = {i, j};
                Expression* e = *slot(t);
                if (!e)
                    std::fprintf(f, "+ ??? x%d x%d ", i, j);
                else if (i == j)
                    std::fprintf(f, "%s%s x%d x%d ", i > 0 ? "+ " : "", e->displayName(), i, i);
                else
                    std::fprintf(f, "+ 2 %s x%d x%d ", e->displayName(), i, j);
            }
        return;
    }
    walk([&](const int* t, short kd, double w) {
        Expression* e = *slot(t);
        if (kd == 0) {
            if (t[0] > 0) std::fprintf(f, "+ ");
            std::fprintf(f, " %s", nm(e));
            for (int p = 0; p < k_; ++p) std::fprintf(f, " x%d", t[p]);
            std::fprintf(f, " ");
            return;
        }
        if (k_ == 5)
            std::fprintf(f, "+ %2d %s", static_cast<int>(w), nm(e));
        else
            std::fprintf(f, "+ %d %s", static_cast<int>(w), nm(e));
        for (int p = 0; p < k_; ++p) std::fprintf(f, " x%d", t[p]);
        if (k_ != 4) std::fprintf(f, " ");
    });
}

void SumF::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = ", displayName());
    printTerms(f);
    std::fprintf(f, "\n");
}

void SumF::printFormulas(std::FILE* f) {
    printWalkEach(*this, f, PrintedLine::Formula, [&](auto&& visit) {
        if (tableN_)
            forEachTuple([&](const int* t) {
                visit(*slot(t));
                return true;
            });
    });
}

void SumF::printValues(std::FILE* f) {
    printWalkEach(*this, f, PrintedLine::Value, [&](auto&& visit) {
        if (tableN_)
            forEachTuple([&](const int* t) {
                visit(*slot(t));
                return true;
            });
    });
}

// ---- SumX2 .. SumX5 ----

SumX2::SumX2() : SumF(2) { product.reset(new VarX2); }
SumX2::~SumX2() { disposeTable(); }
const char* SumX2::getType() const { return "SumX2"; }
void SumX2::tie_ij(int i, int j, Expression* e) {
    const int t[2] = {i, j};
    tieAt(t, e);
}
Expression** SumX2::slot(const int* t) { return terms ? &terms[t[0]][t[1]] : nullptr; }
void SumX2::allocateTable(int count) { expression_sym2alloc(&terms, count); }
void SumX2::disposeTable() {
    expression_dispose_sym2(terms, tableN_);
    terms = nullptr;
}
void SumX2::installTerms(Expression*** table) {
    if (table && table == terms) {
        syncLinks();
        return;
    }
    releaseTable();
    terms = table;
    tableN_ = table ? n : 0;
    if (table && n == 0) disposeTable();  // an empty table: nothing to hold
    syncLinks();
}

SumX3::SumX3() : SumF(3) { product.reset(new VarX3); }
SumX3::~SumX3() { disposeTable(); }
const char* SumX3::getType() const { return "SumX3"; }
void SumX3::tie_ijk(int i, int j, int l, Expression* e) {
    const int t[3] = {i, j, l};
    tieAt(t, e);
}
Expression** SumX3::slot(const int* t) { return terms ? &terms[t[0]][t[1]][t[2]] : nullptr; }
void SumX3::allocateTable(int count) { expression_sym3alloc(&terms, count); }
void SumX3::disposeTable() {
    expression_dispose_sym3(terms, tableN_);
    terms = nullptr;
}
void SumX3::installTerms(Expression**** table) {
    if (table && table == terms) {
        syncLinks();
        return;
    }
    releaseTable();
    terms = table;
    tableN_ = table ? n : 0;
    if (table && n == 0) disposeTable();  // an empty table: nothing to hold
    syncLinks();
}

SumX4::SumX4() : SumF(4) { product.reset(new VarX4); }
SumX4::~SumX4() { disposeTable(); }
const char* SumX4::getType() const { return "SumX4"; }
void SumX4::tie_ijkl(int i, int j, int l, int m, Expression* e) {
    const int t[4] = {i, j, l, m};
    tieAt(t, e);
}
Expression** SumX4::slot(const int* t) { return terms ? &terms[t[0]][t[1]][t[2]][t[3]] : nullptr; }
void SumX4::allocateTable(int count) { expression_sym4alloc(&terms, count); }
void SumX4::disposeTable() {
    expression_dispose_sym4(terms, tableN_);
    terms = nullptr;
}
void SumX4::installTerms(Expression***** table) {
    if (table && table == terms) {
        syncLinks();
        return;
    }
    releaseTable();
    terms = table;
    tableN_ = table ? n : 0;
    if (table && n == 0) disposeTable();  // an empty table: nothing to hold
    syncLinks();
}

SumX5::SumX5() : SumF(5) { product.reset(new VarX5); }
SumX5::~SumX5() { disposeTable(); }
void SumX5::tie_ijklm(int i, int j, int l, int m, int p, Expression* e) {
    const int t[5] = {i, j, l, m, p};
    tieAt(t, e);
}
Expression** SumX5::slot(const int* t) { return terms ? &terms[t[0]][t[1]][t[2]][t[3]][t[4]] : nullptr; }
void SumX5::allocateTable(int count) { expression_sym5alloc(&terms, count); }
void SumX5::disposeTable() {
    expression_dispose_sym5(terms, tableN_);
    terms = nullptr;
}
void SumX5::installTerms(Expression****** table) {
    if (table && table == terms) {
        syncLinks();
        return;
    }
    releaseTable();
    terms = table;
    tableN_ = table ? n : 0;
    if (table && n == 0) disposeTable();  // an empty table: nothing to hold
    syncLinks();
}

void SumX2::installTerms(Expression*** table, int count) {
    if (tableFits(count)) installTerms(table);
}

void SumX3::installTerms(Expression**** table, int count) {
    if (tableFits(count)) installTerms(table);
}

void SumX4::installTerms(Expression***** table, int count) {
    if (tableFits(count)) installTerms(table);
}

void SumX5::installTerms(Expression****** table, int count) {
    if (tableFits(count)) installTerms(table);
}
