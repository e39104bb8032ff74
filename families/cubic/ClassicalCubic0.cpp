#include "families/cubic/ClassicalCubic0.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "families/cubic/CubicData.h"
#include "platform/LogSink.h"

using cubic::R;

namespace {

struct Row {
    const char* names[2];
    double Tc, Pc, omega, mw, Vc;
};

const Row kTable[] = {
    {{"C1", "CH4"}, 190.555, 4595000, 0.013, 0.016043, 9.8917e-05},
    {{"CO2", nullptr}, 304.21, 7382500, 0.225, 0.0440098, 9.444e-05},
    {{"N2", nullptr}, 126.2, 3390000, 0.04, 0.028, 9.01e-05},
    {{"H2S", nullptr}, 373.2, 8820000, 0.105, 0.03408, 9.85e-05},
    {{"C2", "C2H6"}, 305.4, 4820000, 0.105, 0.03, 0.000148},
    {{"C3", "C3H8"}, 369.95, 4190000, 0.152, 0.04409, 0.000203},
    {{"iC4", "iC4H10"}, 408.8, 3592000, 0.176, 0.05812, 0.000259},
    {{"nC4", "nC4H10"}, 425.2, 3750000, 0.193, 0.05812, 0.000255},
    {{"nC5", "nC5H12"}, 469.7, 3325000, 0.251, 0.07215, 0.000305},
    {{"nC6", "nC6H14"}, 507.4, 2975000, 0.296, 0.08618, 0.00037},
    {{"nC7", "nC7H16"}, 540.3, 2698000, 0.351, 0.1002, 0.000432},
    {{"nC8", "nC8H18"}, 568.8, 2462000, 0.394, 0.11423, 0.000492},
    {{"nC9", "nC9H20"}, 594.7, 2250000, 0.444, 0.12826, 0.000548},
    {{"nC10", "nC10H22"}, 617.9, 2072000, 0.49, 0.14229, 0.000603},
};

const Row* findRow(const char* name) {
    for (const Row& r : kTable)
        for (const char* n : r.names)
            if (n && std::strcmp(n, name) == 0) return &r;
    return nullptr;
}

// Montel's seventeen components: Tc K, Pc bar, omega, mw kg/mol, Vc cm3/mol, s.
struct MontelRow {
    const char* name;
    double Tc, Pc, omega, mw, Vc, s;
};
const MontelRow kMontel[17] = {
    {"N2", 126.2, 33.94, 0.04, 0.02801, 89.0, -0.1927},    {"CO2", 304.2, 73.76, 0.225, 0.04401, 93.0, -0.0817},
    {"H2S", 373.2, 89.37, 0.1, 0.03408, 117.0, -0.1288},   {"C1", 190.6, 45.0, 0.0115, 0.01604, 99.2, -0.1595},
    {"C2", 305.4, 48.0, 0.0908, 0.03007, 148.0, -0.1134},  {"C3", 369.8, 42.46, 0.1454, 0.0441, 203.0, -0.0863},
    {"iC4", 408.2, 36.48, 0.176, 0.05812, 263.0, -0.073},  {"nC4", 425.3, 38.0, 0.1928, 0.05812, 255.0, -0.073},
    {"iC5", 464.7, 34.72, 0.2235, 0.07195, 306.0, -0.046}, {"nC5", 469.6, 33.74, 0.2273, 0.07215, 304.0, -0.046},
    {"nC6", 513.0, 32.0, 0.2637, 0.08526, 385.0, 0.03},    {"nC7", 551.0, 30.0, 0.2897, 0.0984, 425.0, 0.03},
    {"nC8", 583.0, 28.5, 0.3245, 0.112, 506.0, 0.03},      {"nC9", 609.0, 26.5, 0.3791, 0.126, 570.0, 0.03},
    {"nC10", 631.0, 24.8, 0.4363, 0.14, 630.0, 0.03},      {"Cn1", 713.0, 20.0, 0.6, 0.2, 1040.0, 0.1},
    {"Cn2", 903.0, 13.0, 0.8, 0.44, 1600.0, 0.2},
};

// Lower triangle of Montel's kaij table (row i, columns j < i); rows not
// listed are zero.
double montelKaij(int i, int j) {
    static const double co2[] = {-0.02};
    static const double h2s[] = {0.18, 0.1};
    static const double c1[] = {0.04, 0.1, 0.08};
    static const double c2[] = {0.05, 0.14, 0.08, 0};
    static const double c3[] = {0.08, 0.14, 0.08, 0, 0};
    static const double heavy[] = {0, 0, 0, 0.03, 0.02, 0.01};
    static const double cn1[] = {0, 0, 0, 0.05, 0.03, 0.01};
    static const double cn2[] = {0, 0, 0, 0.07, 0.05, 0.03};
    switch (i) {
        case 1: return co2[j];
        case 2: return h2s[j];
        case 3: return c1[j];
        case 4: return c2[j];
        case 5: return c3[j];
        case 10: case 11: case 12: case 13: case 14: return j < 6 ? heavy[j] : 0.0;
        case 15: return j < 6 ? cn1[j] : 0.0;
        case 16: return j < 6 ? cn2[j] : 0.0;
        default: return 0.0;
    }
}

bool excludedFromCorrelation(const std::string& s) { return s == "CO2" || s == "N2" || s == "H2O"; }

}  // namespace

