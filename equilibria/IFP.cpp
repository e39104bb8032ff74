#include "equilibria/IFP.h"

#include <cmath>

#include "fluid/FluidPhase.h"
#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

IFP::IFP() : IdealMixture() {}

IFP::IFP(FluidPhase& a, FluidPhase& b) : IdealMixture(a, b) {}

IFP::~IFP() = default;

namespace {

// Both phases at the solver's trial point, the conditions applied first;
// false when either phase's model fails there.
bool describePhases(IFP& s) {
    s.apply_conditions();
    s.vapour->describe();
    s.liquid->describe();
    return !(s.liquid->errorflag || s.vapour->errorflag);
}

}  // namespace

void IFP::number_of_components(int n) {
    IdealMixture::number_of_components(n);
    if (n < 1) return;
    variable_count = 2 * n + 4;
    solver._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&IFP::calculate_vector_function),
                                  variable_count);
    const std::size_t m = static_cast<std::size_t>(variable_count);
    state_vector.assign(m, 0.0);
    step_limits.assign(m, 0.0);
    tangent.assign(m, 0.0);
    solver.tol = 1e-8;
    solver.itermax = 50;
    solver.stepTol = 0.001;
    solver.lambdaMin = 0.001;
}

void IFP::set_type_of_problem(short code) {
    problem = code;
    for (int k = 0; k < 5; k++) first_constraint[k] = second_constraint[k] = 0.0;
    const int d1 = code / 10;
    if (d1 >= 1 && d1 <= 5) {
        first_constraint[d1 - 1] = 1.0;
    } else {
        error = 2;
        platform::diagf("Type of problem not defined !\n");
    }
    const int d2 = code - 10 * d1;
    if (d2 >= 1 && d2 <= 5) {
        second_constraint[d2 - 1] = 1.0;
    } else {
        error = 2;
        platform::diagf("Type of problem not defined !\n");
    }
}

// ---------------------------------------------------------------- the system

int IFP::the_calculated_vector_is_not_good() {
    for (int i = 0; i < nc; i++) {
        const bool xin = x[i] > -1e-5 && x[i] < 1.00001, yin = y[i] > -1e-5 && y[i] < 1.00001;
        if (xin && yin) continue;
        if (x[i] < -1.5 || y[i] < -1.5 || x[i] > 1.5 || y[i] > 1.5) return 1;
        // A fraction slightly out of range is evaluated at the nearest sensible value.
        if (x[i] <= -1e-5) x[i] = 1e-10;
        if (x[i] >= 1.00001) x[i] = 0.999999999;
        if (y[i] <= -1e-5) y[i] = 1e-10;
        if (y[i] >= 1.00001) y[i] = 0.999999999;
    }
    if (!(T > 0.0) || !(P > 0.0)) return 1;
    if (nV < -1e-6 || nL < -1e-6 || nV > 1.000001 || nL > 1.000001) return 1;
    if (ll_flag == 0) {
        if (vapour->phase_kind != 1 || liquid->phase_kind != 2) {
            vapour->set_the_phase_as(1);
            liquid->set_the_phase_as(2);
            return 1;
        }
    } else if (vapour->phase_kind != 2 || liquid->phase_kind != 2) {
        vapour->set_the_phase_as(2);
        liquid->set_the_phase_as(2);
        return 1;
    }
    if (key_check && key_component >= 0 && key_component < nc) {
        const int k = key_component;
        if (x[k] < 0.99 && y[k] > x[k]) return 1;
    }
    return is_it_the_trivial_solution();
}

int IFP::is_it_the_trivial_solution() {
    if (nc < 2) return 0;
    // A pure feed's two phases have the same composition: the pure
    // component's saturation, told from one phase twice by the volumes once
    // solved (nearlyTrivial).
    for (int i = 0; i < nc; i++)
        if (i < static_cast<int>(z.size()) && z[i] == 1.0) return 0;
    double s = 0.0;
    for (int i = 0; i < nc; i++) s += std::fabs(x[i] - y[i]);
    return s < 1e-7 ? 1 : 0;
}

double IFP::constraintResidual(const double* s) const {
    const double q[5] = {T, P, nV, Vt, Fvol};
    const double given[5] = {spec_T, spec_P, spec_nV, spec_Vt, spec_Fvol};
    double g = 0.0;
    for (int k = 0; k < 5; k++) {
        const double term = s[k] * (q[k] - given[k]);
        g += k == 3 ? term * total_moles : term;
    }
    return g;
}

