#pragma once
// Pressure-composition isotherm of a binary system: bubble points traced by
// continuation along the liquid composition, each predicted along the
// tangent of the bubble curve; where the curve is steep (|dP/dx| > 1e6 Pa)
// the step is taken in pressure and solved as a flash instead (or, where the
// flash misses, as the tie line at that pressure from the equal fugacities
// themselves).  No row is written twice, and rows further apart than 0.03 in
// either phase's mole fraction have the tie lines between them filled in.
#include <cmath>
#include <string>
#include <vector>

#include "fluid/CriticalApproach.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ValidityRange.h"

// A P-x isotherm traced from its first point: the accepted point, the
// pressure of the point before it (the way the trace goes in pressure: up
// from a pure component's saturation, down from a flash at high pressure),
// the tangent of the bubble curve and the step factor.  Each step is
// predicted along the tangent and corrected by a bubble point, or by a flash
// where the curve is steep (predictAndCorrect); the step control (run) keeps
// or shortens it; the isotherm ends at a pure component, at its highest
// pressure, or at its critical point (closeAtCritical).
class BinaryIsothermTrace {
public:
    // Columns of a row (T, P, the phases' mole fractions, volumes, densities
    // and energies) and the one holding the point's index.
    static constexpr int kColumns = 19;
    static constexpr int kIndexColumn = 18;
    static const std::vector<std::string>& isothermNames();
    static CurveLayout isothermLayout();
    // The isotherm of FluidPhase::calculate_an_isotherm_of_the_binary_system
    // (its arguments), traced on the model p.
    static void traceIsotherm(FluidPhase& p, const char* path, short start, double dx, double dP_bar,
                              double Pmax_bar, double T_, double Vl, double Vv, double xl, double yv, char mode,
                              const char* suffix, std::vector<double>* array);
    // The model's range at mole fraction x1 of component 1 (effectiveRange at
    // that composition; the model's composition is kept).
    static ValidityRange rangeAtComposition(FluidPhase& p, double x1);
    // The tie line at T and P from an estimate of its compositions and volumes:
    // Newton's method on the equality of both components' fugacities in the
    // liquid (the root of P(V) = P at x1 = xl nearest Vl) and the vapour (at yv
    // nearest Vv), its Jacobian by differences, which needs none of the
    // model's composition derivatives; the tie line found is the phase's two-
    // phase state (P, x_liquid, x_vapour, Vl0, Vv0).  False where the search
    // fails or the phases meet (no split at T and P).  With `closedForm` a
    // mixture's closed-form roots nearest those volumes (in ln V) stand for
    // that root where the model gives them, its pairs read at T before
    // (closed_form_mixture::binaryRoots).
    static bool tieLineAtTP(FluidPhase& p, double T_, double P_bar, double& Vl, double& Vv, double& xl, double& yv,
                            bool closedForm = false);
    // The rounding of ln f_i on two phases of component 1's fractions x and
    // y: a share held as 1 less the other's (component 0's beside the pure
    // end named second) carries about 1e-16 in it, relative to the share,
    // so that a trace of it can hold equal fugacities no closer than that.
    static double shareRounding(int i, double x, double y) {
        const double a = i == 0 ? 1.0 - x : x, b = i == 0 ? 1.0 - y : y;
        return 4e-16 * (1.0 / a + 1.0 / b);
    }
    // Set by a trace that stops before an end of its isotherm: the isotherm
    // through a pressure then starts from another one (traceBothWays).
    inline static thread_local bool stalledTrace = false;

    // The trace from the tie line the phase holds; its rows numbered from
    // firstIndex (the start's).
    BinaryIsothermTrace(FluidPhase& p, double T, double dx, double dP_bar, double Pmax_bar, CurveOutput& out,
                        int firstIndex = 0);