void ClassicalCubic0::number_of_components(int n) {
    if (n < 1) return;
    FluidPhase::number_of_components(n);
    ClassicalCubic::number_of_components(component_count);
    ClassicalQuadraMix::number_of_components(component_count);
    for (auto* v : {&Tc, &Pc, &Vc, &omega, &m, &ac, &bi}) v->assign(component_count, 0.0);
    known.assign(component_count, 0);
    // The arrays start again from zero: nothing computed is held.
    pairsFrom_.clear();
    pressureFrom_.clear();
    recordFromX_.clear();
}

bool ClassicalCubic0::parametersUsable() const {
    if (n_ < 1 || static_cast<int>(known.size()) < n_) return false;
    for (int i = 0; i < n_; i++)
        if (!known[i]) return false;
    return true;
}

void ClassicalCubic0::setComponent(int i, double Tc_, double Pc_, double omega_, double mw, double Vc_) {
    Tc[i] = Tc_;
    Pc[i] = Pc_;
    omega[i] = omega_;
    molar_mass[i] = mw;
    Vc[i] = Vc_;
    m[i] = m0 + m1 * omega_ + m2 * omega_ * omega_;
    c0[i] = c1[i] = 0.0;
    ac[i] = Omega_a * R * R * Tc_ * Tc_ / Pc_;
    bi[i] = Omega_b * R * Tc_ / Pc_;
    cubic::keepCriticalStart(critical_T, critical_V, i, Tc_, Vc_);
    known[i] = 1;
    parametersChanged();
}

void ClassicalCubic0::read_component_data(int i, const char* name) {
    if (i < 0 || i >= n_ || !name) return;
    if (const Row* r = findRow(name)) {
        setComponent(i, r->Tc, r->Pc, r->omega, r->mw, r->Vc);
    } else {
        platform::diagf("Cannot treat %s component\n", name);
        known[i] = 0;
    }
    if (i == n_ - 1) read_BIP();
}

namespace {
// Bitwise equality of n doubles: a kept result stands for the same
// arithmetic on the same bits (-0 and +0, or NaN, are not taken for one
// another).
bool sameBits(const double* p, const double* q, std::size_t n) {
    std::uint64_t differ = 0;
    for (std::size_t i = 0; i < n; ++i) differ |= std::bit_cast<std::uint64_t>(p[i]) ^ std::bit_cast<std::uint64_t>(q[i]);
    return differ == 0;
}
}  // namespace

void ClassicalCubic0::pairInputs(double T_, std::vector<double>& inputs) const {
    inputs.assign({T_, static_cast<double>(n_), static_cast<double>(parameterRevision())});
}

std::size_t ClassicalCubic0::heldPairInputs(const std::vector<double>& kept, double T_) const {
    const double now[3] = {T_, static_cast<double>(n_), static_cast<double>(parameterRevision())};
    return kept.size() >= 3 && sameBits(kept.data(), now, 3) ? 3 : 0;
}

void ClassicalCubic0::calculate_mixing_parameters() {
    if (recordFromPairs_ == pairsComputed_ && pairsComputed_ != 0 && recordFromX_.size() == x.size() &&
        sameBits(recordFromX_.data(), x.data(), x.size()))
        return;
    quadraticMixing();
    ++recordComputed_;
    recordFromPairs_ = pairsComputed_;
    recordFromX_ = x;
}

