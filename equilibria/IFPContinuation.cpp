// Curves of two-phase states of a mixture of fixed bulk composition by
// predictor-corrector continuation: isopleths at a fixed molar vapour
// fraction (bubble curve at Fv = 0, dew curve at Fv = 1), isopleths at a
// fixed volumetric vapour fraction, and isochors.  The predictor extrapolates
// along the tangent of the equilibrium (calculate_derivatives) and fixes the
// next value of the stepping variable: the temperature while the curve is
// flat in the (T, P) plane, the pressure where it becomes steep
// (|dP/dT| >= 1e5 Pa/K); a full solve corrects the prediction.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "equilibria/IFP.h"
#include "fluid/BinarySide.h"
#include "fluid/CriticalApproach.h"
#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

namespace {

// Composition columns: values below 1e-40 are written as 0.
double tiny0(double v) { return std::fabs(v) < 1e-40 ? 0.0 : v; }

// Upper bound of the predictions of one trace, so that a trace creeping by
// short steps along a curve that stays inside its window ends.
constexpr int kMaxTracePoints = 20000;

}  // namespace

void IFP::predictNextState(int kind, double h, double dT, double dP) {
    static constexpr short kCodeT[3] = {13, 14, 15};
    static constexpr short kCodeP[3] = {23, 24, 25};
    static constexpr int kConstraint[3] = {3, 4, 5};
    const short cT = kCodeT[kind], cP = kCodeP[kind];
    const int c2 = kConstraint[kind];
    double& stepT = predictor_dT[kind];
    double& stepP = predictor_dP[kind];
    const int n = nc;
    if (n == 0 || !hasModels()) return;

    for (;;) {
        // 1. Tangent of the path at the last solved state.
        if (problem == cT) {
            calculate_derivatives(tangent.data(), 1, c2);
            slope_T = tangent[1];
        } else if (problem == cP) {
            calculate_derivatives(tangent.data(), 2, c2);
            slope_T = 1.0 / tangent[0];
        }
        // 2. The steps of a new trace.
        if (pass_count == 0) {
            stepT = dT;
            stepP = dT * slope_T;
        }
        pass_count++;
        // 3. / 4. Pressure stepping where the curve is steep, else temperature stepping.
        if (std::fabs(slope_T) >= 1e5) {
            if (problem == cT) {
                set_type_of_problem(cP);
                calculate_derivatives(tangent.data(), 2, c2);
                const double D = kind == 0 ? std::fabs(dP) : 1e5;
                stepP = slope_T * stepT > 0 ? D : -D;
            }
            set_the_pressure((previous.P + h * stepP) / 100000.0);
            estimate.T = previous.T + h * tangent[0] * stepP;
            for (int i = 0; i < n; i++) {
                estimate.x[i] = previous.x[i] + h * tangent[4 + i] * stepP;
                estimate.y[i] = previous.y[i] + h * tangent[n + 4 + i] * stepP;
            }
        } else {
            if (problem == cP) {
                set_type_of_problem(cT);
                calculate_derivatives(tangent.data(), 1, c2);
                // Back to temperature steps in the direction of travel: the
                // pressure step continues along dP = slope dT.
                const double size = kind == 0 ? std::fabs(dT) : 1.0;
                stepT = slope_T * stepP > 0 ? size : -size;
            }
            set_the_temperature(previous.T + h * stepT);
            estimate.P = previous.P + h * slope_T * stepT;
            for (int i = 0; i < n; i++) {
                estimate.x[i] = previous.x[i] + h * tangent[4 + i] * stepT;
                estimate.y[i] = previous.y[i] + h * tangent[n + 4 + i] * stepT;
            }
        }

        // 5. Bounds of the estimates.
        if (kind == 0) {
            bool out = estimate.P < 0.0;
            for (int i = 0; i < n && !out; i++) out = bad_estimates(i) != 0;
            if (!out) return;
            h /= 2.0;
            if (h < 0.01) return;
            continue;
        }
        if (estimate.P < 0.0) {
            h /= 2.0;
            // A floor also for the volumetric-fraction predictor: a pressure
            // that stays negative ends the prediction instead of looping.
            if (h < 1e-5) {
                platform::diagf("Pnc out of range\n");
                return;
            }
            continue;
        }
        const double lowest = kind == 1 ? -1e-10 : -1e-20;
        bool repeat = false;
        for (int i = 0; i < n && !repeat; i++) {
            const bool out = estimate.x[i] > 1.0000000001 || estimate.x[i] < lowest || estimate.y[i] > 1.0000000001 ||
                             estimate.y[i] < lowest;
            if (!out) continue;
            h /= 2.0;
            if (kind == 1) {
                if (h >= 1e-4) {
                    repeat = true;
                } else {
                    platform::diagf("xnc or ync (%d) out of range\n", i);
                    return;
                }
            } else if (h >= 1e-5) {
                repeat = true;
            } else {
                platform::diagf("Estimate_next_state : xnc or ync (%d) out of range \n", i);
            }
        }
        if (!repeat) return;
    }
}

