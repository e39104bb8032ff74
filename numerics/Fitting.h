#pragma once
// Fitting: regression with errors in all variables.
//
// Each of the m observations has nx independent variables measured as Xm with
// variances, one or two dependent variables measured as Ym and Zm with
// variances, and nadd additional constants.  The model is a member function of
// the calling object (FitEquationFn, numerics/Equation.h) that gives the model
// values F ~ Y and G ~ Z of one observation from the estimated true variables
// and the np parameters.  The weighted sum of squares
//
//   S = sum_i [ sum_j (X_ij - Xm_ij)^2 / varX_ij + (F_i - Ym_i)^2 / varY_i
//               + (G_i - Zm_i)^2 / varZ_i ]
//
// is minimised over the parameters and the estimated true values X together
// (type 0); type 1 has no Z, types 2 and 3 hold X at Xm (ordinary weighted
// least squares with and without Z).  Each Gauss-Newton step eliminates the
// variable corrections observation by observation (Deming 1943; Britt and
// Luecke 1973, Technometrics 15, 233), so only an np x np system is solved; the
// step is limited and backtracked until the sum of squares falls by enough.
//
// Calling order:
//   Fitting fit; fit.obj = this; fit.fn = toEquationFn<FitEquationFn>(&M::model);
//   fit.m = ..; fit.np = ..; fit.nx = ..; fit.nadd = ..; fit.set_type_of_regression(1);
//   fit.allocate_memory();
//   fit.read_Xm(0, x); fit.read_Ym(y); fit.read_sdX(0, sx); fit.read_sdY(sy); ...
//   fit.set_initial_parameters(p0); fit.set_parameters_pertubation(dp);
//   fit.set_variables_pertubation(dx);            // types 0 and 1
//   fit.set_history("fit.txt");                   // optional; else standard output
//   short err = 0; fit.regres(err);
//   if (!fit.error) ... fit.p, fit.sdP, fit.covariance, fit.converged ...
//
// Failures (a model that fails, a singular matrix, inconsistent input) are
// written to the report and leave `error` nonzero; nothing is thrown.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "numerics/Equation.h"

class Fitting {
public:
    // --- settings ---
    Equation* obj = nullptr;        // the model's Equation part
    FitEquationFn fn = nullptr;     // the model, called once per observation
    std::FILE* out = stdout;        // report stream
    double tol = 0.001;             // relative change of the sum of squares that counts as converged
    double decreaseFactor = 0.25;   // fraction of the predicted decrease a step must achieve
    std::int32_t itermax = 15;      // iteration limit
    double stepDivisor = 1.5;       // divisor of the step length when a step is cut
    std::int16_t checkVariables = 1;   // 2 lets estimated variables become negative
    std::int16_t checkParameters = 1;  // 2 lifts the limit on parameter changes
    double stepLength = 1.0;        // step length at the start of every iteration
    double maxParamStep = 1000.0;   // largest change of one parameter in one step
    std::int16_t type = 0;          // 0 X,Y,Z; 1 X,Y; 2 Y,Z; 3 Y (X exact in 2 and 3)
    std::int16_t printLevel = 7;    // amount of report (above 0, 3 and 6 adds more)
    std::int32_t m = 0;             // observations
    std::int32_t np = 0;            // parameters
    std::int32_t nx = 0;            // independent variables per observation
    std::int32_t nadd = 0;          // additional constants per observation

    // --- arrays, allocated by allocate_memory (null before) ---
    double* dp = nullptr;           // perturbations of the parameters (np)
    double* dxv = nullptr;          // perturbations of the variables (nx)
    double** Xm = nullptr;          // measured variables (m x nx)
    double** X = nullptr;           // estimated true variables (m x nx)
    double** varX = nullptr;        // variances of the variables (m x nx)
    double** sdX = nullptr;         // standard deviations of the variables (m x nx)
    double* Ym = nullptr;           // measured first dependent variable (m)
    double* Zm = nullptr;           // measured second dependent variable (m)
    double* F = nullptr;            // model values of Y (m)
    double* G = nullptr;            // model values of Z (m)
    double* varY = nullptr;
    double* varZ = nullptr;
    double* sdY = nullptr;
    double* sdZ = nullptr;
    double* dY = nullptr;           // F - Ym (m)
    double* dZ = nullptr;           // G - Zm (m)
    double** add = nullptr;         // additional constants (m x nadd)
    double* p = nullptr;            // parameters (np)
    double** Fx = nullptr;          // dF/dX (m x nx)
    double** Gx = nullptr;          // dG/dX (m x nx)
    double** Fp = nullptr;          // dF/dp (m x np)
    double** Gp = nullptr;          // dG/dp (m x np)
    double** dX = nullptr;          // X - Xm (m x nx)
    double** delX = nullptr;        // corrections of the variables (m x nx)
    double* delP = nullptr;         // correction of the parameters (np)
    double* U = nullptr;            // (np)
    double* C = nullptr;            // right-hand side of the reduced normal equations (np)
    double** CC = nullptr;          // reduced normal matrix, inverted in place (np x np)
    double** TT = nullptr;          // parameter block of the normal matrix (np x np)
    double** D = nullptr;           // work matrix (nx x nx)
    double** Q = nullptr;           // (m x nx)
    double* FpDp = nullptr;         // linear predictions dF/dp . delP (m)
    double* GpDp = nullptr;
    double* FxDx = nullptr;         // linear predictions dF/dX . delX (m)
    double* GxDx = nullptr;
    double** covariance = nullptr;  // of the parameters (np x np)
    double** correlation = nullptr; // (np x np)
    double* sdP = nullptr;          // standard deviations of the parameters (np)

