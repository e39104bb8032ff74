#include "families/cubic/ClassicalCubic.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "families/cubic/CubicClosedForm.h"
#include "families/cubic/CubicData.h"
#include "fluid/Standard.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/Secant.h"

using cubic::R;

ClassicalCubic::ClassicalCubic() : FluidPhase(0, 0, 0) { ideal = new Standard(); }

void ClassicalCubic::number_of_components(int n) {
    if (n < 1) return;
    n_ = n;
    const std::size_t m = static_cast<std::size_t>(n), mm = m * m;
    for (auto* v : {&abar, &bbar, &abarT, &D, &DT, &c0, &c1, &ci, &vprime, &g, &dgdT, &lngamma, &dlngammadT,
                    &lnphi, &Hdep_i, &dVpdn, &dlnphidT, &dlnphidP})
        v->assign(m, 0.0);
    for (auto* v : {&aij, &bij, &aij_bij, &daijdT, &daijdT_bij, &d2aijdT2, &twobij, &twoaij, &Q, &Hinf, &Kinf})
        v->assign(mm, 0.0);
    dlnphidn.assign(m, std::vector<double>(m, 0.0));
}

void ClassicalCubic::set_translation_parameters(std::initializer_list<double> pairs) {
    int k = 0;
    for (double v : pairs) {
        const int i = k / 2;
        if (i >= n_) break;
        (k % 2 == 0 ? c0 : c1)[i] = v;
        k++;
    }
    parametersChanged();
}

void ClassicalCubic::volumeDerivatives() {
    const double E1 = Vp - d1 * b, E2 = Vp - d2 * b, DD = E1 * E2;
    dPdV = -R * T / ((Vp - b) * (Vp - b)) + (a / DD) * (1.0 / E1 + 1.0 / E2);
    dVpdT = -(R / (Vp - b) - dadT / DD) / dPdV;
    dVpdP = 1.0 / dPdV;
    const double Pb = R * T / ((Vp - b) * (Vp - b)) - (a / DD) * (d1 / E1 + d2 / E2);
    const double Pa = -1.0 / DD;
    double sx = 0.0;
    for (int i = 0; i < n_; i++) {
        vprime[i] = -(Pa * abar[i] + Pb * bbar[i]) / dPdV;
        dVdx[i] = vprime[i] - ci[i];
        sx += x[i] * vprime[i];
    }
    for (int j = 0; j < n_; j++) dVpdn[j] = vprime[j] - sx;
    dVdT = dVpdT - dcdT;
}

void ClassicalCubic::resolve_cubic_equation_in_Z() {
    const double A = a * P / (cubic::R2 * T * T), B = b * P / (R * T);
    const double coef[4] = {-B * B * d1 * d2 * (1.0 + B) - A * B, B * B * (d1 * d2 + d1 + d2) + (d1 + d2) * B + A,
                            -1.0 - (d1 + d2 + 1.0) * B, 1.0};
    double kept[3];
    const int nk = cubic::rootsAboveCovolume(coef, B, kept);
    bool chosen = false;
    double z = Z;
    if (nk == 1) {
        z = kept[0];
        chosen = true;
    } else if (nk >= 2) {
        double lo = kept[0], hi = kept[0];
        for (int k = 1; k < nk; k++) {
            lo = std::min(lo, kept[k]);
            hi = std::max(hi, kept[k]);
        }
        if (phase_kind == 1) {
            z = hi;
            chosen = true;
        } else if (phase_kind == 2) {
            z = lo;
            chosen = true;
        }
    }
    if (!chosen) {
        // No admissible root, or several without a phase kind to choose: the
        // state keeps its volume and the failure is reported.
        errorflag = 1;
        return;
    }
    Z = z;
    Vp = Z * R * T / P;
    if (nk == 1) {
        // Below the pseudo-critical temperature a single root is labelled by
        // its side of the pseudo-critical volume, which the loop of the
        // isotherm spans: the liquid branch below it, the vapour branch
        // above.  At a pure composition the branches are the fluid's two
        // phases, and a search of one kind whose root lies on the other
        // branch has none of its own.
        Vc_pc = Zc * b / Omega_b;
        const double E1 = Vc_pc - d1 * b, E2 = Vc_pc - d2 * b;
        const double dpdv = -R * T / ((Vc_pc - b) * (Vc_pc - b)) + (a / (E1 * E2)) * (1.0 / E1 + 1.0 / E2);
        if (!(dpdv <= 0.0)) {
            const int side = Vp > Vc_pc ? 1 : 2;
            if ((phase_kind == 1 || phase_kind == 2) && side != phase_kind && cubic::atPureComposition(x)) {
                errorflag = 1;
                return;
            }
            phase_kind = side;
        }
    }
    volumeDerivatives();
    V = Vp - c;
    Z = P * V / (R * T);
}