void IFP::constraintRow(double** J, const double* s, int which) {
    const int r = which == 1 ? 2 * nc + 2 : 2 * nc + 3;
    J[r][0] = s[0];
    J[r][1] = s[1];
    J[r][3] = s[2];
    if (s[3] != 0.0) set_constraint(J, 4, which);
    if (s[4] != 0.0) set_constraint(J, 5, which);
}

void IFP::calculate_vector_function(double* u, double* G, double** J, int& err, int order, void*) {
    const int n = nc;
    err = 0;
    T = u[0];
    P = u[1];
    nL = u[2];
    nV = u[3];
    for (int i = 0; i < n; i++) {
        x[i] = u[4 + i];
        y[i] = u[n + 4 + i];
    }
    if (the_calculated_vector_is_not_good()) {
        err = 1;
        return;
    }
    if (!describePhases(*this)) {
        err = 1;
        return;
    }
    const double Vl = liquid->V, Vv = vapour->V;
    Vt = nL * Vl + nV * Vv;
    Fvol = nV * Vv / Vt;

    const std::vector<double>& xL = liquid->x;
    const std::vector<double>& yV = vapour->x;
    double sxy = 0.0;
    for (int i = 0; i < n; i++) {
        G[i] = nL * xL[i] + nV * yV[i] - moles[i];
        G[n + i] = vapour->fugacity[i] - liquid->fugacity[i];
        sxy += xL[i] - yV[i];
    }
    G[2 * n] = sxy;
    G[2 * n + 1] = nV + nL - total_moles;
    G[2 * n + 2] = constraintResidual(first_constraint);
    G[2 * n + 3] = constraintResidual(second_constraint);

    if (order != 0 && J) {
        fill_in_the_Jacobian_matrix(J);
        constraintRow(J, first_constraint, 1);
        constraintRow(J, second_constraint, 2);
    }
}

void IFP::fill_in_the_Jacobian_matrix(double** J) {
    const int n = nc, m = variable_count;
    for (int r = 0; r < m; r++)
        for (int c = 0; c < m; c++) J[r][c] = 0.0;
    for (int i = 0; i < n; i++) {
        J[i][2] = liquid->x[i];
        J[i][3] = vapour->x[i];
        J[i][4 + i] = liquid->total_moles;
        J[i][n + 4 + i] = vapour->total_moles;
        J[n + i][0] = vapour->dfugacitydT[i] - liquid->dfugacitydT[i];
        J[n + i][1] = vapour->dfugacitydP[i] - liquid->dfugacitydP[i];
        for (int j = 0; j < n; j++) {
            J[n + i][4 + j] = -liquid->dfugacitydx[i][j];
            J[n + i][n + 4 + j] = vapour->dfugacitydx[i][j];
        }
        J[2 * n][4 + i] = 1.0;
        J[2 * n][n + 4 + i] = -1.0;
    }
    J[2 * n + 1][2] = 1.0;
    J[2 * n + 1][3] = 1.0;
}

void IFP::set_constraint(double** J, int c, int which) {
    const int n = nc;
    const int r = which == 1 ? 2 * n + 2 : 2 * n + 3;
    const double Vl = liquid->V, Vv = vapour->V;
    // Volume derivatives at constant pressure (T, x) and temperature (P).
    const double dVldT = liquid->dVdT, dVvdT = vapour->dVdT;
    const double dVldP = 1.0 / liquid->dPdV, dVvdP = 1.0 / vapour->dPdV;
    switch (c) {
        case 1:
            J[r][0] = 1.0;
            break;
        case 2:
            J[r][1] = 1.0;
            break;
        case 3:
            J[r][3] = 1.0;
            break;
        case 4:
            J[r][0] = nV * dVvdT + nL * dVldT;
            J[r][1] = nV * dVvdP + nL * dVldP;
            J[r][2] = Vl;
            J[r][3] = Vv;
            for (int i = 0; i < n; i++) {
                J[r][4 + i] = nL * liquid->dVdx[i];
                J[r][n + 4 + i] = nV * vapour->dVdx[i];
            }
            break;
        case 5: {
            const double Vtot = nL * Vl + nV * Vv;
            const double a = nV * Vv, V2 = Vtot * Vtot;
            const double g0 = nV * dVvdT + nL * dVldT, g1 = nV * dVvdP + nL * dVldP;
            J[r][0] = (nV * dVvdT * Vtot - a * g0) / V2;
            J[r][1] = (nV * dVvdP * Vtot - a * g1) / V2;
            J[r][2] = -a * Vl / V2;
            J[r][3] = (Vv * Vtot - a * Vv) / V2;
            for (int i = 0; i < n; i++) {
                J[r][4 + i] = -a * nL * liquid->dVdx[i] / V2;
                J[r][n + 4 + i] = nV * vapour->dVdx[i] * (Vtot - a) / V2;
            }
            break;
        }
        default:
            break;
    }
}