void IFP::estimate_next_state0(double h, double dT, double dP) { predictNextState(0, h, dT, dP); }
void IFP::estimate_next_state4(double h, double dT) { predictNextState(1, h, dT, 0.0); }
void IFP::estimate_next_state0a(double h, double dT) { predictNextState(2, h, dT, 0.0); }

void IFP::handStartVolumes(double Vl, double Vv) {
    for (FluidPhase* m : {liquid, vapour}) {
        const double v = m == liquid ? Vl : Vv;
        if (m->phase_kind == 2)
            m->Vl0 = v;
        else
            m->Vv0 = v;
    }
}

bool IFP::solveQuietlyFrom(double Vl, double Vv) {
    handStartVolumes(Vl, Vv);
    {
        const platform::ThreadLogCapture quiet;
        set_initialization_flag(0);
        initialize();
        if (error == 0) solveSystem();
    }
    if (error == 0) return true;
    error = 0;
    return false;
}

// One isopleth of the continuation: its output, its window, the volumes and
// pressure slopes of the last solved state, and the critical point that ends
// a binary's bubble or dew curve.  The start is solved (start), each step is
// predicted (estimate_next_state0) and corrected by a full solve (run), kept
// (keepSolved) or shortened (retry), and the curve closes at its critical
// point (closedAtCritical).
class IFP::IsoplethTrace {
public:
    IsoplethTrace(IFP& q, std::FILE* f, const char* name, char mode, std::vector<double>* array, double Fv,
                  double Tmin, double Tmax, double dT, double dP)
        : q_(q), n_(q.nc), nm_(name ? name : ""), f_(f), mode_(mode), array_(array),
          text_((mode == 1 || mode == 2) && f), toArray_(mode == 6 && array), Fv_(Fv), Tmin_(Tmin), Tmax_(Tmax),
          dT_(dT), dP_(dP), closesAtCritical_(n_ == 2 && (Fv == 0.0 || Fv == 1.0)),
          critical_(kCriticalPointFixedComposition, {.Tmin = Tmin, .Tmax = Tmax, .Pmax = 1e9}) {}

    void writeHeader();
    bool start(double T0, char fromPressure);
    void run();
    void end() {
        if (text_ && mode_ == 1) std::fprintf(f_, "END\n");
    }

private:
    static double slope(double dV, double dPa) { return dPa != 0.0 ? dV / dPa : 0.0; }
    // The solved state becomes the last point of the trace.
    void keepAsPrevious() {
        q_.previous.x = q_.x;
        q_.previous.y = q_.y;
        q_.previous.P = q_.P;
        q_.previous.T = q_.T;
    }
    void writeRow();
    void keepSolved();
    void retry();
    bool closedAtCritical();
    void closeAtCritical(const critical_approach::CriticalPoint& cp);

    IFP& q_;
    const int n_;
    const char* nm_;
    std::FILE* f_;
    const char mode_;
    std::vector<double>* array_;
    const bool text_, toArray_;
    const double Fv_, Tmin_, Tmax_, dT_, dP_;
    // The bubble curve (Fv = 0) and the dew curve (Fv = 1) of a binary meet
    // at the critical point of the mixture of the bulk's composition.
    const bool closesAtCritical_;
    critical_approach::CriticalSearch critical_;
    double Mwl_ = 0.0, Mwv_ = 0.0;
    // Volume slopes in pressure, the start volumes of the last solved state
    // and its volumes, the start volumes of the next solve.
    double sL_ = 0.0, sV_ = 0.0, VlLast_ = 0.0, VvLast_ = 0.0, VlAt_ = 0.0, VvAt_ = 0.0, VlStart_ = 0.0,
           VvStart_ = 0.0;
    double Tbefore_ = 0.0, Pbefore_ = 0.0;
};