int ClassicalCubic::closedFormRoots(double T_, double P_bar, ClosedFormRoot roots[2]) {
    if (component_count != 1) return -1;
    temperature(T_);
    errorflag = 0;
    if (!usableParametersRefreshed()) {
        errorflag = 0;
        return 0;
    }
    // (V' - d1 b)(V' - d2 b) = V'^2 + u b V' + w b^2; the translation shifts
    // every root's volume by -c and its ln phi by -P c/(RT).
    const double Pt = P_bar * 1e5;
    const int n = cubic::stableCubicRoots(a, b, b, -(d1 + d2), d1 * d2, T_, Pt, roots);
    for (int i = 0; i < n; ++i) {
        roots[i].V -= c;
        roots[i].lnPhi -= Pt * c / (R * T_);
    }
    return n > 0 && roots[0].V > 0.0 ? n : 0;
}

void ClassicalCubic::calculate_molar_volume() {
    errorflag = 0;
    if (!usableParametersRefreshed()) return;
    resolve_cubic_equation_in_Z();
    if (!errorflag) volume(V);
    calculateBulkMolarWeight();
}

namespace {
bool sameBits(const double* p, const double* q, std::size_t n) {
    std::uint64_t differ = 0;
    for (std::size_t i = 0; i < n; ++i) differ |= std::bit_cast<std::uint64_t>(p[i]) ^ std::bit_cast<std::uint64_t>(q[i]);
    return differ == 0;
}
}  // namespace

void ClassicalCubic::pressureStateScalars(double (&v)[kPressureStateScalars]) const {
    // The inputs besides the record (T, V, d1, d2), then the scalars
    // pressureFromRecord writes.
    const double now[kPressureStateScalars] = {T,     V,     d1,   d2,   Vp,   P,    Z,
                                               dPdT,  dPdV,  dVpdT, dVpdP, dVdT, dZdV, dZdP};
    std::copy(now, now + kPressureStateScalars, v);
}

bool ClassicalCubic::pressureStateHolds() const {
    const PressureState& k = pressureState_;
    const unsigned long record = recordComputations();
    if (record == 0 || record != k.record || !sameBits(&k.scalars[0], &T, 1) || !sameBits(&k.scalars[1], &V, 1))
        return false;
    double now[kPressureStateScalars];
    pressureStateScalars(now);
    if (!sameBits(k.scalars, now, kPressureStateScalars)) return false;
    // and the vectors it writes
    const std::size_t n = vprime.size();
    if (k.vectors.size() != 4 * n || dVdx.size() != n || dVpdn.size() != n || dPdx.size() != n) return false;
    return sameBits(k.vectors.data(), vprime.data(), n) && sameBits(k.vectors.data() + n, dVdx.data(), n) &&
           sameBits(k.vectors.data() + 2 * n, dVpdn.data(), n) && sameBits(k.vectors.data() + 3 * n, dPdx.data(), n);
}

bool ClassicalCubic::pressureOfState() {
    if (pressureStateHolds()) return true;
    pressureFromRecord();
    return errorflag == 0;
}