void ClassicalCubic0::calculate_parameters_of_pure_components() {
    const std::size_t held = heldPairInputs(pairsFrom_, T);
    if (held != 0 && held == pairsFrom_.size()) return;
    // (invalid while they are rewritten)
    pairsFrom_.clear();
    ++pairsComputed_;
    const int n = n_;
    for (int i = 0; i < n; i++) {
        const double s = 1.0 + m[i] * (1.0 - std::sqrt(T / Tc[i]));
        const double alpha = s * s;
        const double dalpha = -m[i] * s / std::sqrt(T * Tc[i]);
        const double d2alpha = m[i] * (m[i] / Tc[i] + s / std::sqrt(T * Tc[i])) / (2.0 * T);
        const int k = i * n + i;
        aij[k] = ac[i] * alpha * (1.0 - kaij[k]);
        daijdT[k] = ac[i] * dalpha * (1.0 - kaij[k]);
        d2aijdT2[k] = ac[i] * d2alpha * (1.0 - kaij[k]);
        bij[k] = bi[i] * (1.0 - kbij[k]);
        aij_bij[k] = aij[k] / bij[k];
        daijdT_bij[k] = daijdT[k] / bij[k];
        ci[i] = c0[i] + c1[i] * T;
    }
    geometricPairs(kaij, kbij);
    pairInputs(T, pairsFrom_);
}

bool ClassicalCubic0::mixturePairsAt(double T_) {
    const int n = component_count;
    if (n < 2 || n > cubic::kMaxMixtureComponents || n != n_ || !(T_ > 0.0) || !parametersUsable()) return false;
    temperature(T_);
    errorflag = 0;
    calculate_parameters_of_pure_components();
    // (V' - d1 b)(V' - d2 b) = V'^2 + u b V' + w b^2; one co-volume for the
    // repulsion and the attraction.
    cubic::MixturePairs& m = mixturePairs_;
    // (the pairs of the pure stage's last computation are already there)
    if (pairsOfMixturePairs_ == pairsComputed_ && m.n == n && m.T == T_ && m.u == -(d1 + d2) && m.w == d1 * d2)
        return true;
    pairsOfMixturePairs_ = pairsComputed_;
    m.T = T_;
    m.n = n;
    m.u = -(d1 + d2);
    m.w = d1 * d2;
    m.a = aij;
    m.ba = bij;
    m.br = bij;
    m.c = ci;
    return true;
}

int ClassicalCubic0::closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                                            double* lnPhi, bool) {
    if (!x_ || !mixturePairsAt(T_)) return -1;
    return cubic::mixtureRoots(mixturePairs_, T_, P_bar, x_, roots, lnPhi);
}

double ClassicalCubic0::closedFormMixturePressure(double T_, double V_, const double* x_) {
    const int n = component_count;
    if (!x_ || !(V_ > 0.0) || n < 2 || n > cubic::kMaxMixtureComponents || n != n_ || !(T_ > 0.0) ||
        !parametersUsable())
        return std::nan("");
    // The pressure of the same pairs, volume and composition as the last
    // call's is that call's; the model is left at T_ as mixturePairsAt
    // leaves it (the pair matrices are computed again where a state asks).
    const std::size_t held = heldPairInputs(pressureFrom_, T_);
    const double tail[3] = {d1, d2, V_};
    if (held != 0 && pressureFrom_.size() == held + 3 + n && sameBits(pressureFrom_.data() + held, tail, 3) &&
        sameBits(pressureFrom_.data() + held + 3, x_, n)) {
        temperature(T_);
        errorflag = 0;
        return pressureKept_;
    }
    pressureFrom_.clear();
    mixturePairsAt(T_);
    pressureKept_ = cubic::mixturePressure(mixturePairs_, T_, V_, x_);
    pairInputs(T_, pressureFrom_);
    pressureFrom_.insert(pressureFrom_.end(), tail, tail + 3);
    pressureFrom_.insert(pressureFrom_.end(), x_, x_ + n);
    return pressureKept_;
}

namespace {
void setSrkConstants(ClassicalCubic0& c) {
    c.Omega_a = cubic::kSrkOmegaA;
    c.Omega_b = cubic::kSrkOmegaB;
    c.Zc = 1.0 / 3.0;
    c.Lambda = 0.6931471805599453;
    c.d1 = 0.0;
    c.d2 = -1.0;
    c.m0 = 0.48;
    c.m1 = 1.574;
    c.m2 = -0.176;
}
}  // namespace

