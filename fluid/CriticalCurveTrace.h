#pragma once
// The critical curve of a binary mixture by continuation (the tracer of
// FluidPhase::calculate_the_critical_curve): from the critical point of a pure
// component (or a critical point the caller has prepared), each point is
// predicted along the tangent (dT/dx1, dV/dx1) of the curve and corrected by
// a critical-point search, in composition steps where the curve is flat in T
// and in temperature steps where it is steep.
#include <limits>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelRange.h"
#include "fluid/ValidityRange.h"

// The critical curve traced from its first mixture point: the last point
// (xp, Tp, Vp) and its tangent (t = dT/dx1, v = dV/dx1), the orientation
// and the step factor.  Each point is predicted along the tangent, in x1
// where the curve is flat and in T where it is steep (predict), corrected by
// a critical-point search, the step halved where it fails (correct), and
// kept, or the curve ended, by the step control (keep); the curve closes at
// the other component's critical point (closeAtPureComponent).
class CriticalCurveTrace {
public:
    struct CriticalRow {
        FluidPhase& p;
        CurveOutput& out;

        double molarMass() const { return p.x[0] * p.molar_mass[0] + p.x[1] * p.molar_mass[1]; }

        // A mixture point: the stored stability term and the tangent.
        void mixture(double dTdx, double dVdx) { write(p.critical_stability, dTdx, dVdx); }

        // A pure-component critical point: no stability term in the text files,
        // the last stored one in the binary ones; no tangent.
        void pure() {
            write(out.text() ? std::numeric_limits<double>::quiet_NaN() : p.critical_stability, 0.0, 0.0);
        }

        // A row of NaN before the next row: the curve's branches are parted
        // by it (a break of the line in Igor and gnuplot).
        bool breakBefore = false;

        void write(double stabi, double dTdx, double dVdx) {
            if (breakBefore) {
                const double nan = std::numeric_limits<double>::quiet_NaN();
                out.writeRow({nan, nan, nan, nan, nan, nan, nan, nan, nan, nan, nan, nan, nan, nan, nan, nan});
                breakBefore = false;
            }
            const double M = molarMass();
            out.writeRow({p.P * 1e-5, p.V * 1e6, p.T, p.x[0], p.x[1], p.U, p.H, p.S, p.A, p.G, p.U / M, p.H / M, stabi,
                          M / p.V, dTdx, dVdx});
        }
    };

    // A point of the curve kept for the tangent-plane test.
    struct CurvePoint {
        double x1, T, V, P;
    };

    // The curve of FluidPhase::calculate_the_critical_curve (its arguments), traced
    // on the model p.
    static void traceCurve(FluidPhase& p, const char* path, CriticalCurveFlag flag, short stopIfUnstable,
                           double dT, double dx, double dx0, double Pmax, char mode, const char* suffix,
                           std::vector<double>* array);

    // Every branch of a binary's critical curve that starts at a pure
    // component's critical point, into one output (modes as traceCurve's,
    // the branches parted by a row of NaN).  The first is traced from the
    // component of the higher critical temperature (found from the starts
    // (Tstart[k], Vstart[k]) of pure component k), whichever is named first,
    // and followed to its end.  Where it does not close at the other
    // component's critical point the curve is broken (a system of type III,
    // water with a gas): the other branch is traced from that component's
    // critical point to its own end, a critical end point where the critical
    // phase comes to coexist with another phase (beyond it it would be
    // metastable), a solid or the model's edge.  Each start and end is said.
    static void traceBranches(FluidPhase& p, const char* path, const double (&Tstart)[2], const double (&Vstart)[2],
                              char mode, const char* suffix, std::vector<double>* array);

    CriticalCurveTrace(FluidPhase& p, CriticalRow& row, long& written, short stopIfUnstable, double Pmax)
        : p_(p), row_(row), written_(written), range_(ModelRange(p).freezingEdgeRange()), stopIfUnstable_(stopIfUnstable),
          Pmax_(Pmax) {}