const ClassicalCubic::PressureState& ClassicalCubic::stateLogarithms() {
    PressureState& s = pressureState_;
    if (!s.logs) {
        const double E1 = Vp - d1 * b, E2 = Vp - d2 * b;
        s.L = std::log(E1 / E2) / (d1 - d2);
        s.Lp = (1.0 / E1 - 1.0 / E2) / (d1 - d2);
        s.M = -(d1 / E1 - d2 / E2) / (d1 - d2);
        s.lnfree = std::log(P * (Vp - b) / (R * T));
        s.logs = true;
    }
    return s;
}

void ClassicalCubic::calculate_pressure() {
    if (!usableParametersRefreshed()) return;
    pressureFromRecord();
}

void ClassicalCubic::pressureFromRecord() {
    pressureState_.record = 0;
    pressureState_.logs = false;
    Vp = V + c;
    const double E1 = Vp - d1 * b, E2 = Vp - d2 * b, DD = E1 * E2;
    if (!(Vp > b)) {
        errorflag = 1;
        return;
    }
    P = R * T / (Vp - b) - a / DD;
    Z = P * V / (R * T);
    dPdT = R / (Vp - b) - dadT / DD;
    volumeDerivatives();
    dZdV = (P + V * dPdV) / (R * T);
    dZdP = dZdV / dPdV;
    for (int i = 0; i < n_; i++) {
        dPdx[i] = R * T * bbar[i] / ((Vp - b) * (Vp - b)) - abar[i] / DD -
                  bbar[i] * a * (d1 / (E1 * E1 * E2) + d2 / (E1 * E2 * E2));
    }
    PressureState& k = pressureState_;
    k.record = recordComputations();
    if (k.record == 0) return;
    pressureStateScalars(k.scalars);
    k.vectors.clear();
    for (const std::vector<double>* v : {&vprime, &dVdx, &dVpdn, &dPdx})
        k.vectors.insert(k.vectors.end(), v->begin(), v->end());
}

void ClassicalCubic::quadraticMixing() {
    const int n = n_;
    a = b = dadT = d2adT2 = c = dcdT = 0.0;
    for (int i = 0; i < n; i++) {
        double sa = 0.0, sb = 0.0, saT = 0.0;
        for (int j = 0; j < n; j++) {
            const int k = i * n + j;
            sa += x[j] * aij[k];
            sb += x[j] * bij[k];
            saT += x[j] * daijdT[k];
            a += x[i] * x[j] * aij[k];
            b += x[i] * x[j] * bij[k];
            dadT += x[i] * x[j] * daijdT[k];
            d2adT2 += x[i] * x[j] * d2aijdT2[k];
            twoaij[k] = 2.0 * aij[k];
            twobij[k] = 2.0 * bij[k];
        }
        abar[i] = 2.0 * sa;
        bbar[i] = 2.0 * sb;
        abarT[i] = 2.0 * saT;
        c += x[i] * ci[i];
        dcdT += x[i] * c1[i];
    }
    a_b = a / b;
    dadT_b = dadT / b;
    for (int i = 0; i < n; i++) {
        D[i] = (abar[i] - a * bbar[i] / b) / b;
        DT[i] = (abarT[i] - dadT * bbar[i] / b) / b;
    }
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++)
            Q[i * n + j] = (2.0 * aij[i * n + j] - (bbar[j] * abar[i] + bbar[i] * abar[j] + 2.0 * a * bij[i * n + j]) / b +
                            2.0 * a * bbar[i] * bbar[j] / (b * b)) /
                           b;
}

