#pragma once
// Two-phase equilibrium of an n-component mixture between two FluidPhase
// models (liquid and vapour, or two liquids), posed as one system of 2n + 4
// equations in the 2n + 4 variables
//     u = (T, P, nL, nV, x_0 .. x_n-1, y_0 .. y_n-1)
// and solved by Newton's method with the analytic Jacobian built from the
// models' fugacity and volume derivatives:
//     nL x_i + nV y_i = n z_i                 mass balances (n rows)
//     f_i(vapour) - f_i(liquid) = 0           equal fugacities, Pa (n rows)
//     sum_i (x_i - y_i) = 0,  nL + nV = n
//     q_c1 = q_c1 given, q_c2 = q_c2 given    the two fixed quantities
// where the constrained quantities are q = (T, P, nV, Vt, Fvol), Vt = nL Vl +
// nV Vv the total volume and Fvol = nV Vv / Vt the volumetric vapour fraction;
// the two digits of the problem code name them (1 T, 2 P, 3 nV, 4 Vt, 5 Fvol).
// One solver thus serves flashes at fixed T and P, bubble and dew points
// (nV = 0 or nV = n), isochoric states and states at a fixed volumetric
// vapour fraction.  The same Jacobian gives the tangent of an equilibrium path
// (calculate_derivatives), on which the continuation tracers are built.
//
// Start values (`set_initialization_flag`): 0 the stored estimates (the last
// solution), 2 Raoult's law (IdealMixture), 3 the pseudo-critical point of the
// bulk, 5 a table of earlier results.
#include <cstdio>
#include <functional>
#include <vector>

#include "equilibria/IdealMixture.h"
#include "numerics/Newton.h"

class IFP : public IdealMixture {
public:
    IFP();
    IFP(FluidPhase& a, FluidPhase& b);
    ~IFP() override;

    void number_of_components(int n) override;
    // Sets the two constraint selectors from the digits; a digit outside 1..5
    // is error 2 with a message (once per bad digit).
    void set_type_of_problem(short code) override;
    void initialize() override;
    void estimate_next_state() override;
    void calculateVLE() override;
    // One solve from the start given by flag.
    void calculateVLE(short flag);

    // The system of the Newton solver (SysEquationFn).
    void calculate_vector_function(double* u, double* G, double** J, int& err, int order, void*);
    // Jacobian rows 0 .. 2n+1 of the current state (the constraint rows zero).
    void fill_in_the_Jacobian_matrix(double** J);
    // Plausibility test of the state just copied from the variable vector; 1 rejects.
    int the_calculated_vector_is_not_good();
    // 1 when n >= 2 and the two phases have the same composition.
    int is_it_the_trivial_solution();
    // Gradient of constrained quantity c (1 T, 2 P, 3 nV, 4 Vt, 5 Fvol) into
    // constraint row `which` (1 or 2); only the entries of the gradient are written.
    void set_constraint(double** J, int c, int which);
    // d = du/dq_c1 along the equilibrium with q_c2 held, at the current solved state.
    void calculate_derivatives(double* d, int c1, int c2);
    // The (P, y) system at fixed T and liquid composition (n + 1 equations).
    void calculate_vector_function1(double* u, double* G, double** J, int& err, int order, void*);
    // 1 when the estimate x[i] or y[i] lies outside [0, 1].
    int bad_estimates(int i);

    // ---- path continuation (IFPContinuation.cpp)
    // Predictors: the tangent at the last solved state, the choice of the
    // stepping variable (T while |dP/dT| < 1e5 Pa/K, else P), the next
    // specified value and the estimates of the free variables.  h is the step
    // factor (halved here on a copy only while the estimates leave their
    // bounds), dT in K, dP in Pa.
    // Fixed vapour amount: codes 13 / 23, steps dT and +-dP after a switch.
    void estimate_next_state0(double h, double dT, double dP);
    // Fixed total volume: codes 14 / 24, steps +-1 K and +-1e5 Pa after a switch.
    void estimate_next_state4(double h, double dT);
    // Fixed volumetric vapour fraction: codes 15 / 25, the same steps.
    void estimate_next_state0a(double h, double dT);
    // Isopleth at the molar vapour fraction Fv of the bulk (0 bubble curve,
    // 1 dew curve) from T0 (or, with fromPressure, from the estimate pressure
    // at T0) while Tmin <= T <= Tmax and P <= 1e9 Pa.  Output mode 1 (Igor
    // text into f), 2 (columns with a "# " header into f) or 6 (2n + 7 values
    // a state appended to `array`); other modes write nothing.
    void calculate_an_isopleth(double T0, double Fv_, std::FILE* f, const char* name, double Tmin, double Tmax,
                               double dT, double dP, char fromPressure, char mode, std::vector<double>* array);
    // Isochor through the state at T0 and the molar vapour fraction Fv (Igor text into f).
    void calculate_an_isochor(double T0, double Fv_, std::FILE* f, const char* name, double Tmin, double Tmax,
                              double dT);
    // Isopleth at the volumetric vapour fraction Fvol (Igor text into f).
    void calculate_an_isopleth1(double T0, double Fvol_, std::FILE* f, const char* name, double Tmin, double Tmax,
                                double dT);