    // The model's range at the point's composition (freezingEdgeRange): near a
    // pure component's critical point the other one is dilute and does not
    // freeze there.
    bool inRange() {
        range_ = ModelRange(p_).freezingEdgeRange();
        return range_.holds(p_.T, p_.P * 1e-5);
    }
    // The range at the last point tested.
    const ValidityRange& range() const { return range_; }
    void setComposition(double x1) {
        p_.composition_of_component(0, 1.0 - x1);
        p_.composition_of_component(1, x1);
    }
    // A point is a mixture point only inside 0 <= x1 <= 1: a search at fixed
    // T that converges outside has failed.
    bool searchInside(CriticalPointFlag how) {
        p_.search_a_critical_point(how);
        if (p_.errorflag == 0 && !(p_.x[1] >= 0.0 && p_.x[1] <= 1.0)) p_.errorflag = 1;
        return p_.errorflag == 0;
    }
    void startAtPureComponent(CriticalCurveFlag flag, double dx0);
    void firstMixturePoint(bool fromPure, double dT, double dx);
    void run();
    // True when the curve closed at the other component's critical point.
    bool closeAtPureComponent(bool fromPure, double inward);
    // A branch that ends at its critical end point: each point is tested,
    // and the first at which the critical phase is no stable state (its
    // fourth-order stability fails, or a phase of another composition lies
    // below its tangent plane) is not kept; the end point is landed on
    // between it and the last stable point.
    void endAtCriticalEndPoint() { endAtCriticalEndPoint_ = true; }
    // Whether the curve ended on its critical end point (landed on it), and
    // the composition of its last point.
    bool endedAtCriticalEndPoint() const { return endedAtCriticalEndPoint_; }
    double lastX1() const { return xp_; }
    // Whether the critical point the phase holds is a stable state (above).
    bool stableCriticalPhase();

private:
    void predict(double& DT, double& Dx, double& DV, CriticalPointFlag& d);
    bool correct(double DT, double Dx, double DV, CriticalPointFlag d);
    bool onTheBranch();
    bool keep();
    bool landOnTheRangeEdge();
    // The last step shortened, by bisection of its factor, to the farthest
    // point at which `inside` holds; that point is kept and written.
    template <class Inside>
    bool landOnTheEdge(Inside&& inside);
    bool landOnTheCriticalEndPoint();
    // Why the curve leaves the range at the composition x1 and temperature
    // T: the component that freezes out of the mixture's liquid there, or
    // the range the model's states are held to.
    std::string edgeReason(double x1, double T) const;
    // The converged point becomes the last one (its row written when asked).
    void takePoint(bool write) {
        xp_ = p_.x[1];
        Vp_ = p_.V;
        Tp_ = p_.T;
        Pconverged_ = p_.P;
        p_.calculate_state_functions();
        if (!write) return;
        row_.mixture(t_, v_);
        ++written_;
    }
    void checkSplit();
    // The critical point the phase holds, kept while a test evaluates other
    // states, and put back (its error flag cleared).
    struct HeldPoint {
        double T, V, P, x1, stability;
    };
    HeldPoint hold() const;
    void restore(const HeldPoint& h);

    FluidPhase& p_;
    CriticalRow& row_;
    long& written_;
    // Only the points inside the model's range are written.
    ValidityRange range_;
    const short stopIfUnstable_;
    const double Pmax_;
    double xp_ = 0, Vp_ = 0, Tp_ = 0, t_ = 0, v_ = 0;
    double sx_ = 0, sT_ = 0, scaleT_ = 0, scaleLnV_ = 0, dir_ = 1;
    double lambda_ = 1.0, tPrev_ = 0, vPrev_ = 0, VpPrev_ = 0;
    double lastTrialX_ = 0, Pconverged_ = 0;
    // The step of the last trial (the one that converged) and whether it
    // was shortened to land next to a pure component.
    double stepT_ = 0, stepX_ = 0, stepV_ = 0;
    CriticalPointFlag stepFlag_ = kCriticalPointFixedComposition;
    bool closing_ = false;
    // The tangent at the point just converged (onTheBranch).
    double tNew_ = 0, vNew_ = 0;
    bool unstableStop_ = false;
    // The console's curves (stopIfUnstable 0) are followed to their end and
    // say where their points stop being stable critical points.
    bool saidUnstable_ = false, saidSplit_ = false;
    bool endAtCriticalEndPoint_ = false, endedAtCriticalEndPoint_ = false;
    std::vector<CurvePoint> recent_;
};