void IFP::IsoplethTrace::writeHeader() {
    if (text_ && mode_ == 1) {
        std::fprintf(f_, "IGOR\nWAVES %5s%s %11s%s ", "T", nm_, "P", nm_);
        for (int i = 0; i < n_; i++) std::fprintf(f_, "%10s%1d%s ", "x", i, nm_);
        for (int i = 0; i < n_; i++) std::fprintf(f_, "%10s%1d%s ", "y", i, nm_);
        std::fprintf(f_, "%11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "Vl", nm_, "Vv", nm_, "dPdT", nm_, "Mwl", nm_,
                     "Mwv", nm_);
    } else if (text_) {
        std::fprintf(f_, "# ");
        std::fprintf(f_, " %12s\t%12s\t", "T(1)", "P(2)");
        for (int i = 0; i < n_; i++) std::fprintf(f_, "%12s(%d)\t", "x", i + 3);
        for (int i = 0; i < n_; i++) std::fprintf(f_, "%12s(%d)\t", "y", n_ + i + 3);
        std::fprintf(f_, "Vl(%d)\tVv(%d)\tdPdT(%d)\tMwl(%d)\tMwv(%d)\n", 2 * n_ + 3, 2 * n_ + 4, 2 * n_ + 5,
                     2 * n_ + 6, 2 * n_ + 7);
    }
}

void IFP::IsoplethTrace::writeRow() {
    IFP& q = q_;
    const double Vl = q.liquid->V * 1e6, Vv = q.vapour->V * 1e6;
    if (text_) {
        std::fprintf(f_, "%12lg %12lg ", q.T, q.P / 100000.0);
        for (int i = 0; i < n_; i++) std::fprintf(f_, "%12lg ", tiny0(q.x[i]));
        for (int i = 0; i < n_; i++) std::fprintf(f_, "%12lg ", tiny0(q.y[i]));
        std::fprintf(f_, "%12lg %12lg %12lg %12lg %12lg\n", Vl, Vv, q.slope_T * 1e-5, Mwl_, Mwv_);
    } else if (toArray_) {
        array_->push_back(q.T);
        array_->push_back(q.P / 100000.0);
        for (int i = 0; i < n_; i++) array_->push_back(tiny0(q.x[i]));
        for (int i = 0; i < n_; i++) array_->push_back(tiny0(q.y[i]));
        for (double v : {Vl, Vv, q.slope_T * 1e-5, Mwl_, Mwv_}) array_->push_back(v);
    }
}

// The start at T0 (or at the estimate's pressure), its first row and the
// first prediction; false, with error 3 and a message, where there is none.
bool IFP::IsoplethTrace::start(double T0, char fromPressure) {
    IFP& q = q_;
    const double Vl0 = q.liquid->Vl0, Vv0 = q.vapour->Vv0;
    q.factor = 1.0;
    if (fromPressure) {
        q.vapour->set_the_phase_as(5);
        q.set_type_of_problem(23);
        q.set_the_temperature(T0);
        q.set_the_pressure(q.estimate.P / 100000.0);
    } else {
        q.set_type_of_problem(13);
        q.set_the_temperature(T0);
        q.set_the_vaporization_ratio(Fv_);
    }
    q.pass_count = 0;
    q.set_initialization_flag(q.first_init_flag);
    q.calculateVLE();
    if (q.error != 0 && fromPressure) {
        // The vapour's volume search from its stored volume served the first
        // evaluation; the trial states need the kind of a vapour (1), which
        // the failed solve has restored, so the start is solved once more.
        q.set_initialization_flag(q.first_init_flag);
        q.calculateVLE();
    }
    if (q.error != 0) {
        q.error = 3;
        platform::diagf("Can't find a starting point for the isopleth\n");
        return false;
    }
    // Volume slopes for the start volumes of the pressure steps (none when
    // the start solve left the pressure unchanged).
    sL_ = slope(q.liquid->V - Vl0, q.P - q.previous.P);
    sV_ = slope(q.vapour->V - Vv0, q.P - q.previous.P);
    keepAsPrevious();
    VlLast_ = q.liquid->V;
    VvLast_ = q.vapour->V;
    VlAt_ = VlLast_;
    VvAt_ = VvLast_;
    q.estimate_next_state0(1.0, dT_, dP_);
    // Mean molar masses of the start point.
    for (int i = 0; i < n_; i++) {
        Mwl_ += q.x[i] * q.liquid->molar_mass[i];
        Mwv_ += q.y[i] * q.vapour->molar_mass[i];
    }
    writeRow();
    q.set_initialization_flag(0);
    VlStart_ = VlLast_;
    VvStart_ = VvLast_;
    Tbefore_ = q.T;
    Pbefore_ = q.P;
    return true;
}

