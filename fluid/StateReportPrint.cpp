// The printer of a state's verdict: its "Phase:" line, the model's own, and
// beside it the fluid's statement where published data cover the state.
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/ReferenceFluids.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"

namespace {

// A phase of `major` at T is a liquid where denser than the geometric mean
// of its saturated volumes (below its critical temperature).
bool liquidBelowCriticalTemperature(const ReferenceFluids& fluids, const char* major, double T, double V) {
    return T < fluids.criticalTemperature(major) &&
           V < std::sqrt(fluids.saturatedLiquidVolume(major, T) * fluids.saturatedVapourVolume(major, T));
}

}  // namespace

std::string StateReport::splitText(const Verdict& v, double T_) const {
    const FluidPhase::BinaryTieLine& line = v.line;
    const char* names[2] = {m_.component_names[0].c_str(), m_.component_names[1].c_str()};
    // Above the critical temperatures of both components both phases are
    // fluids.  Below, the denser is a liquid; the other is named by its
    // molar volume against its own larger component's: a liquid where
    // smaller than the geometric mean of its saturated volumes, above that
    // component's critical temperature a fluid where smaller than its
    // critical volume, else a vapour.
    const ReferenceFluids& table = fluids();
    const bool fluids = T_ >= table.criticalTemperature(names[0]) && T_ >= table.criticalTemperature(names[1]);
    const char* major = names[line.x1[1] > 0.5 ? 1 : 0];
    const char* lighter = liquidBelowCriticalTemperature(table, major, T_, line.V[1]) ? "liquid"
                          : T_ >= table.criticalTemperature(major) &&
                                  line.V[1] < table.saturatedLiquidVolume(major, T_)
                              ? "fluid"
                              : "vapour";
    const std::string kinds[2] = {fluids ? "fluid" : "liquid", fluids ? "fluid" : lighter};
    // Both phases by the share of one component, whatever the order of the
    // names and the composition: the more volatile (of the lower critical
    // temperature; of equal or unknown ones, the first by name).
    const double Tc0 = table.criticalTemperature(names[0]), Tc1 = table.criticalTemperature(names[1]);
    const int minor = Tc0 < Tc1 ? 0 : Tc1 < Tc0 ? 1 : std::string(names[0]) < std::string(names[1]) ? 0 : 1;
    std::string text;
    for (int k = 0; k < 2; ++k) {
        const double share = minor ? line.x1[k] : 1.0 - line.x1[k];
        char buf[200];
        std::snprintf(buf, sizeof buf, "%s%s of x(%s) %.6g (%.4g kg/m3)", k ? " and " : "",
                      ((k && kinds[1] == kinds[0] ? "another " : "a ") + kinds[k]).c_str(), names[minor], share,
                      v.model.rhoPhase[k]);
        text += buf;
    }
    return text + ", the model's own two-phase equilibrium";
}

void StateReport::printVerdict(const Verdict& v, double T_) const {
    const ReportedState& s = v.state;
    if (v.splits && v.line.found)
        std::printf("** Phase: not stable; at this temperature and pressure the mixture splits into %s (the state "
                    "below is the single fluid)\n",
                    splitText(v, T_).c_str());
    else if (v.splits)
        std::printf("** Phase: not stable; at this temperature and pressure the model's own stability test splits "
                    "the mixture into two phases of other compositions, which its two-phase equilibrium could not "
                    "find (the state below is the single fluid)\n");
    else if (s.otherPhase != FluidPhase::kPhaseNone && (m_.component_count == 1 || rules_.phaseRuleFluid() || v.tested))
        std::printf("** Phase: %s (stable; the %s root at %.6g cm3/mol is metastable)\n",
                    FluidPhase::phaseName(s.phase), FluidPhase::phaseName(s.otherPhase), s.otherV * 1e6);
    else
        std::printf("** Phase: %s\n", FluidPhase::phaseName(s.phase));
    if (v.fluid.covered()) std::printf("** The fluid: %s %s\n", v.fluid.word.c_str(), v.fluid.text.c_str());
}

bool StateReport::printStateFromTP(double T_, double P_bar) {
    // (Its searches say a refusal they share once.)
    const platform::CallScope call;
    if (!printPhaseLineFromTP(T_, P_bar)) return false;
    m_.dump();
    return true;
}

bool StateReport::printPhaseLineFromTP(double T_, double P_bar) {
    Verdict v;
    if (!verdictAt(T_, P_bar, v)) return false;
    printVerdict(v, T_);
    return true;
}

bool StateReport::printStateFromTV(double T_, double V_) {
    const platform::CallScope call;
    if (!reportedStateFromTV(T_, V_)) return false;
    // The phase is that of the state at this temperature and pressure, as
    // the state from T and P says it (the model's own test, the fluid's
    // statement); its searches leave the model elsewhere, and the state of
    // this volume is found again, its notes said once above.
    const double P_bar = m_.P * 1e-5;
    Verdict v;
    bool judged = false;
    {
        const platform::ThreadLogCapture quiet;
        judged = verdictAt(T_, P_bar, v);
    }
    if (!reportedStateFromTV(T_, V_)) return false;
    if (judged) {
        // The root of this volume, whichever the stable one at its pressure.
        if (!rules_.phaseRuleFluid()) {
            v.model.rho = m_.bulk_molar_weight / m_.V;
        } else if (std::fabs(v.state.otherV / V_ - 1.0) < 1e-6) {
            v.state.phase = v.state.otherPhase;  // the metastable root
            v.state.otherPhase = FluidPhase::kPhaseNone;
            v.model.phase = v.state.phase;
            v.model.rho = m_.bulk_molar_weight / m_.V;
            v.fluid = rules_.fluidAt(T_, P_bar, v.model);
        }
        printVerdict(v, T_);
    }
    if (!(m_.dPdV < 0.0) && !m_.compressibilityDiverges())
        std::printf("** Mechanically unstable: (dP/dV)T > 0, no single phase exists at this volume\n");
    m_.dump();
    return true;
}
