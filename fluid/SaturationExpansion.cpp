#include "fluid/SaturationExpansion.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Pieces are not halved below this width relative to their distance from
// the critical point in u: on such a piece the series of a smooth curve has
// converged, and what remains is the equilibrium's own rounding, which grows
// towards the critical point as the isotherms flatten.
constexpr double kNarrowestPiece = 0.125;
// Nor below this width in temperature (K), where any smooth curve has converged.
constexpr double kNarrowestInT = 0.05;
// Temperatures this close to Tc (K) are checked against the looser tolerance.
constexpr double kNearCritical = 0.1;

struct Values {
    double lnP = 0.0, rhoL = 0.0, rhoV = 0.0;
};

double relative(double a, double b) { return std::fabs(a - b) / std::fmax(std::fabs(b), 1e-300); }

// Chebyshev coefficients from the values at the n + 1 Lobatto nodes
// x_j = cos(pi j / n): a discrete cosine transform.
std::vector<double> coefficients(const std::vector<double>& f) {
    const int n = static_cast<int>(f.size()) - 1;
    std::vector<double> c(static_cast<std::size_t>(n) + 1, 0.0);
    for (int k = 0; k <= n; ++k) {
        double s = 0.0;
        for (int j = 0; j <= n; ++j) {
            const double w = (j == 0 || j == n) ? 0.5 : 1.0;
            s += w * f[static_cast<std::size_t>(j)] * std::cos(kPi * j * k / n);
        }
        c[static_cast<std::size_t>(k)] = (k == 0 || k == n ? 1.0 : 2.0) * s / n;
    }
    return c;
}

}  // namespace

namespace {

// The sums of N Chebyshev series of one length at x by Clenshaw's
// recurrence, each the same operations as alone; run side by side, the
// recurrences of the series do not wait for each other.
template <std::size_t N>
void clenshaw(const std::vector<double>* const (&c)[N], double x, double (&sum)[N]) {
    double b1[N] = {}, b2[N] = {};
    const std::size_t n = c[0]->size();
    for (std::size_t k = n; k-- > 1;)
        for (std::size_t i = 0; i < N; ++i) {
            const double b0 = 2.0 * x * b1[i] - b2[i] + (*c[i])[k];
            b2[i] = b1[i];
            b1[i] = b0;
        }
    for (std::size_t i = 0; i < N; ++i) sum[i] = x * b1[i] - b2[i] + (n == 0 ? 0.0 : (*c[i])[0]);
}

}  // namespace

double SaturationExpansion::chebyshev(const std::vector<double>& c, double x) {
    double sum[1];
    clenshaw({&c}, x, sum);
    return sum[0];
}

int SaturationExpansion::pieceAt(double T) const {
    if (pieces.empty() || !(T >= Tmin) || !(T <= Tmax)) return -1;
    const double u = std::sqrt(Tc - T);
    // The pieces are contiguous in u: the first whose upper end reaches u.
    auto it = std::lower_bound(pieces.begin(), pieces.end(), u, [](const Piece& p, double v) { return p.u1 < v; });
    if (it == pieces.end()) it = pieces.end() - 1;
    return static_cast<int>(it - pieces.begin());
}

bool SaturationExpansion::evaluate(double T, double& P, double& Vl, double& Vv) const {
    const int piece = pieceAt(T);
    if (piece < 0) return false;
    const double u = std::sqrt(Tc - T);
    const auto it = pieces.begin() + piece;
    const double x = std::clamp((2.0 * u - it->u0 - it->u1) / (it->u1 - it->u0), -1.0, 1.0);
    double sum[3];
    if (it->rhoL.size() == it->lnP.size() && it->rhoV.size() == it->lnP.size()) {
        clenshaw({&it->lnP, &it->rhoL, &it->rhoV}, x, sum);
    } else {
        sum[0] = chebyshev(it->lnP, x);
        sum[1] = chebyshev(it->rhoL, x);
        sum[2] = chebyshev(it->rhoV, x);
    }
    P = std::exp(sum[0]);
    Vl = 1.0 / sum[1];
    Vv = 1.0 / sum[2];
    return std::isfinite(P) && Vl > 0.0 && Vv >= Vl;
}