void ClassicalCubic::geometricPairs(const std::vector<double>& kaij, const std::vector<double>& kbij) {
    const int n = n_;
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) {
            const int ii = i * n + i, jj = j * n + j, k = i * n + j, kt = j * n + i;
            const double a_ = (1.0 - kaij[k]) * std::sqrt(aij[ii] * aij[jj]);
            const double ri = daijdT[ii] / aij[ii], rj = daijdT[jj] / aij[jj];
            const double da = 0.5 * (ri + rj) * a_;
            const double d2a = 0.5 * (ri + rj) * da +
                               0.5 * ((d2aijdT2[ii] - daijdT[ii] * daijdT[ii] / aij[ii]) / aij[ii] +
                                      (d2aijdT2[jj] - daijdT[jj] * daijdT[jj] / aij[jj]) / aij[jj]) *
                                   a_;
            const double b_ = 0.5 * (bij[ii] + bij[jj]) * (1.0 - kbij[k]);
            for (int q : {k, kt}) {
                aij[q] = a_;
                daijdT[q] = da;
                d2aijdT2[q] = d2a;
                bij[q] = b_;
                aij_bij[q] = a_ / b_;
                daijdT_bij[q] = da / b_;
            }
        }
}

void ClassicalCubic::excessAtInfinitePressure() {
    const double u = Lambda / (R * T);
    double sxa = 0.0, sxaT = 0.0;
    for (int k = 0; k < n_; k++) {
        sxa += x[k] * aij_bij[k * n_ + k];
        sxaT += x[k] * (daijdT_bij[k * n_ + k] - aij_bij[k * n_ + k] / T);
    }
    gE = -u * (a_b - sxa);
    dgEdT = -u * (dadT_b - a_b / T) + u * sxaT;
    double sg = 0.0, sgT = 0.0;
    for (int i = 0; i < n_; i++) {
        g[i] = u * (aij_bij[i * n_ + i] - D[i]);
        dgdT[i] = u * (daijdT_bij[i * n_ + i] - DT[i] - (aij_bij[i * n_ + i] - D[i]) / T);
        sg += x[i] * g[i];
        sgT += x[i] * dgdT[i];
    }
    for (int i = 0; i < n_; i++) {
        lngamma[i] = gE + g[i] - sg;
        dlngammadT[i] = dgEdT + dgdT[i] - sgT;
    }
    for (int i = 0; i < n_; i++)
        for (int j = 0; j < n_; j++) Hinf[i * n_ + j] = -Q[i * n_ + j] * Lambda / (R * T);
    for (int i = 0; i < n_; i++)
        for (int j = 0; j < n_; j++) {
            double s = 0.0;
            for (int k = 0; k < n_; k++) s += x[k] * Hinf[k * n_ + j];
            Kinf[i * n_ + j] = Hinf[i * n_ + j] - s;
        }
}

