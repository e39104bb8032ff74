#include "numerics/Integrator.h"
#include "platform/LogSink.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

struct NodeWeight {
    double node;
    double weight;
};

// Positive nodes of the Gauss-Legendre rules on [-1, 1] with their weights,
// to 21 significant digits (the roots of P_10 and P_20, and the weights
// 2/((1 - x^2) P_n'(x)^2); Abramowitz and Stegun, Table 25.4, give the first
// 15); each node stands for the pair +node, -node.  The n-point rule
// integrates polynomials up to degree 2n - 1 exactly.
constexpr NodeWeight kGauss10[] = {
    {0.148874338981631210885, 0.295524224714752870174}, {0.433395394129247190799, 0.269266719309996355091},
    {0.679409568299024406234, 0.219086362515982043996}, {0.865063366688984510732, 0.149451349150580593146},
    {0.973906528517171720078, 0.0666713443086881375936},
};

constexpr NodeWeight kGauss20[] = {
    {0.0765265211334973337546, 0.152753387130725850698}, {0.227785851141645078080, 0.149172986472603746788},
    {0.373706088715419560673, 0.142096109318382051329},  {0.510867001950827098004, 0.131688638449176626898},
    {0.636053680726515025453, 0.118194531961518417312},  {0.746331906460150792614, 0.101930119817240435037},
    {0.839116971822218823395, 0.0832767415767047487248}, {0.912234428251325905868, 0.0626720483341090635695},
    {0.963971927277913791268, 0.0406014298003869413310}, {0.993128599185094924786, 0.0176140071391521183119},
};

template <class Rule>
double gaussLegendre(const Rule& rule, double a, double b, auto&& f) {
    const double c = 0.5 * (a + b);
    const double h = 0.5 * (b - a);
    double sum = 0.0;
    for (const NodeWeight& nw : rule) {
        const double up = f(c + h * nw.node);
        const double down = f(c - h * nw.node);
        sum += nw.weight * (up + down);
    }
    return h * sum;
}

}  // namespace

bool Integrator::bound() const {
    if (!(obj && fn)) {
        platform::diagf("Integrator: no integrand is bound\n");
        return false;
    }
    // The flag tells of this integral's points: one left set by an earlier
    // call on the object is no failure of it.
    obj->error = 0;
    return true;
}

double Integrator::point(double x) {
    if (obj->error) return 0.0;
    const double y = (obj->*fn)(x, data);
    return obj->error ? 0.0 : y;
}

double Gauss10::calculate() {
    if (!bound()) return std::numeric_limits<double>::quiet_NaN();
    return gaussLegendre(kGauss10, a, b, [this](double x) { return point(x); });
}

double Gauss20::calculate() {
    if (!bound()) return std::numeric_limits<double>::quiet_NaN();
    return gaussLegendre(kGauss20, a, b, [this](double x) { return point(x); });
}

double Trapezoidal::calculate() {
    if (!bound()) return std::numeric_limits<double>::quiet_NaN();
    constexpr int kIntervals = 50;
    const double step = (b - a) / kIntervals;
    const double fa = point(a);
    const double fb = point(b);
    double sum = 0.5 * (fa + fb);
    double x = a;
    for (int i = 1; i < kIntervals; ++i) {
        x += step;
        sum += point(x);
    }
    return sum * step;
}