bool SaturationExpansion::fit(const Solver& solve, double Tmin_, double Tmax_, double Tc_, double Pc_, double rhoc_,
                              int degree, double tol, double tolNearTc, std::string& why) {
    pieces.clear();
    Tmin = Tmin_;
    Tmax = Tmax_;
    Tc = Tc_;
    Pc = Pc_;
    rhoc = rhoc_;
    auto valuesAt = [&](double u, Values& v) {
        const double T = Tc - u * u;
        double P = 0.0, Vl = 0.0, Vv = 0.0;
        if (!solve(T, P, Vl, Vv) || !(P > 0.0) || !(Vl > 0.0) || !(Vv > Vl)) {
            why = "no saturation state at " + std::to_string(T) + " K";
            return false;
        }
        v = {std::log(P), 1.0 / Vl, 1.0 / Vv};
        return true;
    };
    // Pieces to do, as a stack of intervals, lowest u on top.
    std::vector<std::pair<double, double>> todo{{std::sqrt(Tc - Tmax), std::sqrt(Tc - Tmin)}};
    const int n = degree;
    while (!todo.empty()) {
        const auto [u0, u1] = todo.back();
        todo.pop_back();
        Piece p;
        p.u0 = u0;
        p.u1 = u1;
        std::vector<double> fP, fL, fV;
        for (int j = 0; j <= n; ++j) {
            Values v;
            if (!valuesAt(0.5 * (u0 + u1) + 0.5 * (u1 - u0) * std::cos(kPi * j / n), v)) return false;
            fP.push_back(v.lnP);
            fL.push_back(v.rhoL);
            fV.push_back(v.rhoV);
        }
        p.lnP = coefficients(fP);
        p.rhoL = coefficients(fL);
        p.rhoV = coefficients(fV);
        // The largest deviation at the midpoints between the nodes.
        bool good = true;
        for (int j = 0; j < n && good; ++j) {
            const double x = std::cos(kPi * (j + 0.5) / n);
            const double u = 0.5 * (u0 + u1) + 0.5 * (u1 - u0) * x;
            Values v;
            if (!valuesAt(u, v)) return false;
            const double t = Tc - u * u > Tc - kNearCritical ? tolNearTc : tol;
            good = relative(std::exp(chebyshev(p.lnP, x)), std::exp(v.lnP)) <= t &&
                   relative(chebyshev(p.rhoL, x), v.rhoL) <= t && relative(chebyshev(p.rhoV, x), v.rhoV) <= t;
        }
        if (good || (u1 - u0 < kNarrowestPiece * u0 && (u1 * u1 - u0 * u0) < kNarrowestInT)) {
            pieces.push_back(std::move(p));
        } else {
            const double um = 0.5 * (u0 + u1);
            todo.push_back({um, u1});
            todo.push_back({u0, um});
        }
    }
    return true;
}

bool SaturationExpansion::write(std::FILE* f) const {
    if (!f) return false;
    std::fprintf(f, "model %s\nTc %.17g\nPc %.17g\nrhoc %.17g\nTmin %.17g\nTmax %.17g\npieces %zu\n", model.c_str(),
                 Tc, Pc, rhoc, Tmin, Tmax, pieces.size());
    for (const Piece& p : pieces) {
        std::fprintf(f, "piece %.17g %.17g %zu\n", p.u0, p.u1, p.lnP.size());
        for (const std::vector<double>* c : {&p.lnP, &p.rhoL, &p.rhoV}) {
            for (std::size_t k = 0; k < c->size(); ++k) std::fprintf(f, k ? " %.17g" : "%.17g", (*c)[k]);
            std::fprintf(f, "\n");
        }
    }
    return std::ferror(f) == 0;
}

bool SaturationExpansion::read(std::FILE* f) {
    pieces.clear();
    if (!f) return false;
    char name[256] = {0};
    std::size_t count = 0;
    auto fail = [this]() {
        pieces.clear();
        return false;
    };
    // Comment lines (#) lead the file.
    int c = 0;
    while ((c = std::fgetc(f)) == '#')
        while ((c = std::fgetc(f)) != '\n' && c != EOF) {
        }
    if (c == EOF) return fail();
    std::ungetc(c, f);
    if (std::fscanf(f, " model %255s Tc %lf Pc %lf rhoc %lf Tmin %lf Tmax %lf pieces %zu", name, &Tc, &Pc, &rhoc, &Tmin,
                    &Tmax, &count) != 7)
        return fail();
    if (count == 0 || count > 100000 || !(Tc > Tmax) || !(Tmax > Tmin) || !(Pc > 0.0) || !(rhoc > 0.0)) return fail();
    model = name;
    double last = std::sqrt(Tc - Tmax);
    for (std::size_t i = 0; i < count; ++i) {
        Piece p;
        std::size_t terms = 0;
        if (std::fscanf(f, " piece %lf %lf %zu", &p.u0, &p.u1, &terms) != 3) return fail();
        if (terms == 0 || terms > 1000 || !(p.u1 > p.u0) || p.u0 != last) return fail();
        last = p.u1;
        for (std::vector<double>* v : {&p.lnP, &p.rhoL, &p.rhoV}) {
            v->resize(terms);
            for (double& x : *v)
                if (std::fscanf(f, " %lf", &x) != 1 || !std::isfinite(x)) return fail();
        }
        pieces.push_back(std::move(p));
    }
    return true;
}
