#include "families/duan/DMW1.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "families/duan/Duan1.h"
#include "families/duan/Duan2.h"
#include "families/duan/DuanParameters.h"
#include "fluid/KeptFields.h"
#include "fluid/Standard.h"
#include "gases/PlanckEinstein.h"
#include "platform/LogSink.h"
#include "water/HGKid.h"
#include "water/WaterCorrelations.h"

namespace {

constexpr const char* kUnknownMixtureComponent =
    "either H2O, CO2 or CH4 must be defined as a component of the system";

// The pair type of the mixture term from the two component names (either order).
void setPairType(Duan2* term, const char* n0, const char* n1)
{
    if (!term || !n0 || !n1) return;
    auto is = [](const char* a, const char* b, const char* p, const char* q) {
        return (std::strcmp(a, p) == 0 && std::strcmp(b, q) == 0) || (std::strcmp(a, q) == 0 && std::strcmp(b, p) == 0);
    };
    if (is(n0, n1, "CO2", "H2O"))
        term->pairType = Duan2::kCO2H2O;
    else if (is(n0, n1, "CH4", "H2O"))
        term->pairType = Duan2::kCH4H2O;
    else if (is(n0, n1, "CH4", "CO2"))
        term->pairType = Duan2::kCH4CO2;
}

// Null, with the message, for a name outside the mixtures' fluids: the term
// then lacks that component's parameters and refuses every state.
const duan::FluidSet* mixtureFluid(const char* name)
{
    const duan::FluidSet* s = duan::findFluid(name, false);
    if (!s) platform::diagf("%s\n", kUnknownMixtureComponent);
    return s;
}

// The ideal gas of the model's components, installed once the last one is
// read.  The Duan term carries the ideal gas's -ln V and vanishes at zero
// density, so the part completes the state functions and changes neither
// pressures nor fugacities.  A pure fluid takes its published ideal gas
// (water HGK's, CO2 Span & Wagner's, methane Setzmann & Wagner's, as the
// Duan models of one fixed fluid), nitrogen and the mixtures the
// standard-state data of their components.
void installIdealGas(FluidPhase& f)
{
    const int n = f.component_count;
    const std::string first = n == 1 && f.componentName(0) ? f.componentName(0) : "";
    Ideal* part;
    if (first == "H2O")
        part = new HGKIdealGas();
    else if (first == "CO2")
        part = new PlanckEinsteinIdeal(kSpanWagnerCO2);
    else if (first == "CH4")
        part = new PlanckEinsteinIdeal(kSetzmannWagnerCH4);
    else
        part = new Standard();
    part->number_of_components(n);
    part->T = f.T;
    part->V = f.V;
    for (int i = 0; i < n; i++) {
        part->x[i] = f.x[i];
        readIdealComponentData(part, f.componentName(i));
    }
    delete f.ideal;
    f.ideal = part;
}

// Where the estimate of the change of cv by the cube roots' singular part
// exceeds this share of cv, the mixture's heat capacities part from the
// trend of the neighbouring temperatures and compositions by more than a few
// per cent (the estimate bounds the change within a factor 1 to 8: DMW2's
// H2O with 0.1 % CO2 at 1000 bar, 708 K: estimate 5.9, cv 47.06 J/(mol K)
// against about 45.5 without the pole; CO2 with 0.05 % CH4 at 500 bar and
// 506 K: about 7.5, cv 44.07 against 41.15 for CO2 alone).
constexpr double kPoleShare = 0.1;

// The binary term's cube-root poles at the model's state
// (Duan2::cubeRootPoleShare), said in words.
bool cubeRootPoleNear(const FluidPhase& m, const Duan2* term, std::string& why)
{
    if (!term || m.component_count != 2 || m.x.size() < 2) return false;
    int i = -1;
    char c = ' ';
    const double dcv = m.R * term->cubeRootPoleShare(m.T, m.V, m.x[0], m.x[1], i, c);
    if (!(dcv > kPoleShare * std::fabs(m.Cv)) || i < 0) return false;
    // The pole named: the nearest of those of comparable estimates.
    double poleT = std::nan("");
    term->cubeRootPoleShare(m.T, m.V, m.x[0], m.x[1], i, c, &poleT);
    char at[64] = "";
    if (std::isfinite(poleT)) std::snprintf(at, sizeof at, " (at %.0f K)", poleT);
    char buf[360];
    std::snprintf(buf, sizeof buf,
                  "near the temperature where %s's virial coefficient %c passes through zero%s, the temperature "
                  "derivatives of its cube root in the mixing rule diverge (they may change cv by up to %.3g "
                  "J/(mol K), more than %g %% of it), and so do the mixture's",
                  m.component_names[static_cast<std::size_t>(i)].c_str(), c, at, dcv, 100.0 * kPoleShare);
    why = buf;
    return true;
}

// The CH4-CO2 row above 305.15 K and up to 498.15 K (k1 = 1.1, k2 = 3.211 -
// 0.00158 T - 537.814/T, k3 = -0.7) could not be traced to Duan, Moller &
// Weare (1992): a state holding both components is given with the change of
// its density by the row from the plain combining rule (every k = 1, the row
// above 498.15 K), said as a number at every state.  The change grows with
// the share of the other component (0.4 % at 0.1 % CH4, 9 % at 2 %, CO2 at
// 310 K and 100 bar; below 0.2 % at 350 K and 100 bar up to 10 % CH4) and
// varies smoothly with T and P: a refusal where it crosses a fixed
// percentage would cut islands out of the isotherms (30 % CH4 at 300 bar:
// -1.96 % at 400 K, -2.18 % at 420 K, -1.94 % at 470 K).
// The CH4-H2O row from 513.15 K up (k1 = 42.1575 - 0.05 T) could not be
// traced either: its states are given as the CH4-CO2 row's are, with the
// row's change of the density said (at a trace of CH4 in proportion to its
// share: nothing moves at x = 1e-12), and the fugacities resting on the row
// (the Henry constant of CH4 in liquid water) said to.
bool untracedRowApplies(const FluidPhase& m, const Duan2* t, double T)
{
    if (!t || m.x.size() < 2 || !(m.x[0] > 0.0) || !(m.x[1] > 0.0)) return false;
    if (t->pairType == Duan2::kCH4H2O) return T >= 513.15;
    return t->pairType == Duan2::kCH4CO2 && T > 305.15 && T <= 498.15;
}

// The model's twin with the plain combining rule in place of the row, of the
// model's composition (made once; its searches keep their own starts).
template <class Model>
FluidPhase& plainRowTwin(Model& m, std::unique_ptr<FluidPhase>& twin)
{
    if (!twin) {
        const platform::ThreadLogCapture quiet;
        auto made = std::make_unique<Model>(m.phase_kind);
        made->number_of_components(m.component_count);
        for (const std::string& name : m.component_names) made->add_component(name.c_str());
        if (auto* t = dynamic_cast<Duan2*>(made->interactions[0])) t->plainRow = true;
        twin = std::move(made);
    }
    twin->composition(m.x.data());
    return *twin;
}

// A mixture with at most this share of its minor component has a cv within
// a tenth of its ends' mean (the mole-fraction mean of its pure components'
// at the same T and P): a solute's share moves it by about its share times
// the difference of the ends' cv away from critical points.  The estimate of
// cubeRootPoleNear falls short a few kelvins from each pole (CO2 with 0.1 %
// CH4 at 376 K and 1000 bar: cv 44.64 J/(mol K) against CO2's 38.23), and
// the mixing rule's temperature derivatives move cv far from its ends away
// from the poles too (CH4 with 0.1 % H2O at 273.15 K and 500 bar: 32.69
// J/(mol K) against CH4's 24.29; H2O with 1 % CH4 at 716.8 K and 900 bar,
// on the untraced row: 49.99 against 45.43): the bound is held at every
// state of such a share, not only where the estimate says a pole is near.
constexpr double kEndsShare = 0.01;

// The heat capacities of a mixture further from its ends' mean than kPoleShare
// at a share up to kEndsShare, in proportion above it, said in words.
template <class Model>
bool cvOffItsEnds(Model& m, Duan2* t, std::unique_ptr<FluidPhase>& twin, std::vector<DuanEndHeatCapacity>& kept,
                  std::string& why)
{
    if (!t || m.component_count != 2 || m.x.size() < 2 || !(m.x[0] > 0.0) || !(m.x[1] > 0.0) ||
        !std::isfinite(m.Cv))
        return false;
    // The minor component's share, whichever of the two is named first.  A
    // share given as the complement of the other's (1 - 0.99) carries the
    // rounding of 1, and lies a few 1e-18 above the same share given
    // directly (0.01): the bound holds to that rounding, so that one mixture
    // is held alike in either order of its components.
    const int minor = m.x[0] < m.x[1] ? 0 : 1;
    const double xs = m.x[static_cast<std::size_t>(minor)] / (m.x[0] + m.x[1]);
    // A share of kEndsShare moves a fluid's heat capacity by at most
    // kPoleShare of its ends' mean; a larger share by at most that in
    // proportion (the mixing rule's pole reaches past the dilute end).
    const double allowed =
        xs <= kEndsShare + 4.0 * std::numeric_limits<double>::epsilon() ? kPoleShare : kPoleShare * xs / kEndsShare;
    // The estimate bounds the cube roots' change within a factor 8
    // (kPoleShare): above an eighth of the share they are its cause.
    int component = -1;
    char coefficient = ' ';
    const double estimate = m.R * t->cubeRootPoleShare(m.T, m.V, m.x[0], m.x[1], component, coefficient);
    const bool pole = estimate > kPoleShare / 8.0 * std::fabs(m.Cv);
    const double T = m.T, P_bar = m.P * 1e-5;
    FluidPhase& end = plainRowTwin(m, twin);
    auto cvAt = [&](int i) {
        for (const DuanEndHeatCapacity& e : kept)
            // (the state's pressure is found again from its volume: equal to a few digits in the last place)
            if (e.component == i && e.T == T && std::fabs(e.P_bar / P_bar - 1.0) < 1e-9) return e.cv;
        const platform::ThreadLogCapture quiet;  // an end without a state leaves the mean to the other
        double w[2] = {0.0, 0.0};
        w[i] = 1.0;
        end.composition(w);
        end.errorflag = 0;
        const FluidPhase::StableState s = end.calculateStableStateFromTP(T, P_bar);
        const double cv = s.phase != FluidPhase::kPhaseNone && !end.errorflag ? end.Cv : std::nan("");
        if (kept.size() >= 256) kept.erase(kept.begin());
        kept.push_back(DuanEndHeatCapacity{i, T, P_bar, cv});
        return cv;
    };
    const double cvSolvent = cvAt(1 - minor), cvSolute = cvAt(minor);
    if (!(cvSolvent > 0.0)) return false;
    // A solute end whose own heat capacity is no fluid's (DMW's liquid water
    // below 420 K) leaves the solvent's.
    const double mean = cvSolute >= 1.5 * FluidPhase::R ? (1.0 - xs) * cvSolvent + xs * cvSolute : cvSolvent;
    if (!(std::fabs(m.Cv / mean - 1.0) > allowed)) return false;
    char buf[400];
    std::snprintf(buf, sizeof buf,
                  "the mixture of %.3g %s gives cv = %.4g J/(mol K), more than %g %% from the %.4g J/(mol K) of its "
                  "components' mean at the same temperature and pressure, further than a share this small moves a "
                  "fluid's heat capacity (%s)",
                  xs, m.component_names[static_cast<std::size_t>(minor)].c_str(), m.Cv, 100.0 * allowed, mean,
                  pole ? "the cube roots of its mixing rule near a virial coefficient's zero"
                       : "the temperature derivatives of its mixing rule");
    why = buf;
    return true;
}

template <class Model>
bool untracedRowHolds(Model& m, Duan2* t, double T, double P_bar, std::unique_ptr<FluidPhase>& twin)
{
    if (!untracedRowApplies(m, t, T)) return true;
    auto volume = [&](FluidPhase& f) {
        const platform::ThreadLogCapture quiet;  // a state not found is said by the state's own search
        f.errorflag = 0;
        const FluidPhase::StableState s = f.calculateStableStateFromTP(T, P_bar);
        return s.phase != FluidPhase::kPhaseNone && !f.errorflag && f.V > 0.0 ? f.V : std::nan("");
    };
    double Vrow = std::nan("");
    {
        const KeptFieldsAndComposition kept(m);
        const bool admitted = t->admitUntracedRow;
        t->admitUntracedRow = true;
        Vrow = volume(m);
        t->admitUntracedRow = admitted;
    }
    const double Vplain = volume(plainRowTwin(m, twin));
    if (!std::isfinite(Vrow) || !std::isfinite(Vplain)) return true;
    const bool water = t->pairType == Duan2::kCH4H2O;
    char text[900];
    std::snprintf(text, sizeof text,
                  "The model %s: the %s could not be traced to Duan, Moller & Weare (1992); at %g K and %g bar it "
                  "changes the mixture's density by %+.3g %% from the plain combining rule (every k = 1)%s.\n",
                  m.modelName(),
                  water ? "CH4-H2O interaction row from 513.15 K up (k1 = 42.1575 - 0.05 T, k2 = k3 = 1)"
                        : "CH4-CO2 interaction row above 305.15 K and up to 498.15 K (k3 = -0.7, which makes the "
                          "mixture's gamma negative near x = 0.5)",
                  T, P_bar, 100.0 * (Vplain / Vrow - 1.0),
                  water ? "; the fugacities rest on the row (with it the Henry constant of CH4 in liquid water "
                          "lies 1e-6 to 0.3 times IAPWS G7-04)"
                        : "");
    // (Said once by a command that meets the same state again.)
    if (platform::firstInCall(text)) platform::warnf("%s", text);
    return true;
}

void admitRow(Duan2* t, bool admit)
{
    if (t) t->admitUntracedRow = admit;
}

// The scan's estimate of the critical point of each fluid of Duan, Moller
// and Weare's (1992) equation alone (scanForTheCriticalPoint at a pure end:
// Tc bracketed to a relative 1e-4, the flattest volume of the isotherm
// there), a fixed property of the published equation.
struct CriticalEstimate {
    const char* fluid;
    double T, V;  // K, m3/mol
};
constexpr CriticalEstimate kPureEndCriticalEstimates[] = {
    {"H2O", 654.19165628550252, 6.6409435873638202e-05},
    {"CO2", 310.01354557099597, 9.3427524703113286e-05},
    {"CH4", 197.08506576498942, 7.2444257497240638e-05},
    {"N2", 131.07826154909395, 6.7833129608136465e-05},  // (DMW1's alone)
};

// A pure fluid of the equation takes the start of its critical-point search
// from the scan's estimate, so that its stable states take the pure fluid's
// path (one search on the side of its saturation pressure) instead of every
// root of the isotherm; none for a fluid without an estimate.
void startCriticalSearchFromEstimate(FluidPhase& f, const char* fluid)
{
    f.critical_T = 0.0;
    f.critical_V = 0.0;
    for (const CriticalEstimate& e : kPureEndCriticalEstimates)
        if (fluid && std::strcmp(fluid, e.fluid) == 0) {
            f.critical_T = e.T;
            f.critical_V = e.V;
        }
}

// The saturation search of water by this equation starts from real water's
// saturated volumes (as the water models' does): its own saturation lies
// within a few per cent of them below water's critical temperature, where
// the framework has no start for water and would scan the isotherm at every
// new temperature.  True where they give a start above the co-volume.
bool waterSaturationStart(FluidPhase& f, const char* name, double T_)
{
    if (!name || std::strcmp(name, "H2O") != 0 || f.component_count != 1) return false;
    double Vl = 0.0, Vv = 0.0;
    if (!waterSaturationStartVolumesFromT(T_, Vl, Vv)) return false;
    f.Vl0 = Vl;
    f.Vv0 = Vv;
    return f.saturationStartUsable() && f.Vv0 > f.Vl0;
}

}  // namespace