void ClassicalCubic::calculate_fugacities() {
    errorflag = 0;
    if (!usableParametersRefreshed() || !pressureOfState()) return;
    excessAtInfinitePressure();
    const double RT = R * T;
    const PressureState& logs = stateLogarithms();
    const double L = logs.L, Lp = logs.Lp, M = logs.M, lnfree = logs.lnfree;
    const double Zp = P * Vp / RT;
    const double lnZ = std::log(Z);
    for (int i = 0; i < n_; i++) {
        const double beta = bbar[i] / b - 1.0;
        // a_ii/(b_ii RT) - ln gamma_inf/Lambda, which equals (a/b + D_i)/RT.
        const double Ki = aij_bij[i * n_ + i] / RT - lngamma[i] / Lambda;
        lnphi[i] = beta * (Zp - 1.0) - lnfree + L * Ki - ci[i] * P / RT;
        fugcoef[i] = std::exp(lnphi[i]);
        fugacity[i] = x[i] * P * fugcoef[i];
        rcp[i] = lnphi[i] + lnZ;
        // Temperature and pressure derivatives at constant composition.
        const double KiT = (dadT_b + DT[i]) / RT - Ki / T;
        dlnphidT[i] = beta * P * dVpdT / RT - beta * P * Vp / (RT * T) - dVpdT / (Vp - b) + 1.0 / T +
                      Lp * dVpdT * Ki + L * KiT - c1[i] * P / RT + ci[i] * P / (RT * T);
        dlnphidP[i] = beta * Vp / RT + beta * P * dVpdP / RT - 1.0 / P - dVpdP / (Vp - b) + Lp * dVpdP * Ki -
                      ci[i] / RT;
        dfugacitydT[i] = fugacity[i] * dlnphidT[i];
        dfugacitydP[i] = (1.0 / P + dlnphidP[i]) * fugacity[i];
        dfugacitydV[i] = dfugacitydP[i] * dPdV;
        dfugcoefdT[i] = fugcoef[i] * dlnphidT[i];
        dfugcoefdP[i] = fugcoef[i] * dlnphidP[i];
    }
    // Mole-number derivatives at constant T and P (one mole in all).
    for (int j = 0; j < n_; j++) {
        const double db = bbar[j] - 2.0 * b, da = abar[j] - 2.0 * a, dV = dVpdn[j];
        const double dZ = P * dV / RT;
        for (int i = 0; i < n_; i++) {
            const double beta = bbar[i] / b - 1.0;
            const double dbeta = (2.0 * bij[i * n_ + j] - bbar[i]) / b - bbar[i] * db / (b * b);
            const double dabar = 2.0 * aij[i * n_ + j] - abar[i], dbbar = 2.0 * bij[i * n_ + j] - bbar[i];
            const double KiRT = a / b + abar[i] / b - a * bbar[i] / (b * b);
            const double dKiRT = da / b - a * db / (b * b) + dabar / b - abar[i] * db / (b * b) -
                                 (da * bbar[i] + a * dbbar) / (b * b) + 2.0 * a * bbar[i] * db / (b * b * b);
            dlnphidn[i][j] = dbeta * (Zp - 1.0) + beta * dZ - (dV - db) / (Vp - b) +
                             (Lp * dV + M * db) * KiRT / RT + L * dKiRT / RT;
            dfugacitydx[i][j] = fugacity[i] * dlnphidn[i][j] + (i == j ? fugcoef[i] * P : 0.0);
            dfugcoefdx[i][j] = fugcoef[i] * dlnphidn[i][j];
        }
    }
}

void ClassicalCubic::calculate_state_functions() {
    // The departure functions of the current T and V.
    errorflag = 0;
    if (!usableParametersRefreshed() || !pressureOfState()) return;
    const PressureState& logs = stateLogarithms();
    const double L = logs.L, Lp = logs.Lp, M = logs.M;
    const double F = (a - T * dadT) / b;
    Hdep = P * Vp - R * T + L * F - (c - T * dcdT) * P;
    Sdep = R * logs.lnfree - L * dadT / b + P * dcdT;
    dHdepdP = Vp + dVpdP * (P + Lp * F);
    dHdepdT = P * dVpdT - R + dVpdT * Lp * F - L * T * d2adT2 / b;
    for (int i = 0; i < n_; i++)
        Hdep_i[i] = vprime[i] * P + L * (abar[i] - T * abarT[i] - bbar[i] * F) / b + (vprime[i] * Lp + bbar[i] * M) * F -
                    P * c0[i];
    Adep = -R * T * std::log(V - b) + a / (b * (d2 - d1)) * std::log((V - d2 * b) / (V - d1 * b));
    Gdep = Adep + P * V;
    // The model adds no ideal gas: these are departure functions, not the
    // fluid's enthalpy, entropy or energies, and it has no heat capacities or
    // sound speed.  The fluid's own state functions are not given.
    withholdStateFunctions(false);
}

