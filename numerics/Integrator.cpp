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
// rounded to ten decimal places (Abramowitz and Stegun, Table 25.4); each node
// stands for the pair +node, -node.
constexpr NodeWeight kGauss10[] = {
    {0.1488743390, 0.2955242247}, {0.4333953941, 0.2692667193}, {0.6794095683, 0.2190863625},
    {0.8650633667, 0.1494513492}, {0.9739065285, 0.0666713443},
};

constexpr NodeWeight kGauss20[] = {
    {0.0765265211, 0.1527533871}, {0.2277858511, 0.1491729865}, {0.3737060887, 0.1420961093},
    {0.5108670020, 0.1316886384}, {0.6360536807, 0.1181945320}, {0.7463319065, 0.1019301198},
    {0.8391169718, 0.0832767416}, {0.9122344283, 0.0626720483}, {0.9639719273, 0.0406014298},
    {0.9931285992, 0.0176140071},
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