// The critical point of the mixture of the bulk's composition, sought from
// the last point's temperature and volumes (ahead of it in T while the steps
// are in T, in P while they are in P, inside the trace's window): true when
// the curve has closed there.
bool IFP::IsoplethTrace::closedAtCritical() {
    IFP& q = q_;
    const bool inP = q.problem == 23;
    critical_approach::CriticalPoint cp;
    if (!critical_.seek(*q.liquid,
                        {q.previous.T, q.z[1], VlAt_, VvAt_, inP, inP ? q.previous.P : q.previous.T,
                         inP ? Pbefore_ : Tbefore_},
                        cp))
        return false;
    closeAtCritical(cp);
    return true;
}

// From the last point to the critical point: states of the curve at
// temperatures or pressures most of the way each time; the critical point
// itself is the last row.
void IFP::IsoplethTrace::closeAtCritical(const critical_approach::CriticalPoint& cp) {
    using critical_approach::TieLine;
    IFP& q = q_;
    const double zc = q.z[1];
    const TieLine c{cp.T, cp.P, zc, zc, cp.V, cp.V};
    const TieLine last{q.previous.T, q.previous.P, q.previous.x[1], q.previous.y[1], VlAt_, VvAt_};
    // Both parameters, T (problem 13) and P (problem 23): of the two the one
    // that comes closer.
    critical_approach::approachTheCriticalPoint(
        last, c, Fv_ == 0.0, 1.0, 2,
        [&](int kind, const TieLine& st, TieLine& got) {
            q.set_type_of_problem(kind == 0 ? 13 : 23);
            q.estimate.T = st.s;
            q.estimate.P = st.t;
            q.estimate.x = {1.0 - st.x, st.x};
            q.estimate.y = {1.0 - st.y, st.y};
            if (kind == 0)
                q.set_the_temperature(st.s);
            else
                q.set_the_pressure(st.t / 100000.0);
            if (!q.solveQuietlyFrom(st.Vl, st.Vv)) return false;
            got = {q.T, q.P, q.x[1], q.y[1], q.liquid->V, q.vapour->V};
            if (!binary_side::stableTieLine(*q.liquid, *q.vapour, got.x, got.Vl, got.y, got.Vv)) return false;
            q.calculate_derivatives(q.tangent.data(), kind == 0 ? 1 : 2, 3);
            q.slope_T = kind == 0 ? q.tangent[1] : 1.0 / q.tangent[0];
            return true;
        },
        [&] { writeRow(); });
    q.T = cp.T;
    q.P = cp.P;
    q.x = {1.0 - zc, zc};
    q.y = q.x;
    q.liquid->V = q.vapour->V = cp.V;
    writeRow();
    q.error = 1;  // the curve ends here
}

// Step control after a solved state: its volumes and slopes kept, the window
// checked (the last row is still written), the next prediction, the step
// grown back, and the critical point sought once the phases come close.
void IFP::IsoplethTrace::keepSolved() {
    IFP& q = q_;
    VlLast_ = q.liquid->phase_kind == 2 ? q.liquid->Vl0 : q.liquid->Vv0;
    sL_ = slope(q.liquid->V - VlLast_, q.P - q.previous.P);
    VvLast_ = q.vapour->phase_kind == 2 ? q.vapour->Vl0 : q.vapour->Vv0;
    sV_ = slope(q.vapour->V - VvLast_, q.P - q.previous.P);
    Tbefore_ = q.previous.T;
    Pbefore_ = q.previous.P;
    keepAsPrevious();
    VlAt_ = q.liquid->V;
    VvAt_ = q.vapour->V;
    if (q.T < Tmin_ || q.T > Tmax_ || q.P > 1e9) q.error = 1;  // the last row is still written
    q.estimate_next_state0(q.factor, dT_, dP_);
    if (q.problem == 23) VlStart_ = (q.estimate.P - q.previous.P) * sL_ + VlLast_;
    platform::tracef("%12lg %12lg %5d %12lg %12lg\n", q.T, q.P / 100000.0, q.problem, q.spec_T, q.spec_P / 100000.0);
    writeRow();
    // A step shortened by failures grows back after each success.
    if (q.factor < 1.0) q.factor = std::fmin(2.0 * q.factor, 1.0);
    if (q.error == 0 && closesAtCritical_ && critical_.due(VlAt_, VvAt_)) closedAtCritical();
}