// ---- DMW1

DMW1::DMW1(int phaseKind) : FluidPhase(1, phaseKind, 0)
{
    setModelName("Duan EOS");
    interactions[0] = new Duan1();
    Vl0 = 3e-05;
    Vv0 = 0.0002;
}

DMW1::~DMW1() = default;

void DMW1::read_component_data(int i, const char* name)
{
    const duan::FluidSet* s = duan::findFluid(name, true);
    if (!s) {
        // The term keeps no parameter set and refuses every state.
        platform::diagf("Either H2O, CO2 or CH4 must be defined as a component of the system\n");
        return;
    }
    (void)i;  // one component: its data go to component 0
    Tc = s->Tc;
    Pc = s->Pc;
    molar_mass[0] = s->molarMass;
    static_cast<Duan1*>(interactions[0])->set_parameters(s->Tc, duan::referencePressure(*s), s->a);
    bulk_molar_weight = s->molarMass;
    validity = duan::validityRange(*s);
    startCriticalSearchFromEstimate(*this, name);
    installIdealGas(*this);
}

void DMW1::initializeSaturationVolumesFromT(const char* name, double T_)
{
    if (!waterSaturationStart(*this, name, T_)) FluidPhase::initializeSaturationVolumesFromT(name, T_);
}

// ---- DMW2

