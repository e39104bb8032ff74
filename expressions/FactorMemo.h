#pragma once
// The last argument and constants of a node's function and its factors: the
// transcendental nodes (powers, exponentials, logarithms) reuse them when a
// pass finds the same child value, as the temperature-only parts of a term do
// through every step of a volume search.
struct FactorMemo {
    double key[4] = {0.0, 0.0, 0.0, 0.0};
    double f[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
    bool valid = false;

    bool find(double x, double a, double b, double c, double& f0, double& f1, double& f2, double& f3,
              double& f4) const {
        if (!valid || x != key[0] || a != key[1] || b != key[2] || c != key[3]) return false;
        f0 = f[0], f1 = f[1], f2 = f[2], f3 = f[3], f4 = f[4];
        return true;
    }
    void store(double x, double a, double b, double c, double f0, double f1, double f2, double f3, double f4) {
        key[0] = x, key[1] = a, key[2] = b, key[3] = c;
        f[0] = f0, f[1] = f1, f[2] = f2, f[3] = f3, f[4] = f4;
        valid = true;
    }
    // The factors at x: the stored ones when the key matches, otherwise
    // compute(x, f0..f4) and keep them if it succeeds.
    template <class Compute>
    bool get(double x, double a, double b, double c, double& f0, double& f1, double& f2, double& f3, double& f4,
             Compute&& compute) {
        if (find(x, a, b, c, f0, f1, f2, f3, f4)) return true;
        if (!compute(x, f0, f1, f2, f3, f4)) return false;
        store(x, a, b, c, f0, f1, f2, f3, f4);
        return true;
    }
};