void ClassicalCubic::calculate_critical_parameters_of_pure_fluid() {
    if (!usableParametersRefreshed()) return;
    const double Vp_ = V + c, E0 = Vp_ - b, E1 = Vp_ - d1 * b, E2 = Vp_ - d2 * b;
    if (!(E0 > 0.0) || !(E1 > 0.0) || !(E2 > 0.0)) {
        errorflag = 1;
        return;
    }
    // k-th derivatives in V' of 1/(V' - b) and of 1/((V' - d1 b)(V' - d2 b))
    // (Leibniz's rule on the two factors), from which those of
    // p(T, V') = R T/(V' - b) - a/((V' - d1 b)(V' - d2 b)) and of its T
    // derivative at constant V'.
    auto inverseDerivative = [](double e, int k) {
        double d = 1.0 / e;
        for (int j = 1; j <= k; j++) d *= -j / e;
        return d;
    };
    double p[4], pT[4];
    for (int k = 0; k < 4; k++) {
        double g = 0.0, binomial = 1.0;
        for (int j = 0; j <= k; j++) {
            g += binomial * inverseDerivative(E1, j) * inverseDerivative(E2, k - j);
            binomial = binomial * (k - j) / (j + 1);
        }
        const double f = inverseDerivative(E0, k);
        p[k] = R * T * f - a * g;
        pT[k] = R * f - dadT * g;
    }
    // P(T, V) = p(T, V + c(T)): a temperature derivative at constant V adds
    // dc/dT times the next volume derivative.
    A = dAdT = std::nan("");
    dAdx = 0.0;
    dAdV = -p[0];
    d2AdV2 = -p[1];
    d3AdV3 = -p[2];
    d4AdV4 = -p[3];
    d2AdTdV = -(pT[0] + dcdT * p[1]);
    d3AdTdV2 = -(pT[1] + dcdT * p[2]);
    d4AdTdV3 = -(pT[2] + dcdT * p[3]);
}

double ClassicalCubic::equationForPseudoCriticalPoint(double T_, void*) {
    temperature(T_);
    refresh_parameters();
    return a / (b * T_) - R * Omega_a / Omega_b;
}

void ClassicalCubic::calculate_the_pseudo_critical_point(double& Tc, double& Pc, double& Vc) {
    const double Tsaved = T;
    Tc = Pc = Vc = 0.0;
    if (!usableParametersRefreshed()) return;
    Vc_pc = Zc * b / Omega_b;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&ClassicalCubic::equationForPseudoCriticalPoint);
    s.x0 = 100.0;
    s.x1 = 150.0;
    s.tol = 0.001;
    s.itermax = 20;
    Tc_pc = s.solve();
    Pc_pc = R * Omega_b * Tc_pc / b;
    Tc = Tc_pc;
    Pc = Pc_pc;
    Vc = Vc_pc;
    temperature(Tsaved);
    refresh_parameters();
}

void ClassicalCubic::test(int option) {
    std::printf("Calculation of molar volumes for CO2-CH4 mixtures with %s\n", modelName());
    if (component_count < 2) {
        number_of_components(2);
        add_components("CO2", "CH4");
    }
    if (option == 1) {
        set_the_phase_as(2);
        temperature(273.15);
        composition(0.99, 0.01);
        pressure(100.0);
        calculate_molar_volume();
        print(stdout);
    }
    set_the_phase_as(1);
    composition(0.01, 0.99);
    pressure(100.0);
    calculate_molar_volume();
    print(stdout);
}

void ClassicalCubic::printPairs(std::FILE* f, const std::vector<double>& kaij, const std::vector<double>& kbij) const {
    for (int i = 0; i < n_; i++) {
        std::fprintf(f, "(i=%d) bi %lg ai %lg\n", i, bij[i * n_ + i], aij[i * n_ + i]);
        for (int j = 0; j <= i; j++)
            std::fprintf(f, "(i=%d,j=%d) aij %lg  bpa %lg  bij %lg bpb %lg\n", i, j, aij[i * n_ + j], kaij[i * n_ + j],
                         bij[i * n_ + j], kbij[i * n_ + j]);
    }
    std::fprintf(f, "a %lg  b %lg\n\n", a, b);
}

// ---------------------------------------------------------------- binary critical set