DMW2::DMW2(int phaseKind) : FluidPhase(1, phaseKind, 0)
{
    setModelName("Duan EOS");
    interactions[0] = new Duan2();
    Vl0 = 3e-05;
    Vv0 = 0.0002;
}

DMW2::~DMW2() = default;

bool DMW2::untracedInteractionHolds(double T_, double P_bar)
{
    return untracedRowHolds(*this, dynamic_cast<Duan2*>(interactions[0]), T_, P_bar, plainTwin);
}

void DMW2::admitUntracedInteraction(bool admit)
{
    admitRow(dynamic_cast<Duan2*>(interactions[0]), admit);
}

bool DMW2::mixingRuleDiverges(std::string& why)
{
    auto* term = dynamic_cast<Duan2*>(interactions[0]);
    return cubeRootPoleNear(*this, term, why) || cvOffItsEnds(*this, term, plainTwin, endCv, why);
}

bool DMW2::keptCriticalEstimate(double& Tc_, double& Vc_)
{
    if (parameterRevision() != publishedRevision || x.size() != 2 || component_count != 2) return false;
    for (int i = 0; i < 2; ++i) {
        if (!(x[i] == 1.0 && x[1 - i] == 0.0)) continue;
        for (const CriticalEstimate& e : kPureEndCriticalEstimates)
            if (std::strcmp(componentName(i), e.fluid) == 0) {
                Tc_ = e.T;
                Vc_ = e.V;
                return true;
            }
    }
    return false;
}