// Step control after a failed solve: the step halved from the last solved
// state, down to 1/1000 of the full one; a curve that stalls there has come
// to the critical point (or close to it) and closes there.
void IFP::IsoplethTrace::retry() {
    IFP& q = q_;
    q.factor = q.factor / 2.0;
    if (q.factor > 0.001) {
        q.x = q.previous.x;
        q.y = q.previous.y;
        q.P = q.previous.P;
        q.T = q.previous.T;
        q.handStartVolumes(VlLast_, VvLast_);
        q.apply_conditions();
        q.vapour->describe();
        q.liquid->describe();
        q.estimate_next_state0(q.factor, dT_, dP_);
        VlStart_ = VlLast_;
        VvStart_ = VvLast_;
        if (q.problem == 23) {
            VlStart_ = (q.estimate.P - q.previous.P) * sL_ + VlLast_;
            VvStart_ = (q.estimate.P - q.previous.P) * sV_ + VvLast_;
        }
        q.error = 0;
    } else if (closesAtCritical_) {
        closedAtCritical();
    }
}

void IFP::IsoplethTrace::run() {
    IFP& q = q_;
    int points = 0;
    while (q.error == 0) {
        if (++points > kMaxTracePoints) {
            platform::diagf("The curve is cut after %d points\n", kMaxTracePoints);
            break;
        }
        q.handStartVolumes(VlStart_, VvStart_);
        q.initialize();
        q.solveSystem();
        // The phases of a binary's curve stay on their sides up to the
        // critical point: a state whose phases swapped (or became one) lies
        // past it.
        if (q.error == 0 && closesAtCritical_ &&
            ((q.y[1] - q.x[1]) * (q.previous.y[1] - q.previous.x[1]) <= 0.0 || !(q.vapour->V > q.liquid->V)))
            q.error = 1;
        if (q.error == 0)
            keepSolved();
        else
            retry();
    }
}

void IFP::calculate_an_isopleth(double T0, double Fv_, std::FILE* f, const char* name, double Tmin, double Tmax,
                                double dT, double dP, char fromPressure, char mode, std::vector<double>* array) {
    if (!hasModels() || variable_count == 0) {
        error = hasModels() ? 2 : 6;
        platform::diagf("The two-phase problem is not set up (models and components)\n");
        return;
    }
    IsoplethTrace trace(*this, f, name, mode, array, Fv_, Tmin, Tmax, dT, dP);
    trace.writeHeader();
    if (!trace.start(T0, fromPressure)) return;
    trace.run();
    trace.end();
}

bool IFP::solvePathStart(short code, double T0, double fraction) {
    if (!hasModels() || variable_count == 0) {
        error = hasModels() ? 2 : 6;
        platform::diagf("The two-phase problem is not set up (models and components)\n");
        return false;
    }
    factor = 1.0;
    set_type_of_problem(code);
    set_the_temperature(T0);
    if (code == 15)
        set_the_vaporization_ratio1(fraction);
    else
        set_the_vaporization_ratio(fraction);
    pass_count = 0;
    set_initialization_flag(first_init_flag);
    calculateVLE();
    if (error != 0) {
        error = 3;
        platform::diagf("Can't find a starting point for the isopleth\n");
        return false;
    }
    previous.x = x;
    previous.y = y;
    previous.P = P;
    previous.T = T;
    return true;
}