// ---- ClassicalSRK
ClassicalSRK::ClassicalSRK(int phaseKind) {
    setModelName("SRK");
    validity = cubic::kCubicRange;
    setSrkConstants(*this);
    phase_kind = phaseKind;
}

// ---- ClassicalCubic01
ClassicalCubic01::ClassicalCubic01(int phaseKind) {
    setModelName("ClassicalCubic01");
    setSrkConstants(*this);
    phase_kind = phaseKind;
}

void ClassicalCubic01::read_BIP() {
    for (int i = 0; i < n_; i++)
        for (int j = 0; j < i; j++) {
            if (excludedFromCorrelation(component_names[i]) || excludedFromCorrelation(component_names[j])) continue;
            if (molar_mass[i] > 0.156 || molar_mass[j] > 0.156) continue;
            if (!known[i] || !known[j]) continue;
            const double Zci = Pc[i] * Vc[i] / (R * Tc[i]), Zcj = Pc[j] * Vc[j] / (R * Tc[j]);
            const double r = 2.0 * std::sqrt(Tc[i] * Tc[j]) / (Tc[i] + Tc[j]);
            set_binary_interaction_kaij(i, j, 1.0 - std::pow(r, 0.5 * (Zci + Zcj)));
        }
}

// ---- Montel
Montel::Montel(int phaseKind) {
    setModelName("Montel");
    validity = cubic::kCubicRange;
    Omega_a = 0.45724;
    Omega_b = 0.0778;
    // The critical compressibility of every Peng-Robinson fluid, 0.307401
    // (Peng & Robinson 1976), not the 1/3 of the Redlich-Kwong family: it
    // places the pseudo-critical volume Zc b/Omega_b at the critical point.
    Zc = 0.3074013086987;
    Lambda = 0.6931471805599453;
    d1 = cubic::kPRd1;
    d2 = cubic::kPRd2;
    m0 = 0.37464;
    m1 = 1.54226;
    m2 = -0.26992;
    phase_kind = phaseKind;
    number_of_components(17);
    for (const MontelRow& r : kMontel) add_component(r.name);
}

void Montel::number_of_components(int n) {
    ClassicalCubic0::number_of_components(n);
    listIndex.assign(component_count > 0 ? component_count : 0, -1);
}

namespace {
// Index of a component name in Montel's list, with the formula aliases of the
// base table (CH4 is C1, C2H6 is C2, ...); -1 when absent.
int montelListIndex(const char* name) {
    const Row* alias = findRow(name);
    for (int k = 0; k < 17; k++) {
        if (std::strcmp(name, kMontel[k].name) == 0) return k;
        if (alias)
            for (const char* n : alias->names)
                if (n && std::strcmp(n, kMontel[k].name) == 0) return k;
    }
    return -1;
}
}  // namespace

void Montel::read_component_data(int i, const char* name) {
    if (i < 0 || i >= n_ || !name) return;
    if (static_cast<int>(listIndex.size()) != n_) listIndex.assign(n_, -1);
    const int k = montelListIndex(name);
    listIndex[i] = k;
    if (k < 0) {
        ClassicalCubic0::read_component_data(i, name);
        return;
    }
    const MontelRow& r = kMontel[k];
    double tc = r.Tc, pc = r.Pc * 1e5, w = r.omega, s = r.s;
    if (k == 15 || k == 16) {
        const Pseudo& p = k == 15 ? Cn1 : Cn2;
        tc = p.Tc;
        pc = p.Pc;
        w = p.omega;
        s = p.s;
    }
    setComponent(i, tc, pc, w, r.mw, r.Vc * 1e-6);
    c0[i] = s * bi[i];
    c1[i] = 0.0;
    parametersChanged();
    if (i == n_ - 1) read_BIP();
}

void Montel::read_BIP() {
    // The table is kept by the list's order: each pair takes the entry of its
    // two components' places in the list (CO2-C1 0.1 whatever their places
    // in the model).
    for (int i = 0; i < n_; i++)
        for (int j = 0; j < i; j++) {
            const int p = i < static_cast<int>(listIndex.size()) ? listIndex[i] : -1;
            const int q = j < static_cast<int>(listIndex.size()) ? listIndex[j] : -1;
            set_binary_interaction_kaij(i, j, p >= 0 && q >= 0 && p != q ? montelKaij(std::max(p, q), std::min(p, q)) : 0.0);
        }
}