namespace {

// A truncated Taylor polynomial in (t, v, x) about the current state: the
// coefficients of t^i v^j x^k with i <= 1 and i + j + k <= 4 (the critical
// sets read no second temperature derivative).
struct Jet {
    double c[2][5][5] = {};

    static Jet constant(double value) {
        Jet j;
        j.c[0][0][0] = value;
        return j;
    }
    double value() const { return c[0][0][0]; }
    // The derivative d^(i+j+k) / dt^i dv^j dx^k at the state.
    double derivative(int i, int j, int k) const {
        static const double factorial[5] = {1.0, 1.0, 2.0, 6.0, 24.0};
        return c[i][j][k] * factorial[j] * factorial[k];
    }
};

Jet operator+(const Jet& a, const Jet& b) {
    Jet r;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 5; ++j)
            for (int k = 0; k < 5; ++k) r.c[i][j][k] = a.c[i][j][k] + b.c[i][j][k];
    return r;
}
Jet operator*(double s, const Jet& a) {
    Jet r;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 5; ++j)
            for (int k = 0; k < 5; ++k) r.c[i][j][k] = s * a.c[i][j][k];
    return r;
}
Jet operator-(const Jet& a, const Jet& b) { return a + (-1.0) * b; }
Jet operator+(double s, const Jet& a) {
    Jet r = a;
    r.c[0][0][0] += s;
    return r;
}
Jet operator*(const Jet& a, const Jet& b) {
    Jet r;
    for (int i1 = 0; i1 < 2; ++i1)
        for (int j1 = 0; j1 < 5; ++j1)
            for (int k1 = 0; i1 + j1 + k1 <= 4; ++k1) {
                const double ca = a.c[i1][j1][k1];
                if (ca == 0.0) continue;
                for (int i2 = 0; i1 + i2 < 2; ++i2)
                    for (int j2 = 0; i1 + i2 + j1 + j2 + k1 <= 4; ++j2)
                        for (int k2 = 0; i1 + i2 + j1 + j2 + k1 + k2 <= 4; ++k2)
                            r.c[i1 + i2][j1 + j2][k1 + k2] += ca * b.c[i2][j2][k2];
            }
    return r;
}
// f(a) from the Taylor coefficients d[n] = f^(n)(a0)/n! of f at a's value:
// the part of a without its value is nilpotent (its fifth power vanishes).
Jet compose(const Jet& a, const double (&d)[5]) {
    Jet h = a;
    h.c[0][0][0] = 0.0;
    Jet r = Jet::constant(d[0]), p = Jet::constant(1.0);
    for (int n = 1; n <= 4; ++n) {
        p = p * h;
        r = r + d[n] * p;
    }
    return r;
}
Jet log(const Jet& a) {
    const double u = a.value();
    const double d[5] = {std::log(u), 1.0 / u, -0.5 / (u * u), 1.0 / (3.0 * u * u * u), -0.25 / (u * u * u * u)};
    return compose(a, d);
}
Jet reciprocal(const Jet& a) {
    const double u = a.value();
    const double d[5] = {1.0 / u, -1.0 / (u * u), 1.0 / (u * u * u), -1.0 / (u * u * u * u),
                         1.0 / (u * u * u * u * u)};
    return compose(a, d);
}

}  // namespace