void IFP::followPath(int predictor, double minFactor, double Tmin, double Tmax, double dT,
                     const std::function<void()>& writeRow) {
    double Vl = liquid->V, Vv = vapour->V;
    set_initialization_flag(0);
    int points = 0;
    while (error == 0) {
        if (++points > kMaxTracePoints) {
            platform::diagf("The curve is cut after %d points\n", kMaxTracePoints);
            break;
        }
        if (predictor == 1)
            estimate_next_state4(factor, dT);
        else
            estimate_next_state0a(factor, dT);
        handStartVolumes(Vl, Vv);
        calculateVLE();
        if (error == 0) {
            previous.x = x;
            previous.y = y;
            previous.P = P;
            previous.T = T;
            Vl = liquid->V;
            Vv = vapour->V;
            if (T < Tmin || T > Tmax) error = 1;  // the last row is still written
            std::printf("%lg %lg\n", T, P / 100000.0);
            writeRow();
            // A step shortened by failures grows back after each success.
            if (factor < 1.0) factor = std::fmin(2.0 * factor, 1.0);
        } else {
            factor = factor / 2.0;
            if (factor > minFactor) error = 0;
        }
    }
}

void IFP::calculate_an_isochor(double T0, double Fv_, std::FILE* f, const char* name, double Tmin, double Tmax,
                               double dT) {
    const int n = nc;
    const std::string X = header("x", "     "), Y = header("y", "     ");
    if (f && hasModels() && variable_count != 0)
        std::fprintf(f, "IGOR\nWAVES Tr Pr %s %s Vl Vv dPdT fv mwl rol mwv rov \nBEGIN\n", X.c_str(), Y.c_str());
    if (!solvePathStart(13, T0, Fv_)) return;
    auto writeRow = [&]() {
        if (!f) return;
        std::fprintf(f, "%lg\t%lg\t", T, P / 100000.0);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", x[i]);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", y[i]);
        liquid->calculateBulkMolarWeight();
        vapour->calculateBulkMolarWeight();
        std::fprintf(f, "%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\n", liquid->V * 1e6, vapour->V * 1e6, slope_T / 1e7,
                     Fvol, liquid->bulk_molar_weight, liquid->rho, vapour->bulk_molar_weight, vapour->rho);
    };
    writeRow();
    // The total volume of the start holds along the path.
    set_the_volume(nL * liquid->V + nV * vapour->V);
    set_type_of_problem(14);
    followPath(1, 1e-6, Tmin, Tmax, dT, writeRow);
    const std::string sfx = std::string("_") + (name ? name : "");
    endIgorTable(f, {{"Tr", "T"}, {"Pr", "Pr"}, {"dPdT", "dPdT"}, {"Vl", "Vl"}, {"Vv", "Vv"}, {"Fv", "Fv"},
                     {"mwl", "mwl"}, {"rol", "rol"}, {"mwv", "mwv"}, {"rov", "rov"}},
                 sfx);
    if (!f) return;
    std::fprintf(f, "x T%s -= 273.15\n", sfx.c_str());
    std::fprintf(f, "x Fv%s *= 100.0\n", sfx.c_str());
}

void IFP::calculate_an_isopleth1(double T0, double Fvol_, std::FILE* f, const char* name, double Tmin, double Tmax,
                                 double dT) {
    const int n = nc;
    const std::string X = header("x", "     "), Y = header("y", "     ");
    if (f && hasModels() && variable_count != 0) std::fprintf(f, "IGOR\nWAVES Tr Pr %s %s Vl Vv dPdT\nBEGIN\n", X.c_str(), Y.c_str());
    if (!solvePathStart(15, T0, Fvol_)) return;
    auto writeRow = [&]() {
        if (!f) return;
        std::fprintf(f, "%lg\t%lg\t", T, P / 100000.0);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", x[i]);
        for (int i = 0; i < n; i++) std::fprintf(f, "%lg\t", y[i]);
        std::fprintf(f, "%lg\t%lg\t%lg\n", liquid->V * 1e6, vapour->V * 1e6, slope_T / 1e7);
    };
    // The start row carries no slope yet.
    slope_T = 0.0;
    writeRow();
    followPath(2, 0.001, Tmin, Tmax, dT, writeRow);
    endIgorTable(f, {{"Tr", "T"}, {"Pr", "Pr"}, {"dPdT", "dPdT"}, {"Vl", "Vl"}, {"Vv", "Vv"}}, name ? name : "");
}