FluidPhase* DMW2::pureEndFluid()
{
    if (parameterRevision() != publishedRevision || x.size() != 2 || component_count != 2 || T_shift != 0.0 ||
        P_shift != 0.0 || capillary_mode != 0)
        return nullptr;
    const int i = x[0] == 1.0 && x[1] == 0.0 ? 0 : x[1] == 1.0 && x[0] == 0.0 ? 1 : -1;
    if (i < 0) return nullptr;
    std::unique_ptr<FluidPhase>& end = pureEnds[i];
    if (!end) {
        const platform::ThreadLogCapture quiet;
        // (Its critical point searched from the scan's estimate, as the
        // mixture's end is.)
        auto made = std::make_unique<DMW1>(phase_kind);
        made->number_of_components(1);
        made->add_component(componentName(i));
        end = std::move(made);
    }
    return end->critical_T > 0.0 ? end.get() : nullptr;
}

void DMW2::read_component_data(int i, const char* name)
{
    const duan::FluidSet* s = mixtureFluid(name);
    if (!s || i < 0 || i > 1) return;
    Tc = s->Tc;
    Pc = s->Pc;
    molar_mass[i] = s->molarMass;
    auto* term = static_cast<Duan2*>(interactions[0]);
    term->set_parameters(i, s->Tc, s->Pc, s->a);
    if (i == 0) first = s;
    // At a pure end the mixture holds where its fluid does.
    componentValidity.resize(2);
    componentValidity[static_cast<std::size_t>(i)] = duan::validityRange(*s);
    if (i == 1) {
        if (first) validity = duan::mixtureRange(*first, *s);
        setPairType(term, componentName(0), componentName(1));
        installIdealGas(*this);
        publishedRevision = parameterRevision();
    }
    // What was kept of the components read before goes with them.
    plainTwin.reset();
    endCv.clear();
    pureEnds[i].reset();
}

