#pragma once
// Test models and helpers of the binary-mixture tests: the van der Waals
// mixture with adjustable parameters (kij as parameter 0, a0 and a1 as the
// tuned pair), a bubble point reached from pure component 0 along the
// bubble-curve tangent, and a reader of the rows of Igor and plain files.
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "equilibria/tests/VdWMixture.h"
#include "fluid/CurveOutput.h"
#include "fluid/tests/VdWFluid.h"

class TunableVdW : public VdWFluid {
public:
    TunableVdW(std::vector<double> a, std::vector<double> b, double kij = 0.0) : VdWFluid(a, b, false, kij) {
        molar_mass.assign(a.size(), 0.044);
        if (a.size() > 1) molar_mass[1] = 0.058;
    }
    VdWAttraction& attraction() { return *static_cast<VdWAttraction*>(interactions[1]); }
    // Parameter 0: kij; 1 and 2: a0 and a1.
    void set_model_parameter(int i, double v) override {
        if (i == 0)
            attraction().kij = v;
        else if (i == 1 || i == 2)
            attraction().a[i - 1] = v;
        else
            errorflag = 1;
    }
    void tune(double* p) override {
        attraction().a[0] = p[0];
        attraction().a[1] = p[1];
    }
};

// A bubble point of the binary at liquid composition x and temperature T,
// reached from pure component 0 (exact coexistence) in small steps.
inline bool bubbleFromComponent0(FluidPhase& f, double a0, double b0, double T, double x, int steps = 20) {
    const PureCoexistence c = pureCoexistence(a0, b0, T);
    f.calculate_bubble_point(T, c.Vl, c.Vv, 0.0, 0.0);
    if (f.errorflag) return false;
    for (int k = 1; k <= steps; k++) {
        double dVl, dVv, dy, dP;
        f.next_bubble_point(dVl, dVv, dy, dP);
        const double h = x / steps;
        f.calculate_bubble_point(T, f.Vl0 + h * dVl, f.Vv0 + h * dVv, k * h, f.x_vapour[1] + h * dy);
        if (f.errorflag) return false;
    }
    return true;
}

// Numeric rows of a text file (Igor or plain; header and "END" lines skipped).
inline std::vector<std::vector<double>> readRows(const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line == "IGOR" || line == "BEGIN" || line == "END" || line.rfind("WAVES", 0) == 0 ||
            line[0] == '#')
            continue;
        std::istringstream s(line);
        std::vector<double> row;
        std::string tok;
        while (s >> tok) row.push_back(tok == "nan" || tok == "-nan" ? NAN : std::stod(tok));
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<std::vector<double>> splitRows(const std::vector<double>& flat, std::size_t n) {
    std::vector<std::vector<double>> rows;
    for (std::size_t k = 0; k + n <= flat.size(); k += n) rows.emplace_back(flat.begin() + k, flat.begin() + k + n);
    return rows;
}

inline double relDiff(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// Closed forms of an n-component van der Waals mixture with
// a = sum_ij x_i x_j sqrt(a_i a_j)(1 - k_ij) (one k for every unlike pair)
// and b = sum_i x_i b_i: pressure and fugacities,
//     ln phi_i = b_i/(V - b) - 2 sum_j x_j a_ij/(RTV) - ln(P (V - b)/(RT)).
struct VdWN {
    static constexpr double R = 8.31434;
    std::vector<double> a, b;
    double k = 0.0;
    double aij(std::size_t i, std::size_t j) const { return std::sqrt(a[i] * a[j]) * (i == j ? 1.0 : 1.0 - k); }
    double amix(const std::vector<double>& x) const {
        double s = 0;
        for (std::size_t i = 0; i < x.size(); i++)
            for (std::size_t j = 0; j < x.size(); j++) s += x[i] * x[j] * aij(i, j);
        return s;
    }
    double bmix(const std::vector<double>& x) const {
        double s = 0;
        for (std::size_t i = 0; i < x.size(); i++) s += x[i] * b[i];
        return s;
    }
    double P(double T, double V, const std::vector<double>& x) const {
        return R * T / (V - bmix(x)) - amix(x) / (V * V);
    }
    double fugacity(std::size_t i, double T, double V, const std::vector<double>& x) const {
        const double p = P(T, V, x), u = V - bmix(x);
        double s = 0;
        for (std::size_t j = 0; j < x.size(); j++) s += x[j] * aij(i, j);
        const double lnphi = b[i] / u - 2.0 * s / (R * T * V) - std::log(p * u / (R * T));
        return x[i] * p * std::exp(lnphi);
    }
};