    // The isotherm from the start: at a three-phase pressure the trace hands
    // its three phases on (the branch of the common phase and the third one
    // goes on the same way in pressure), and the third branch met there,
    // from the three-phase pressure, follows the trace's rows.
    void run();
    // The rows waiting to be tested written (or left out): at the end of
    // the trace.
    void flushPending();
    // The last row written, held back until the next (put), written.
    void release();
    // Where a branch of the isotherm ends, at its last row, said: at a pure
    // component's saturation, else at the critical point of the isotherm.
    void sayTheEnd(bool atPureEnd);

private:
    // The step Dx in the liquid's composition (or the pressure step r s where
    // the curve is steep), kept inside [0, 1]: `last` where it reaches a pure
    // component, whose bubble point closes the isotherm.
    void predictAndCorrect(double r, bool& steep, bool& last);
    // The solved point accepted and the tangent there taken: the step in
    // pressure turned to follow the liquid's step.  After a step in pressure
    // (`steep`) across which the bubble curve's slope changed sign while
    // steep on both sides (beyond kTurningSlope: the liquid's composition
    // passed an extremum in pressure, not the pressure an extremum in
    // composition), the way in pressure is kept and the liquid's step
    // turned: the trace goes on, not back over its rows.
    void accept(bool steep = false) {
        const double before = dPdx_;
        xBefore_ = x0_;
        yBefore_ = y0_;
        VlBefore_ = Vl0a_;
        VvBefore_ = Vv0a_;
        ++accepted_;
        Pbefore_ = P0_;
        P0_ = p_.P;
        x0_ = p_.x_liquid[1];
        y0_ = p_.x_vapour[1];
        Vl0a_ = p_.Vl0;
        Vv0a_ = p_.Vv0;
        p_.next_bubble_point(dVl_, dVv_, dy_, dPdx_);
        checkTheTangent();
        if (steep && before * dPdx_ < 0.0 && std::fabs(before) > kTurningSlope && std::fabs(dPdx_) > kTurningSlope)
            dx_ = -dx_;
        else if (s_ * dPdx_ * dx_ < 0.0)
            s_ = -s_;
    }
    void checkTheTangent();
    // A tie line of the isotherm as written: P (Pa), x, y, Vl, Vv.
    struct Row {
        double P, x, y, Vl, Vv;
    };
    Row current() const { return {p_.P, p_.x_liquid[1], p_.x_vapour[1], p_.Vl0, p_.Vv0}; }
    // The tie line in hand, where its phases lie close (within 0.05 in x),
    // not an equilibrium: one of its phases locally unstable.
    bool spurious();
    void restore(const Row& r) {
        p_.P = r.P;
        p_.x_liquid.assign({1.0 - r.x, r.x});
        p_.x_vapour.assign({1.0 - r.y, r.y});
        p_.Vl0 = r.Vl;
        p_.Vv0 = r.Vv;
    }
    bool stableTieLine(const Row& r, double& third);
    static bool sameBranch(const Row& a, const Row& b);
    void put(const Row& r);
    bool followBranch(const Row& from, double P, Row& m);
    bool bubblePointsFromThePureEnd(const Row& s, const Row& u, std::vector<Row>& along, Row& last, Row& beyond,
                                    double& w);
    bool followSmoothly(const Row& before, const Row& from, double P, Row& m);
    bool onTheThreePhasePressure(Row& last, const Row& beyond, double& w, double Vw3 = 0.0);
    bool solveTheThreePhases(Row& last, bool commonLiquid, double zw, double Vw, double& w);
    void writeIfStable(const Row& r);
    void testAndWrite(const Row& r);
    void jumpedOverAThreePhasePressure(const Row& a, const Row& b);
    // A branch followed from a tie line to where it folds back (its tie
    // lines in order) and the tie line of the branch the trace went on to.
    struct FoldedBranch {
        std::vector<Row> along;
        Row other;
    };
    void threePhaseBetween(const Row& a, bool aStable, const Row& b, bool bStable, double third,
                           const FoldedBranch* fold = nullptr);
    Row walkBranch(const Row& from, double to, std::vector<Row>* path);
    bool midwayBetweenTheFolds(const Row& s, const std::vector<Row>& along, const Row& fold, const Row& other,
                               double sign, Row& last, double& w, double& Vw);
    void emit();
    void fillBetween(const Row& a, const Row& b, int depth);
    bool traceOn();
    void runBranch();
    // A two-phase branch met at a three-phase pressure: its tie line there
    // and the way it goes in pressure (+1 up, -1 down).
    struct Branch {
        Row row;
        double way;
    };
    bool branchAtThreePhase(const Row& last, double w, double way);
    void takeHandOn();
    void aimInPressure(double way);
    void traceThirdBranch(const Branch& b);
    double thirdPhaseVolume(double w, double P);
    bool jumpAlong();
    bool closedAtCritical();
    // The phase of the point just solved that lies outside the model's range
    // at its composition and T (2 liquid, 1 vapour), 0 when both lie in it.
    int outsideTheRange() {
        if (!rangeAtComposition(p_, p_.x_liquid[1]).holdsTemperature(T_)) return 2;
        if (!rangeAtComposition(p_, p_.x_vapour[1]).holdsTemperature(T_)) return 1;
        return 0;
    }
    void endOnTheRange(int phase);
    void endOnThePressureLimit();

    FluidPhase& p_;
    const double T_;
    double dx_;
    double s_;  // Pa
    const double PmaxBar_;
    CurveOutput& out_;
    critical_approach::CriticalSearch critical_;
    double P0_ = 0, x0_ = 0, y0_ = 0, Vl0a_ = 0, Vv0a_ = 0, Pbefore_ = 0;
    double dVl_ = 0, dVv_ = 0, dy_ = 0, dPdx_ = 0;
    double xBefore_ = 0, yBefore_ = 0, VlBefore_ = 0, VvBefore_ = 0;
    int accepted_ = 0;
    int index_ = 1;
    Row last_{};  // the last row written
    // The last tie line tested (stableTieLine), whether it was stable and
    // its third phase; the three-phase pressures said (Pa).
    bool tested_ = false, lastStable_ = true;
    Row lastTested_{};
    double lastThird_ = 0.0;
    // The third phase of the last three-phase point solved: P (Pa), x1, V.
    double solvedThirdP_ = 0.0, solvedThirdX_ = 0.0, solvedThirdV_ = 0.0;
    std::vector<double> threePhasePressures_;
    // The row held back (put); the next stable row tested left out, the
    // three-phase pressure's row in its place.
    Row held_{};
    bool hasHeld_ = false, dropNext_ = false;
    std::vector<Row> pending_;
    // The branch the trace hands on to at the three-phase pressure just
    // found (handOn_), the third branches met, and whether this trace hands
    // on (a third branch's own trace does not).
    bool handOn_ = false, handsOn_ = true;
    Branch next_{};
    std::vector<Branch> third_;
    static constexpr std::size_t kTestEvery = 8;
    // ln f lowered by this much for the tangent-plane test of a tie line.
    static constexpr double kOnThePlane = 1e-5;
    static constexpr double kIdealVapourBar = 1e-3;
    static constexpr double kNearBand = 0.03;
    static constexpr int kNearSteps = 40;
    // A slope of the bubble curve (Pa per unit of x) beyond which a change
    // of its sign is the liquid's composition turning (10^4 bar per unit).
    static constexpr double kTurningSlope = 1e9;
    // The most steps of the successive substitution from a tie line's phase.
    static constexpr int kMostSubstitutions = 40;
    // The most steps a branch is followed beyond the trace to its
    // three-phase pressure.
    static constexpr int kMostBranchSteps = 400;
};