void IFP::calculate_derivatives(double* d, int c1, int c2) {
    const int m = variable_count;
    if (m == 0 || !hasModels()) return;
    std::vector<double> store(static_cast<std::size_t>(m) * m, 0.0);
    std::vector<double*> rows(m);
    for (int r = 0; r < m; r++) rows[r] = store.data() + static_cast<std::size_t>(r) * m;
    std::vector<double> b(m, 0.0);
    fill_in_the_Jacobian_matrix(rows.data());
    set_constraint(rows.data(), c1, 1);
    set_constraint(rows.data(), c2, 2);
    b[2 * nc + 2] = 1.0;
    int status = 0;
    // A singular system leaves d as it was: the caller's last tangent stands.
    solve_the_linear_system(rows.data(), b.data(), d, m, status);
}

void IFP::calculate_vector_function1(double* u, double* G, double** J, int& err, int order, void*) {
    const int n = nc;
    err = 0;
    if (u[0] <= 0.0) {
        err = 1;
        return;
    }
    P = u[0];
    for (int i = 0; i < n; i++) {
        if (u[1 + i] > 1.0 || u[1 + i] < 0.0) {
            err = 1;
            return;
        }
        y[i] = u[1 + i];
    }
    double s = 0.0;
    for (int i = 0; i < n; i++) s += std::fabs(x[i] - y[i]);
    if (s < 0.1) {
        err = 1;
        return;
    }
    if (!describePhases(*this)) {
        err = 1;
        return;
    }
    double sy = 0.0;
    for (int i = 0; i < n; i++) {
        G[i] = vapour->fugacity[i] - liquid->fugacity[i];
        sy += y[i];
    }
    G[n] = sy - 1.0;
    if (order != 0 && J) {
        for (int r = 0; r <= n; r++)
            for (int c = 0; c <= n; c++) J[r][c] = 0.0;
        for (int i = 0; i < n; i++) {
            J[n][1 + i] = 1.0;
            J[i][0] = vapour->dfugacitydP[i] - liquid->dfugacitydP[i];
            for (int j = 0; j < n; j++) J[i][1 + j] = vapour->dfugacitydx[i][j];
        }
    }
}

int IFP::bad_estimates(int i) {
    if (i < 0 || i >= nc) return 0;
    const double xi = estimate.x[i], yi = estimate.y[i];
    return (xi > 1.0 || xi < 0.0 || yi > 1.0 || yi < 0.0) ? 1 : 0;
}

// ---------------------------------------------------------------- solves

