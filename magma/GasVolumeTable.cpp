#include "magma/GasVolumeTable.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kTolerance = 1e-12;

}  // namespace

void GasVolumeTable::clear() {
    c_.clear();
    T_ = lo_ = hi_ = 0.0;
}

double GasVolumeTable::series(const std::vector<double>& c, double P) const {
    // Clenshaw's recurrence on t in [-1, 1].
    const double t = (2.0 * P - lo_ - hi_) / (hi_ - lo_);
    double b1 = 0.0, b2 = 0.0;
    for (std::size_t k = c.size(); k-- > 1;) {
        const double b = 2.0 * t * b1 - b2 + c[k];
        b2 = b1;
        b1 = b;
    }
    return t * b1 - b2 + c[0];
}

double GasVolumeTable::molarVolume(double P) const { return series(c_, P) / P; }

bool GasVolumeTable::build(ChamberGasModel& gas, double T, double pLo, double pHi) {
    clear();
    if (!(pLo > 0.0) || !(pHi > pLo) || !std::isfinite(pHi) || !(T > 0.0)) return false;
    lo_ = pLo;
    hi_ = pHi;
    const double pi = std::numbers::pi;
    auto pressureAt = [&](double t) { return 0.5 * (lo_ + hi_) + 0.5 * (hi_ - lo_) * t; };
    for (int n = 16; n <= 128; n *= 2) {
        // P·v at the nodes t_j = cos(pi (j + 1/2)/n), then its coefficients.
        std::vector<double> q(n);
        for (int j = 0; j < n; ++j) {
            const double P = pressureAt(std::cos(pi * (j + 0.5) / n));
            double v = 0.0;
            if (!gas.molarVolume(T, P, v)) return false;
            q[j] = P * v;
        }
        std::vector<double> c(n, 0.0);
        for (int k = 0; k < n; ++k) {
            double sum = 0.0;
            for (int j = 0; j < n; ++j) sum += q[j] * std::cos(pi * k * (j + 0.5) / n);
            c[k] = 2.0 * sum / n;
        }
        c[0] *= 0.5;
        // Check halfway between neighbouring nodes, where the error of the
        // interpolant is largest.
        bool accurate = true;
        for (int j = 0; j + 1 < n && accurate; ++j) {
            const double P = pressureAt(std::cos(pi * (j + 1.0) / n));
            double v = 0.0;
            if (!gas.molarVolume(T, P, v)) return false;
            accurate = std::fabs(series(c, P) - P * v) <= kTolerance * P * v;
        }
        if (accurate) {
            T_ = T;
            c_ = std::move(c);
            return true;
        }
    }
    lo_ = hi_ = 0.0;
    return false;
}