// ---- DMWEOS

DMWEOS::DMWEOS(int phaseKind) : FluidPhase(1, phaseKind, 0)
{
    setModelName("Duan EOS");
    Vl0 = 3e-05;
    Vv0 = 0.0002;
}

DMWEOS::~DMWEOS() = default;

bool DMWEOS::untracedInteractionHolds(double T_, double P_bar)
{
    return component_count != 2 ||
           untracedRowHolds(*this, dynamic_cast<Duan2*>(interactions[0]), T_, P_bar, plainTwin);
}

void DMWEOS::admitUntracedInteraction(bool admit)
{
    if (component_count == 2) admitRow(dynamic_cast<Duan2*>(interactions[0]), admit);
}

bool DMWEOS::mixingRuleDiverges(std::string& why)
{
    auto* term = component_count == 2 ? dynamic_cast<Duan2*>(interactions[0]) : nullptr;
    return cubeRootPoleNear(*this, term, why) || cvOffItsEnds(*this, term, plainTwin, endCv, why);
}

void DMWEOS::number_of_components(int n)
{
    if (n < 1) {
        FluidPhase::number_of_components(n);  // refused with a message, the model left as it was
        return;
    }
    // A count other than 1 or 2 goes to the binary term, which refuses it.
    // A new term only when the count changes: the term in place is already
    // sized (and possibly loaded) for this count.
    if (n != component_count || !interactions[0]) {
        delete interactions[0];
        if (n == 1)
            interactions[0] = new Duan1();
        else
            interactions[0] = new Duan2();
        component_count = 0;  // so that the framework sizes the new term
        critical_T = critical_V = 0.0;  // the pure fluid's start, until its component is read
    }
    FluidPhase::number_of_components(n);
}