void IFP::initialize() {
    error = 0;
    if (history_on) std::fprintf(history, "Initialization ");
    switch (init_flag) {
        case 0:
            if (history_on) std::fprintf(history, "from the later calculated equilibrium state");
            switch (problem) {
                case 12:
                case 21:
                    estimate.T = T = spec_T;
                    estimate.P = P = spec_P;
                    break;
                case 13:
                case 31:
                    estimate.T = T = spec_T;
                    vaporization_ratio(spec_nV);
                    P = estimate.P;
                    break;
                case 14:
                case 15:
                case 41:
                case 51:
                    estimate.T = T = spec_T;
                    P = estimate.P;
                    break;
                case 23:
                case 32:
                    T = estimate.T;
                    estimate.P = P = spec_P;
                    vaporization_ratio(spec_nV);
                    break;
                case 24:
                case 25:
                case 42:
                case 52:
                    T = estimate.T;
                    estimate.P = P = spec_P;
                    break;
                default:
                    T = estimate.T;
                    P = estimate.P;
                    break;
            }
            x = estimate.x;
            y = estimate.y;
            break;
        case 2:
            if (history_on) std::fprintf(history, "from Raoult's law");
            IdealMixture::calculateVLE();
            break;
        case 3:
            if (history_on) std::fprintf(history, "from the pseudo-critical coordinates of the mixture");
            initialize_from_the_pseudo_critical_point();
            break;
        case 5:
            initializeFromFile();
            break;
        default:
            error = 1;
            platform::diagf("Type of initialization not defined !\n");
            break;
    }
    if (history_on) {
        std::fprintf(history, "T %lg P %lg", T, P * 1e-5);
        for (int i = 0; i < nc; i++) std::fprintf(history, "%lg ", x[i]);
        for (int i = 0; i < nc; i++) std::fprintf(history, "%lg ", y[i]);
        std::fprintf(history, "\n");
    }
    apply_conditions();
    vapour->describe();
    liquid->describe();

    const int n = nc, m = variable_count;
    state_vector[0] = T;
    state_vector[1] = P;
    state_vector[2] = nL;
    state_vector[3] = nV;
    for (int i = 0; i < n; i++) {
        state_vector[4 + i] = x[i];
        state_vector[n + 4 + i] = y[i];
    }
    step_limits[0] = 50.0;
    step_limits[1] = 5e6;
    step_limits[2] = 0.5 * total_moles;
    step_limits[3] = 0.5 * total_moles;
    for (int i = 4; i < m; i++) step_limits[i] = 0.3;
    for (int i = 0; i < m; i++) {
        solver.x[i] = solver.xold[i] = state_vector[i];
        solver.scale[i] = step_limits[i];
    }
}

void IFP::calculateVLE(short flag) {
    if (!hasModels() || variable_count == 0) {
        // Without both models (error 6) or before number_of_components there is nothing to solve.
        error = hasModels() ? 2 : 6;
        platform::diagf("The two-phase problem is not set up (models and components)\n");
        return;
    }
    set_initialization_flag(flag);
    initialize();
    if (error != 0) {
        error = 5;
        platform::diagf("Initialization error\n");
        return;
    }
    solveSystem();
    if (error == 0) Fv = nV / total_moles;
    estimate_next_state();
}

void IFP::solveSystem() {
    solver.solve();
    error = solver.status != 0 ? 1 : 0;
    // Beyond a critical point Newton creeps towards the trivial solution (one
    // phase twice) and stops just outside the band the trial test rejects:
    // two phases of the same molar volume and nearly the same composition
    // are not an equilibrium of two phases.
    if (error == 0 && nearlyTrivial()) error = 1;
}

bool IFP::nearlyTrivial() const {
    if (nc < 2) return false;
    double s = 0.0;
    for (int i = 0; i < nc; i++) s += std::fabs(x[i] - y[i]);
    const double Vl = liquid->V, Vv = vapour->V;
    return s < 1e-4 && std::fabs(Vl - Vv) <= 1e-3 * std::fabs(Vv);
}

void IFP::calculateVLE() {
    if (history_on) {
        std::fprintf(history, "Calculate VLE Problem %d Bulk composition", problem);
        for (int i = 0; i < nc; i++) std::fprintf(history, "%lg ", z[i]);
        std::fprintf(history, "\n");
        switch (problem) {
            case 12:
                std::fprintf(history, "\tT %lg P %lg\n", spec_T, spec_P / 100000.0);
                break;
            case 13:
                std::fprintf(history, "\tT %lg Fv %lg\n", spec_T, spec_nV);
                break;
            case 23:
                std::fprintf(history, "\tP %lg Fv %lg\n", spec_P / 100000.0, spec_nV);
                break;
            default:
                std::fprintf(history, "Not defined\n");
                break;
        }
    }
    calculateVLE(init_flag);
    if (history_on) std::fprintf(history, "\n");
}

void IFP::estimate_next_state() {
    if (error != 0) return;
    switch (estimate_mode) {
        case 1:
            estimate_next_state1();
            break;
        case 2:
            estimate_next_state2();
            break;
        case 3:
            estimate_next_state3();
            break;
        default:
            VLE::estimate_next_state();
            break;
    }
}