    // ---- isotherms and ternary tie lines (IFPIsotherms.cpp)
    // Tangents at the current solved state with the step dx0 = 1 of the
    // liquid's first mole fraction, in the order of the variable vector:
    // a two-component isotherm (fixed T), a pseudo-binary isotherm (three
    // components, x1 + aux x2 held by the step), and the tie lines of a
    // three-component system at fixed T and P.  The int arguments of the
    // first are not used.  A singular system leaves d as it was.
    void calculate_derivatives1(double* d, int, int);
    void calculate_derivatives2(double* d);
    void calculate_derivatives3(double* d);
    // Predictors run after every successful solve in estimate modes 1, 2, 3:
    // `older` receives the tangent (its pressure dP/dx0, its arrays dx/dx0, dy/dx0).
    void estimate_next_state1();
    void estimate_next_state2();
    void estimate_next_state3();
    // Start values of the pseudo-binary isotherm extrapolated along `older`:
    // mode 0 a composition step, mode 1 a pressure step (Pa); h is halved
    // while a mole fraction leaves [-1e-5, 1.00001].  The second argument is not used.
    void calculate_initial_values(short mode, short, double h, double step);
    // Pressure-composition isotherm of a binary at T (K) from the bubble
    // point of z0 (first_init_flag 2) or a flash at the estimate pressure
    // (first_init_flag 0), by composition steps dir while |dP/dx0| < 1e7 Pa
    // and pressure steps dP_bar beyond, up to Pmax_bar.  Igor text at path.
    void calculate_an_isotherm_of_the_binary_system(const char* path, double T_, double z0, double dir, double dP_bar,
                                                    double Pmax_bar, const char* suffix) override;
    // The same for three components whose first two keep the ratio r (aux).
    void calculate_an_isotherm_of_the_pseudo_binary_system(const char* path, double T_, double z0, double r,
                                                           double dir, double dP_bar, double Pmax_bar,
                                                           const char* suffix) override;
    // Tie lines of a three-component system at T (K) and P (bar): the bulk
    // moves by dz from the middle of each tie line towards component `pole`
    // until the two phases merge or vanish.  Igor text "ter" + name.
    void calculate_an_isobaric_isothermal_diagram(double T_, double P_bar, double dz, const char* name, int pole);

    // ---- data
    int variable_count = 0;  // m = 2n + 4
    double first_constraint[5] = {0, 0, 0, 0, 0};
    double second_constraint[5] = {0, 0, 0, 0, 0};
    std::vector<double> state_vector;
    std::vector<double> step_limits;
    std::vector<double> tangent;
    double slope_T = 0.0;  // dP/dT along a traced path, Pa/K
    double slope_x = 0.0;  // dP/dx along a traced isotherm, Pa
    Newton solver;

    // Temperature and pressure steps of the three predictors (K, Pa), set at
    // the first prediction of a trace (pass_count 0) and kept between calls.
    double predictor_dT[3] = {0, 0, 0};
    double predictor_dP[3] = {0, 0, 0};

protected:
    // solve() on the solver; error 1 when it fails or ends on the trivial solution.
    void solveSystem();

private:
    // The traces of an isopleth and of an isotherm of a binary, step by step
    // (IFPContinuation.cpp, IFPIsotherms.cpp).
    class IsoplethTrace;
    class IsothermTrace;
    // A converged state whose phases have the same molar volume and
    // compositions within 1e-4 (volumes within 1e-3): the trivial solution reached from outside
    // the band that the trial test rejects.
    bool nearlyTrivial() const;
    // The predictor family; kind 0 (vapour amount), 1 (total volume), 2 (volumetric fraction).
    void predictNextState(int kind, double h, double dT, double dP);
    // Solves the first state of an isotherm at T_: the bubble point of the
    // bulk setBulk(z0) makes (first_init_flag 2) or a flash at the estimate
    // pressure (first_init_flag 0); false, with error 3 and a message, when
    // there is none.
    bool solveIsothermStart(double T_, double z0, const std::function<void(double)>& setBulk);
    // The stepping variable of an isotherm: composition steps sx (bubble
    // points, problem 13) while |dP/dx0| < 1e7 Pa, pressure steps sP of size D
    // (flashes, problem 12) beyond; a switch keeps the pressure moving the
    // same way.  True for a composition step.
    bool chooseCompositionStep(double& sx, double& sP, double dir, double D);
    // The start volumes to the models by their phase kinds.
    void handStartVolumes(double Vl, double Vv);
    // Solves the set problem from those start volumes without a word (a trial
    // of a critical approach); false, with the error cleared, when it fails.
    bool solveQuietlyFrom(double Vl, double Vv);
    // Solves the first state of a traced path at T0 (problem 13: molar vapour
    // fraction, 15: volumetric vapour fraction); false, with error 3 and a
    // message, when there is none.
    bool solvePathStart(short code, double T0, double fraction);
    // Steps a path from its solved start with predictor `predictor` until T
    // leaves [Tmin, Tmax] or the step factor falls to minFactor; every solved
    // state is echoed and written by writeRow.
    void followPath(int predictor, double minFactor, double Tmin, double Tmax, double dT,
                    const std::function<void()>& writeRow);
    // The residual of one constraint row with selector s.
    double constraintResidual(const double* s) const;
    // The Jacobian row of selector s into row r.
    void constraintRow(double** J, const double* s, int which);
};
