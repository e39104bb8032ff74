// The P-x isotherms of Duan, Moller & Weare's binaries and of Kreglewski's,
// judged against the same equations written out in the tests, independently
// of the models' expression trees, root searches and stability tests (Duan,
// Moller & Weare from their paper, DuanPaperBinary.h; Kreglewski and Chen's
// binary, KreglewskiPlainBinary.h), by the tangent-plane test of Michelsen
// (1982) on every root of every trial composition (IndependentTangentPlane.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "console/tests/IndependentTangentPlane.h"
#include "console/tests/ModelCommands.h"
#include "families/duan/tests/DuanPaperBinary.h"
#include "families/kreglewski/tests/KreglewskiPlainBinary.h"
#include "fluid/tests/TextRows.h"

namespace {

using consoletest::model;
using consoletest::run;
using Rows = std::vector<std::vector<double>>;

// An independent equation of a binary, its components in the model's order
// or swapped (a model whose names are given the other way round).
template <class Eos>
struct Ordered {
    Eos eos;
    bool swapped;
};
template <class Iso>
struct OrderedIsotherm {
    Iso iso;
    bool swapped;
    double Vmin() const { return iso.Vmin(); }
    double P(double V) const { return iso.P(V); }
    double lnf(int i, double V) const { return iso.lnf(swapped ? 1 - i : i, V); }
};
template <class Eos>
auto isotherm(const Ordered<Eos>& o, double T, double x1) {
    using Iso = decltype(isotherm(o.eos, T, x1));
    return OrderedIsotherm<Iso>{isotherm(o.eos, T, o.swapped ? 1.0 - x1 : x1), o.swapped};
}

// Each component's ln f in phase k of a written row (columns: T, P bar,
// then x0, x1 of the liquid and of the vapour, their volumes in cm3/mol):
// x1 from the column of the phase's minor share (a trace printed as 1 less
// the major share would hold only its first digits), on the root of P(V) = P
// within 2 % of the printed volume, by bisection; false where it has none.
template <class Eos>
bool phaseLnf(const Eos& eos, double T, const std::vector<double>& row, int k, double lnf[2]) {
    const double P = row[1] * 1e5, x1 = row[3 + 2 * k] < 0.5 ? row[3 + 2 * k] : 1.0 - row[2 + 2 * k];
    const auto iso = isotherm(eos, T, x1);
    double lo = 0.98e-6 * row[6 + k], hi = 1.02e-6 * row[6 + k];
    if (!(iso.P(lo) > P && iso.P(hi) < P)) return false;
    for (int it = 0; it < 80; ++it) (iso.P(0.5 * (lo + hi)) > P ? lo : hi) = 0.5 * (lo + hi);
    for (int i = 0; i < 2; ++i) lnf[i] = iso.lnf(i, 0.5 * (lo + hi));
    return true;
}

// Component k's saturation pressure (Pa) of the independent equation at T:
// equal ln f on the densest and the lightest stable root of the pure
// component, by the secant in ln P from P0; NaN where a step finds one root.
template <class Eos>
double pureSaturation(const Eos& eos, double T, int k, double P0) {
    const auto iso = isotherm(eos, T, k);
    auto g = [&](double u) {
        const std::vector<double> V = indep::stableRoots(iso, T, std::exp(u));
        return V.size() < 2 ? std::nan("") : iso.lnf(k, V.front()) - iso.lnf(k, V.back());
    };
    double a = std::log(P0), b = a + 1e-3, ga = g(a), gb = g(b);
    for (int it = 0; it < 40 && std::fabs(b - a) > 1e-13 && gb != ga; ++it) {
        const double c = b - gb * (b - a) / (gb - ga);
        a = b, ga = gb, b = c, gb = g(c);
    }
    return std::exp(b);
}

// The splits of the independent equation at T and P (Pa): the segments,
// wider than 0.03, of the lower convex hull of g(w) = sum_i w_i ln f_i(w)
// on the lower of its stable roots, over a grid of w1 dense near both ends.
template <class Eos>
std::vector<std::pair<double, double>> hullSplits(const Eos& eos, double T, double P) {
    struct Node {
        double w, g;
    };
    std::vector<Node> hull;
    constexpr int kGrid = 200;
    for (int k = 1; k < kGrid; ++k) {
        const double w = 0.5 - 0.5 * std::cos(M_PI * k / kGrid);
        const auto iso = isotherm(eos, T, w);
        Node n{w, HUGE_VAL};
        for (double V : indep::stableRoots(iso, T, P, 600))
            n.g = std::min(n.g, (1.0 - w) * iso.lnf(0, V) + w * iso.lnf(1, V));
        if (std::isfinite(n.g)) indep::addToLowerHull(hull, n);
    }
    std::vector<std::pair<double, double>> splits;
    for (std::size_t k = 1; k < hull.size(); ++k)
        if (hull[k].w - hull[k - 1].w > 0.03) splits.push_back({hull[k - 1].w, hull[k].w});
    return splits;
}

// A tie line of the file at P (bar) whose phases lie within 0.02 of a and b:
// on a row, or interpolated in pressure between two successive rows.
bool holdsTieLine(const Rows& r, double P, double a, double b) {
    auto near = [&](double x, double y) {
        return (std::fabs(x - a) < 0.02 && std::fabs(y - b) < 0.02) || (std::fabs(x - b) < 0.02 && std::fabs(y - a) < 0.02);
    };
    for (std::size_t k = 0; k + 1 < r.size(); ++k) {
        const auto &p = r[k], &q = r[k + 1];
        if (!((p[1] - P) * (q[1] - P) <= 0.0) || p[1] == q[1]) continue;
        const double t = (P - p[1]) / (q[1] - p[1]);
        if (near(p[3] + t * (q[3] - p[3]), p[5] + t * (q[5] - p[5]))) return true;
    }
    return false;
}

// One isotherm of a model and the equation that judges it.
struct Case {
    std::string model;  // first order of the names; the other is judged too
    double T;
    std::vector<std::string> starts;  // "" for bino, else the binop start (bar)
    std::function<void(const std::string& what, bool swapped, const Rows& rows, const std::string& err)> judge;
};

// What the judging found, over all cases.
struct Tally {
    int files = 0, rows = 0, judged = 0, splits = 0;
    double lowest = HUGE_VAL;
};

// Every file of an isotherm: each row judged (every stride-th, the two at
// each end, and each at a pressure that another row of other phases shares,
// a three-phase point) holds equal ln f of both components in its two phases
// (to the printed digits) and no trial phase below their tangent plane; at
// three pressures between the file's ends each split of the independent
// equation is a tie line of the file; a pure end lies at the independent
// saturation pressure, a critical end where the independent equation no
// longer splits its composition just above its pressure.
template <class Eos>
void judgeIsotherm(const Ordered<Eos>& eos, double T, const std::string& what, const Rows& r, const std::string& err,
                   Tally& t) {
    ASSERT_GT(r.size(), 10u) << what;
    ++t.files;
    t.rows += static_cast<int>(r.size());
    const std::size_t stride = std::max<std::size_t>(1, r.size() / 10);
    double Plo = HUGE_VAL, Phi = 0.0;
    for (const auto& q : r) Plo = std::min(Plo, q[1]), Phi = std::max(Phi, q[1]);
    for (std::size_t q = 0; q < r.size(); ++q) {
        const auto& row = r[q];
        const bool threePhase = std::any_of(r.begin(), r.end(), [&](const auto& o) {
            return o[1] == row[1] && (std::fabs(o[3] - row[3]) > 1e-3 || std::fabs(o[5] - row[5]) > 1e-3);
        });
        if (q % stride != 0 && q > 1 && q + 2 < r.size() && !threePhase) continue;
        if (std::fabs(row[3] - row[5]) < 1e-6) continue;  // a critical point: one phase
        double lnf[2][2];
        ASSERT_TRUE(phaseLnf(eos, T, row, 0, lnf[0]) && phaseLnf(eos, T, row, 1, lnf[1]))
            << what << " row " << q << " at " << row[1] << " bar";
        for (int i = 0; i < 2; ++i)
            EXPECT_NEAR(lnf[0][i], lnf[1][i], 1e-4) << what << " row " << q << " at " << row[1] << " bar";
        // Each component's ln f from the phase richer in it.
        const int richer1 = row[5] > row[3] ? 1 : 0;
        const double d = indep::leastDistance(eos, T, row[1] * 1e5, lnf[1 - richer1][0], lnf[richer1][1],
                                              std::nan(""), 128, 800);
        EXPECT_GT(d, -1e-4) << what << " row " << q << " at " << row[1] << " bar, x1 " << row[3] << " and " << row[5];
        t.lowest = std::min(t.lowest, d);
        ++t.judged;
    }
    for (int k = 1; k <= 3; ++k) {
        const double P = Plo * std::pow(Phi / Plo, k / 4.0);
        for (const auto& [a, b] : hullSplits(eos, T, P * 1e5)) {
            EXPECT_TRUE(holdsTieLine(r, P, a, b)) << what << ": no tie line of " << a << " and " << b << " at " << P;
            ++t.splits;
        }
    }
    for (const auto& q : r) {
        if (!(q[3] == q[5] && (q[3] == 0.0 || q[3] == 1.0))) continue;
        const int k = q[3] == 0.0 ? 0 : 1;
        EXPECT_NEAR(pureSaturation(eos, T, k, q[1] * 1e5), q[1] * 1e5, 1e-5 * q[1] * 1e5) << what << " pure " << k;
    }
    if (const std::size_t at = err.find("ends at its critical point, x1 = "); at != std::string::npos) {
        double xc = 0.0, Pc = 0.0;
        ASSERT_EQ(std::sscanf(err.c_str() + at, "ends at its critical point, x1 = %lf, %lf bar", &xc, &Pc), 2) << err;
        EXPECT_GT(indep::tangentPlane(eos, T, 1.002e5 * Pc, xc).distance, -1e-6) << what;
    }
}

// A case of the independent equation `eos` (in the model's first order).
template <class Eos>
Case caseOf(std::string model, double T, std::vector<std::string> starts, Eos eos, Tally& t) {
    Case c{std::move(model), T, std::move(starts), nullptr};
    c.judge = [eos, T, &t](const std::string& what, bool swapped, const Rows& rows, const std::string& err) {
        judgeIsotherm(Ordered<Eos>{eos, swapped}, T, what, rows, err, t);
    };
    return c;
}

// The model's name with its two components the other way round.
std::string swappedName(const std::string& name) {
    const auto colon = name.find(':'), comma = name.find(',');
    return name.substr(0, colon + 1) + name.substr(comma + 1) + "," + name.substr(colon + 1, comma - colon - 1);
}

}  // namespace