    // --- scalars ---
    std::int16_t iteration = 0;     // iteration counter (incremented after each report)
    std::int32_t trials = 0;        // evaluations in the line searches
    double al = 0.0;                // step length
    double ssq = 0.0;               // sum of squares at the start of the iteration
    double ssqn = 0.0;              // sum of squares at the trial point
    double dsl = 0.0;               // linearised change of the sum of squares
    double variance = 0.0;          // estimated variance of the fit
    std::int16_t converged = 0;
    std::int16_t error = 0;         // nonzero after a failure

    Fitting() = default;
    Fitting(const Fitting&) = delete;
    Fitting& operator=(const Fitting&) = delete;
    ~Fitting();

    void set_type_of_regression(short t);
    // Allocates every array for m, np, nx and nadd (zero-filled).  Returns 0, or
    // 1 when a size is negative (nothing is then allocated).
    int allocate_memory();

    // Data.  Each takes one value per observation (m values); j is the index of
    // the variable.  Standard deviations give the variances as their squares
    // and variances give the standard deviations as their roots.
    void read_Xm(int j, const double* values);
    void read_Ym(const double* values);
    void read_Zm(const double* values);
    void read_sdX(int j, const double* values);
    void read_sdY(const double* values);
    void read_sdZ(const double* values);
    void read_EvX(int j, const double* values);
    void read_EvY(const double* values);
    void read_EvZ(const double* values);
    // The nadd additional constants of observation i.
    void read_additional_parameters(int i, std::initializer_list<double> values);
    template <class... V>
    void read_additional_parameters(int i, V... values) {
        read_additional_parameters(i, std::initializer_list<double>{static_cast<double>(values)...});
    }

    void set_initial_parameters(const double* values);      // np values
    void set_parameters_pertubation(const double* values);  // np values
    void set_variables_pertubation(const double* values);   // nx values
    // Sends the report to the file `path` (mode "w").  Returns 0, or 1 when the
    // file cannot be opened (the report then goes to standard output).
    int set_history(const char* path);

    // Runs the regression.  The error flag starts with the value of err; the
    // outcome is in `error` and `converged`, the results in p, sdP, covariance
    // and correlation.
    void regres(short& err);

    // Steps of the regression.
    void initialize();
    void print();
    void func(int& err);   // model values at X and p; err (and error) nonzero after a failure
    void fundr(int& err);  // derivatives by central differences; err nonzero after a failure
    void sumsq(double& s);
    void calculate_dsl();
    void limite_variations_of_parameters();
    // Line search.  Returns 0 when a step was accepted, 1 when the step had to be
    // given up (linearisation too poor), 2 when the iteration limit was passed.
    int calculate_new_parameters();
    void limite_step_size();

private:
    // Row table over one contiguous block.
    struct Table {
        std::vector<double> store;
        std::vector<double*> rows;
        double** assign(int r, int c);
    };
    Table tXm_, tX_, tVarX_, tSdX_, tAdd_, tFx_, tGx_, tFp_, tGp_, tDX_, tDelX_, tCC_, tTT_, tD_, tQ_,
        tCov_, tCor_, tWork_;
    std::vector<double> vec_;           // every vector, cut in pieces
    std::vector<double> dinv_;          // D_i^-1 per observation (m x nx x nx)
    std::vector<double> s_;             // S_i per observation (m x nx x np)
    std::vector<double> w_;             // S_i^T D_i^-1 per observation (m x np x nx)
    std::vector<double> baseX_, baseP_; // start of the line search
    int am_ = -1, anp_ = 0, anx_ = 0, anadd_ = 0;  // sizes allocated
    bool ownsOut_ = false;

    bool allocated() const;
    bool checkInput();
    bool hasZ() const { return type == 0 || type == 2; }
    bool hasX() const { return type == 0 || type == 1; }
    bool callModel(int i, double& f, double& g);
    bool buildStep();
    void summary();
    void moveTo(double length);
    bool relativelySmall(double diff, double ref) const;
};
