// The stability of a binary at T and P (the tangent-plane test the curve
// tracers and the interpreter's reports run), and the failure of a curve a
// model does not compute.
#include <algorithm>
#include <cmath>
#include <vector>

#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

// The tangent-plane test of Michelsen (1982): a fluid of composition z at T
// and P is stable when tpd(w) = sum_i w_i [ln f_i(w) - ln f_i(z)] >= 0 for
// every trial composition w (both roots of each), f_i(z) taken from the root
// of z of lowest Gibbs energy.  For a binary a grid of trial compositions
// finds the negative region of any split the isotherm shows.
bool FluidPhase::binarySplitsAt(double T_, double P_bar, bool* tested) {
    if (tested) *tested = false;
    if (component_count != 2 || x.size() != 2 || !(x[0] > 0.0 && x[1] > 0.0)) return false;
    const std::vector<double> z = x;
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    // ln f of both components at the root of each kind (the root's search
    // leaves its fugacities), false where none.
    auto lnFugacities = [&](int kind, double& G_, double (&lnf)[2]) {
        double V_ = 0.0;
        if (!pressureRootFromTP(kind, T_, P_bar, V_, G_)) return false;
        if (!(fugacity[0] > 0.0) || !(fugacity[1] > 0.0)) return false;
        lnf[0] = std::log(fugacity[0]);
        lnf[1] = std::log(fugacity[1]);
        return std::isfinite(lnf[0]) && std::isfinite(lnf[1]);
    };
    double ref[2] = {0.0, 0.0}, Gref = HUGE_VAL;
    bool found = false;
    for (int kind : {1, 2}) {
        double G_ = 0.0, lnf[2];
        if (lnFugacities(kind, G_, lnf) && G_ < Gref) {
            Gref = G_;
            ref[0] = lnf[0];
            ref[1] = lnf[1];
            found = true;
        }
    }
    composition(z.data());
    errorflag = kept.saved();
    if (tested) *tested = found;
    return found && binarySplitsAgainst(T_, P_bar, ref);
}

bool FluidPhase::binarySplitsAgainst(double T_, double P_bar, const double (&ref)[2]) {
    if (component_count != 2 || x.size() != 2) return false;
    const std::vector<double> z = x;
    const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const platform::ThreadLogCapture quiet;  // a trial without a root is no failure of the state
    const bool found = std::isfinite(ref[0]) && std::isfinite(ref[1]);
    // A grid of 1/40 steps, and trial compositions down to 1e-8 at both
    // ends, where a trace mixture's split lies (the vapour of a liquid with
    // a trace of a volatile component holds it at a few times its share);
    // each minimum of the distance on the grid is then narrowed down
    // (golden section between its neighbours), so that a split narrower
    // than the grid's step is found too.
    std::vector<double> trials;
    for (int k = 1; k < 40; ++k) trials.push_back(k / 40.0);
    for (double e = 1e-8; e < 5e-3; e *= std::sqrt(10.0)) {
        trials.push_back(e);
        trials.push_back(1.0 - e);
    }
    // (and the state's own composition, whose other root may lie lower)
    if (z[1] > 0.0 && z[1] < 1.0) trials.push_back(z[1]);
    std::sort(trials.begin(), trials.end());
    // The tangent-plane distance of the trial w1 on the root found from the
    // liquid (kind 2) or the gas (kind 1) start (+inf where there is none).
    auto distance = [&](int kind, double w1) {
        const double w[2] = {1.0 - w1, w1};
        composition(w);
        // (trialRootFromTP gives a closed-form cubic's own root of that kind
        // where its volume search from a start does not reach it.)
        if (!trialRootFromTP(kind == 2, T_, P_bar) || !(fugacity[0] > 0.0) || !(fugacity[1] > 0.0))
            return HUGE_VAL;
        const double d = w[0] * (std::log(fugacity[0]) - ref[0]) + w[1] * (std::log(fugacity[1]) - ref[1]);
        return std::isfinite(d) ? d : HUGE_VAL;
    };
    constexpr double kSplit = -1e-9;
    bool splits = false;
    for (int kind = 1; found && !splits && kind <= 2; ++kind) {
        std::vector<double> d(trials.size());
        for (std::size_t k = 0; k < trials.size() && !splits; ++k) splits = (d[k] = distance(kind, trials[k])) < kSplit;
        for (std::size_t k = 1; !splits && k + 1 < trials.size(); ++k) {
            if (!(d[k] <= d[k - 1] && d[k] <= d[k + 1]) || !std::isfinite(d[k])) continue;
            double a = trials[k - 1], b = trials[k + 1];
            const double g = 0.5 * (std::sqrt(5.0) - 1.0);
            double c = b - g * (b - a), e = a + g * (b - a), dc = distance(kind, c), de = distance(kind, e);
            for (int it = 0; it < 12 && !splits; ++it) {
                splits = std::min(dc, de) < kSplit;
                if (dc < de) {
                    b = e;
                    e = c;
                    de = dc;
                    c = b - g * (b - a);
                    dc = distance(kind, c);
                } else {
                    a = c;
                    c = e;
                    dc = de;
                    e = a + g * (b - a);
                    de = distance(kind, e);
                }
            }
            splits = splits || std::min(dc, de) < kSplit;
        }
    }
    composition(z.data());
    return splits;
}

void FluidPhase::reportNoCurve(const char* what) const {
    platform::diagf("The model %s computes no %s.\n", modelName(), what);
}