// Duan, Moller & Weare's H2O-CO2 a few kelvin below CO2's critical point,
// through the three-phase point of the water-rich liquid, the vapour and
// CO2's liquid (within a thousandth in x of the vapour) up to 8000 bar, and
// from pure CO2's saturation over the azeotrope of highest pressure of
// CO2's liquid and vapour; at 540 K above 1066 bar, where CO2's solubility
// in water's liquid passes its maximum; CO2-CH4 to its critical point;
// Kreglewski's CO2-CH4, CO2-N2, CH4-N2 and CH4-H2S to theirs.  In both
// orders of the names, from the pure end ("bino") and (but at 300 K) from
// a pressure ("binop"): every tie line judged is an equilibrium of the independent
// equation that no trial phase undercuts, the isotherm holds every split it
// shows, its ends lie where it puts them, and its ends and three-phase
// pressure are the same from every start and order.
TEST(IndependentIsotherms, DuanMollerWeareAndKreglewskiIsothermsHoldAllThatIsStableAndOnlyThat) {
    Tally t;
    using K = KreglewskiPlainBinary;
    const std::vector<Case> cases = {
        caseOf("DMW2:H2O,CO2", 304.0, {"", "30"}, duan_tests::waterCarbonDioxide(304.0), t),
        caseOf("DMW2:H2O,CO2", 300.0, {""}, duan_tests::waterCarbonDioxide(300.0), t),
        caseOf("DMWEOS:H2O,CO2", 540.0, {"", "1500"}, duan_tests::waterCarbonDioxide(540.0), t),
        caseOf("DMW2:CO2,CH4", 280.0, {"", "70"}, duan_tests::carbonDioxideMethane(280.0), t),
        caseOf("Kreglewski:CO2,CH4", 240.0, {"", "50"}, K::co2Methane(), t),
        caseOf("Kreglewski:CO2,N2", 250.0, {"", "80"}, K::co2Nitrogen(), t),
        caseOf("Kreglewski:CH4,N2", 150.0, {"", "30"}, K::methaneNitrogen(), t),
        caseOf("Kreglewski:CH4,H2S", 250.0, {"", "100"}, K::methaneHydrogenSulphide(), t),
    };
    for (const Case& c : cases) {
        // The ends and three-phase pressure (NaN: none) of the case's first file.
        double ends[2] = {0.0, 0.0}, P3 = 0.0;
        bool first = true;
        for (bool swapped : {false, true})
            for (const std::string& start : c.starts) {
                const std::string name = swapped ? swappedName(c.model) : c.model;
                const std::string what = name + " at " + std::to_string(c.T) + " K " +
                                         (start.empty() ? "bino" : "binop from " + start + " bar");
                auto m = model(name);
                ASSERT_TRUE(m) << what;
                std::string err;
                const std::string T = std::to_string(c.T);
                ASSERT_TRUE(run(*m, start.empty() ? std::vector<std::string>{"bino", T, "_ii"}
                                                  : std::vector<std::string>{"binop", T, start, "_ii"},
                                &err))
                    << what << err;
                const Rows r = readTextRows((start.empty() ? "bino" : "binop") + std::string("_ii"));
                c.judge(what, swapped, r, err);
                double lo = HUGE_VAL, hi = 0.0, p3 = std::nan("");
                for (const auto& q : r) lo = std::min(lo, q[1]), hi = std::max(hi, q[1]);
                const std::size_t at = err.find(" bar, the three-phase pressure");
                if (at != std::string::npos) {
                    ASSERT_EQ(std::sscanf(err.c_str() + err.rfind("at ", at), "at %lf", &p3), 1) << err;
                }
                if (first) ends[0] = lo, ends[1] = hi, P3 = p3, first = false;
                EXPECT_NEAR(lo, ends[0], 1e-6 * ends[0]) << what;
                EXPECT_NEAR(hi, ends[1], 1e-6 * ends[1]) << what;
                EXPECT_EQ(std::isnan(p3), std::isnan(P3)) << what << err;
                if (!std::isnan(P3)) {
                    EXPECT_NEAR(p3, P3, 1e-6 * P3) << what;
                }
            }
    }
    std::printf("isotherms judged: %d files, %d rows, %d tie lines judged (lowest distance %.3g), %d splits found\n",
                t.files, t.rows, t.judged, t.lowest, t.splits);
}