void DMWEOS::read_component_data(int i, const char* name)
{
    const duan::FluidSet* s = mixtureFluid(name);
    if (!s || i < 0 || i >= component_count || !interactions[0] || interactions[0]->refusedComponents) return;
    Tc = s->Tc;
    Pc = s->Pc;
    molar_mass[i] = s->molarMass;
    if (component_count == 1) {
        static_cast<Duan1*>(interactions[0])->set_parameters(s->Tc, duan::referencePressure(*s), s->a);
    } else {
        auto* term = static_cast<Duan2*>(interactions[0]);
        term->set_parameters(i, s->Tc, s->Pc, s->a);
        if (i == 1) setPairType(term, componentName(0), componentName(1));
    }
    if (i == 0) first = s;
    validity = i == 0 || !first ? duan::validityRange(*s) : duan::mixtureRange(*first, *s);
    componentValidity.resize(static_cast<std::size_t>(std::max(component_count, i + 1)));
    componentValidity[static_cast<std::size_t>(i)] = duan::validityRange(*s);
    startCriticalSearchFromEstimate(*this, component_count == 1 ? name : nullptr);
    if (i == component_count - 1) installIdealGas(*this);
    plainTwin.reset();
    endCv.clear();
}

void DMWEOS::initializeSaturationVolumesFromT(const char* name, double T_)
{
    if (!waterSaturationStart(*this, name, T_)) FluidPhase::initializeSaturationVolumesFromT(name, T_);
}