void ClassicalCubic::calculate_critical_parameters() {
    errorflag = 0;
    if (component_count == 1 || n_ == 1) {
        calculate_critical_parameters_of_pure_fluid();
        return;
    }
    if (n_ != 2 || x.size() != 2) {
        errorflag = 1;
        return;
    }
    const double x1 = x[1];
    if (!(x1 > 0.0 && x1 < 1.0) || !usableParametersRefreshed()) {
        errorflag = 1;
        return;
    }
    Jet t, v, X1;
    t.c[1][0][0] = 1.0;
    v = Jet::constant(V);
    v.c[0][1][0] = 1.0;
    X1 = Jet::constant(x1);
    X1.c[0][0][1] = 1.0;
    const Jet X[2] = {1.0 + (-1.0) * X1, X1};
    // a(T, x) = sum x_i x_j a_ij(T), b(x) = sum x_i x_j b_ij, c(T, x) = sum x_i c_i(T).
    Jet aJ, bJ, cJ;
    for (int i = 0; i < 2; ++i) {
        cJ = cJ + X[i] * (ci[i] + c1[i] * t);
        for (int j = 0; j < 2; ++j) {
            const int k = i * 2 + j;
            aJ = aJ + (X[i] * X[j]) * (aij[k] + daijdT[k] * t);
            bJ = bJ + bij[k] * (X[i] * X[j]);
        }
    }
    const Jet Vp_ = v + cJ;
    const Jet E0 = Vp_ - bJ, E1 = Vp_ - d1 * bJ, E2 = Vp_ - d2 * bJ;
    if (!(E0.value() > 0.0) || !(E1.value() > 0.0) || !(E2.value() > 0.0) || !(bJ.value() > 0.0)) {
        errorflag = 1;
        return;
    }
    // A = R T [x0 ln x0 + x1 ln x1 - ln(V' - b)] + attraction, where the
    // attraction's volume derivative is a/((V' - d1 b)(V' - d2 b)):
    // a/(b (d1 - d2)) ln((V' - d1 b)/(V' - d2 b)), or -a/(V' - d1 b) when
    // d1 = d2; terms linear in the mole fractions are left out (they add
    // nothing to the second and higher composition derivatives).
    const Jet RT = R * (T + t);
    const Jet mixing = X[0] * log(X[0]) + X[1] * log(X[1]);
    Jet attraction;
    if (d1 != d2)
        attraction = (aJ * reciprocal((d1 - d2) * bJ)) * (log(E1) - log(E2));
    else
        attraction = (-1.0) * (aJ * reciprocal(E1));
    const Jet Aj = RT * (mixing - log(E0)) + attraction;

    A = dAdT = std::nan("");
    dAdV = Aj.derivative(0, 1, 0);
    dAdx = Aj.derivative(0, 0, 1);
    d2AdV2 = Aj.derivative(0, 2, 0);
    d2AdVdx = Aj.derivative(0, 1, 1);
    d2Adx2 = Aj.derivative(0, 0, 2);
    d2AdTdV = Aj.derivative(1, 1, 0);
    d2AdTdx = Aj.derivative(1, 0, 1);
    d3AdV3 = Aj.derivative(0, 3, 0);
    d3AdV2dx = Aj.derivative(0, 2, 1);
    d3AdVdx2 = Aj.derivative(0, 1, 2);
    d3Adx3 = Aj.derivative(0, 0, 3);
    d3AdTdV2 = Aj.derivative(1, 2, 0);
    d3AdTdVdx = Aj.derivative(1, 1, 1);
    d3AdTdx2 = Aj.derivative(1, 0, 2);
    d4AdV4 = Aj.derivative(0, 4, 0);
    d4AdV3dx = Aj.derivative(0, 3, 1);
    d4AdV2dx2 = Aj.derivative(0, 2, 2);
    d4AdVdx3 = Aj.derivative(0, 1, 3);
    d4Adx4 = Aj.derivative(0, 0, 4);
    d4AdTdV3 = Aj.derivative(1, 3, 0);
    d4AdTdV2dx = Aj.derivative(1, 2, 1);
    d4AdTdVdx2 = Aj.derivative(1, 1, 2);
    d4AdTdx3 = Aj.derivative(1, 0, 3);
    // Second temperature derivatives are not part of the set.
    d3AdT2dV = d4AdT2dVdx = d4AdT2dV2 = d4AdT2dx2 = std::nan("");
    if (!std::isfinite(d2AdV2) || !std::isfinite(d2Adx2) || !std::isfinite(d4Adx4)) errorflag = 1;
}

void ClassicalCubic::calculate_third_order_critical_parameters() {
    // The fourth-order set holds the third-order one.
    calculate_critical_parameters();
}
