// A model's published range at its composition.
#include "fluid/ModelRange.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "fluid/ReferenceFluids.h"
#include "platform/LogSink.h"

// ---- the composition

const char* ModelRange::pureFluidName() const {
    if (m_.component_count != 1 || m_.component_names.empty()) return nullptr;
    return m_.component_names[0].c_str();
}

int ModelRange::majorComponent(double& others) const {
    const int n =
        std::min<int>(m_.component_count, static_cast<int>(std::min(m_.x.size(), m_.component_names.size())));
    others = 0.0;
    if (n <= 0) return -1;
    if (m_.component_count == 1) return 0;
    int major = 0;
    for (int i = 1; i < n; ++i)
        if (m_.x[i] > m_.x[major]) major = i;
    if (n == 2) major = binaryMajorComponent();
    for (int i = 0; i < n; ++i)
        if (i != major) others += m_.x[i];
    return major;
}

int ModelRange::binaryMajorComponent() const {
    const std::vector<double>& x = m_.x;
    if (x.size() < 2 || x[0] != x[1]) return x.size() < 2 || x[0] > x[1] ? 0 : 1;
    // Equal shares: the same component whichever is named first.
    const char* a = m_.component_names.size() > 0 ? m_.component_names[0].c_str() : "";
    const char* b = m_.component_names.size() > 1 ? m_.component_names[1].c_str() : "";
    const double Ta = lookups_.fluids().criticalTemperature(a), Tb = lookups_.fluids().criticalTemperature(b);
    if (std::isfinite(Ta) && std::isfinite(Tb) && Ta != Tb) return Ta > Tb ? 0 : 1;
    return std::string(a) <= std::string(b) ? 0 : 1;
}

const char* ModelRange::phaseRuleFluid() const {
    if (m_.component_count == 1) return pureFluidName();
    double others = 0.0;
    const int major = majorComponent(others);
    if (major < 0 || others != 0.0) return nullptr;
    return m_.component_names[static_cast<std::size_t>(major)].c_str();
}

bool ModelRange::atPureComposition() const {
    double others = 0.0;
    return majorComponent(others) >= 0 && others == 0.0;
}

bool ModelRange::binaryShares(int& solvent, int& solute, double& xs) const {
    const std::vector<double>& x = m_.x;
    if (m_.component_count != 2 || x.size() < 2 || m_.component_names.size() < 2 || !(x[0] > 0.0 && x[1] > 0.0))
        return false;
    solvent = binaryMajorComponent();
    solute = 1 - solvent;
    xs = x[static_cast<std::size_t>(solute)] / (x[0] + x[1]);
    return true;
}

// ---- the range

SolidField ModelRange::solidAt(double T_, double P_bar) const {
    const char* fluid = phaseRuleFluid();
    return fluid ? lookups_.solid(fluid, T_, P_bar) : SolidField{};
}

bool ModelRange::solidLinesBoundRange() const { return phaseRuleFluid() && !m_.validity.fromTriplePoints; }

bool ModelRange::describesSupercooledLiquid() const {
    const char* fluid = phaseRuleFluid();
    return fluid && stateRange().Tmin < triplePointTemperature(fluid, &lookups_.fluids());
}

ValidityRange ModelRange::effectiveRange() const {
    ValidityRange r = m_.validity;
    if (!r.fromTriplePoints) return r;
    // Every component present freezes out of the mixture below its ideal
    // solubility's temperature at its share (its triple point when pure);
    // without a composition each at its pure freezing point.
    const std::vector<std::string>& names = m_.component_names;
    const bool composed = m_.x.size() == names.size();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const double xi = composed ? m_.x[i] : 1.0;
        if (xi > 0.0)
            r.Tmin = std::max(r.Tmin, mixtureFreezingTemperature(names[i].c_str(), std::min(xi, 1.0), &lookups_.fluids()));
    }
    return r;
}

ValidityRange ModelRange::freezingEdgeRange() const {
    double others = 0.0;
    const int major = majorComponent(others);
    const auto i = static_cast<std::size_t>(std::max(major, 0));
    if (m_.component_count > 1 && major >= 0 && others == 0.0 && i < m_.componentValidity.size() &&
        m_.componentValidity[i].declared())
        return m_.componentValidity[i];
    return effectiveRange();
}

ValidityRange ModelRange::stateRange() const {
    // A mixture of a model held from its components' triple points by the
    // interpreter's limits, not a publication: its own limits.  A pure
    // fluid of such a model keeps them too (its solid is the fluid's
    // statement), a published model its triple point and solid lines.
    if (m_.validity.fromTriplePoints && lookups_.sublimationOf) return m_.validity;
    return freezingEdgeRange();
}

double ModelRange::lowestReportedCurveTemperature() const {
    const ValidityRange validity = freezingEdgeRange();
    if (!validity.declared()) return m_.lowestCurveTemperature();
    // The triple point of a pure fluid where the range starts below it (a
    // saturation curve holds a liquid); any other mixture down to the lower
    // end of its range.
    const char* fluid = phaseRuleFluid();
    const double Tt = fluid ? triplePointTemperature(fluid, &lookups_.fluids()) : 0.0;
    return std::max({Tt > 0.0 ? Tt : 0.0, validity.Tmin, validity.vapourOnlyBelow});
}

std::string ModelRange::lowestCurveTemperatureReason(double Tlow) const {
    const ValidityRange range = freezingEdgeRange();
    const char* fluid = phaseRuleFluid();
    if (fluid && Tlow == triplePointTemperature(fluid, &lookups_.fluids())) return std::string("the triple point of ") + fluid;
    // A mixture whose states hold below the temperature where a component
    // freezes out of its liquid: the curve ends there for that reason, and
    // the range said is the one its states are held to.
    const ValidityRange states = stateRange();
    if (range.declared() && states.Tmin < range.Tmin && Tlow == range.Tmin) {
        const std::vector<std::string>& names = m_.component_names;
        std::string frozen;
        double Tf = 0.0;
        for (std::size_t i = 0; i < names.size() && i < m_.x.size(); ++i) {
            const double t = m_.x[i] > 0.0 ? mixtureFreezingTemperature(names[i].c_str(), m_.x[i], &lookups_.fluids()) : 0.0;
            if (t > Tf) Tf = t, frozen = names[i];
        }
        if (!frozen.empty())
            return "where " + frozen + " freezes out of the mixture's liquid (its ideal solubility; the model holds " +
                   states.describe() + ")";
    }
    if (range.declared()) return "the lower end of the model's range, " + range.describe();
    return "the lowest temperature of the model's curves";
}

bool ModelRange::criticalPointInRange() const {
    const ValidityRange validity = freezingEdgeRange();
    if (validity.holds(m_.T, m_.P * 1e-5)) return true;
    platform::diagf("The model %s holds %s: its critical point at %g K and %g bar lies outside it.\n", m_.modelName(),
                    validity.describe().c_str(), m_.T, m_.P * 1e-5);
    return false;
}

bool ModelRange::curveTemperaturesInRange(double T0, double T1, const char* what) const {
    const ValidityRange validity = stateRange();
    if (validity.holdsTemperature(T0) && validity.holdsTemperature(T1)) return true;
    const std::string at =
        T0 == T1 ? "at " + givenDigits(T0) + " K" : "from " + givenDigits(T0) + " to " + givenDigits(T1) + " K";
    platform::diagf("The model %s holds %s: the %s %s lies outside it.\n", m_.modelName(), validity.describe().c_str(),
                    what, at.c_str());
    return false;
}
