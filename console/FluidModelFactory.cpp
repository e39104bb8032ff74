// Fluid models by short name (see FluidModelFactory.h).
#include "console/FluidModelFactory.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "brines/HenryCorrelations.h"
#include "console/WaterStudyModel.h"
#include "families/cubic/ClassicalCubic0.h"
#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/cubic/SRK2.h"
#include "families/duan/DMW1.h"
#include "families/duan/DuanCH4.h"
#include "families/duan/DuanCO2.h"
#include "families/duan/DuanH2O.h"
#include "families/duan/DuanParameters.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "gases/SolidCurves.h"
#include "gases/Sterner.h"
#include "magma/HollowayEOS.h"
#include "platform/LogSink.h"
#include "water/HGK.h"
#include "water/IceCurves.h"
#include "water/Hill.h"
#include "water/Keenan.h"
#include "water/Saul.h"
#include "water/WagnerPruss.h"

#if defined(VARNOK_WITH_ANDERKO) && __has_include("families/anderko/Anderko.h")
#include "families/anderko/Anderko.h"
#define VARNOK_FACTORY_ANDERKO 1
#endif
#if defined(VARNOK_WITH_ANDERKO) && __has_include("families/anderko/SaltMelting.h")
#include "families/anderko/SaltMelting.h"
#define VARNOK_FACTORY_SALT_MELTING 1
#endif
#if defined(VARNOK_WITH_ANDERKO) && __has_include("families/anderko/AnderkoPure.h")
#include "families/anderko/AnderkoPure.h"
#define VARNOK_FACTORY_ANDERKO_PURE 1
#endif
#if defined(VARNOK_WITH_KREGLEWSKI) && __has_include("families/kreglewski/Kreglewski_EOS.h")
#include "families/kreglewski/Kreglewski_EOS.h"
#define VARNOK_FACTORY_KREGLEWSKI 1
#endif

namespace {

constexpr std::size_t kMaxComponentName = 31;
constexpr std::size_t kMaxComponents = 5;

void setReason(std::string* why, const std::string& text) {
    if (why) *why = text;
}

// "MODEL:A,B" into the model word and its component names; false (with the
// reason) for empty or overlong names or too many components.
bool splitName(const std::string& full, std::string& model, std::vector<std::string>& comps, std::string* why) {
    const std::size_t colon = full.find(':');
    model = full.substr(0, colon);
    comps.clear();
    if (colon == std::string::npos) return true;
    const std::string rest = full.substr(colon + 1);
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = rest.find(',', start);
        const std::string c = rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (c.empty() || c.size() > kMaxComponentName) {
            setReason(why, "Component names of " + model + " are 1 to 31 characters long, separated by commas");
            return false;
        }
        comps.push_back(c);
        if (comps.size() > kMaxComponents) {
            setReason(why, model + " takes at most 5 components");
            return false;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

// Components named, mole fractions equal.
FluidPhase* withComponents(std::unique_ptr<FluidPhase> m, const std::vector<std::string>& comps) {
    m->number_of_components(static_cast<int>(comps.size()));
    for (const std::string& c : comps) m->add_component(c.c_str());
    std::vector<double> x(comps.size(), 1.0 / static_cast<double>(comps.size()));
    m->composition(x.data());
    return m.release();
}

bool duanNamesKnown(const std::vector<std::string>& comps, bool withN2) {
    for (const std::string& c : comps)
        if (!duan::findFluid(c.c_str(), withN2)) return false;
    return true;
}

template <class Model, class... Args>
FluidPhase* water(Args... args) {
    auto* m = new Model(args...);
    m->setSystemType("H2O");
    return m;
}

FluidPhase* anderko(const char* system, std::string* why) {
#ifdef VARNOK_FACTORY_ANDERKO
    std::unique_ptr<Anderko> m(new Anderko(2));
    if (!m->setSystemType(system) || m->component_count < 1) {
        setReason(why, std::string("The system ") + system + " is not one the Anderko model treats");
        return nullptr;
    }
    return m.release();
#else
    setReason(why, std::string("The Anderko model (system ") + system + ") is not part of this build");
    return nullptr;
#endif
}

}  // namespace

namespace {

// A model is usable when every component has its data (a molar mass) and the
// model gives a finite state in the dilute gas at 1 bar; a component file that
// could not be read leaves the model without data, and every number it would
// print would be meaningless.
bool usable(FluidPhase& m, const std::string& name, std::string* why) {
    for (int i = 0; i < m.component_count; ++i) {
        const double M = i < static_cast<int>(m.molar_mass.size()) ? m.molar_mass[i] : 0.0;
        if (!(M > 0.0) || !std::isfinite(M)) {
            const char* c = m.componentName(i);
            setReason(why, "The model " + name + " has no data for the component " + (c ? c : "?"));
            return false;
        }
    }
    m.calculateBulkMolarWeight();
    // Zhang & Duan's water gives no state below 1 kbar: it is checked at
    // 1073.15 K and 5 kbar instead of in its dilute gas.
    if (const auto* w = dynamic_cast<const DuanH2O*>(&m); w && w->parameterSet == 1) {
        m.calculateFromTP(1073.15, 5000.0, 0);
        if (m.errorflag || !m.stateIsFinite()) {
            setReason(why, "The model " + name + " gives no finite state at 1073.15 K and 5000 bar: it cannot be used");
            return false;
        }
        return true;
    }
    // The pressure alone: the trial computes no state functions (whose lack of
    // data is said where they are asked for) and leaves no term in the form
    // of its fugacity pass.  A mixture is tried at each pure end first: an
    // interaction row the model refuses refuses the states it governs, not the
    // model; a model whose pure ends give no state (a component of no data
    // at all there) is tried at equal mole fractions.
    const double T = m.critical_T > 0.0 && std::isfinite(m.critical_T) ? 2.0 * m.critical_T : 1000.0;
    const double V = FluidPhase::R * T / 1e5;
    auto dilute = [&] {
        m.errorflag = 0;
        m.temperature(T);
        m.volume(V);
        m.calculate_pressure();
        return !m.errorflag && std::isfinite(m.P) && std::isfinite(m.Z) && std::fabs(m.Z - 1.0) < 0.5;
    };
    bool ok = true;
    const int n = m.component_count;
    if (n > 1) {
        const std::vector<double> z(m.x.begin(), m.x.begin() + n);
        for (int i = 0; ok && i < n; ++i) {
            std::vector<double> e(static_cast<std::size_t>(n), 0.0);
            e[static_cast<std::size_t>(i)] = 1.0;
            m.composition(e.data());
            ok = dilute();
        }
        m.composition(z.data());
    }
    if (n <= 1 || !ok) ok = dilute();
    if (!ok) {
        setReason(why, "The model " + name + " gives no finite state of its dilute gas: it cannot be used");
        return false;
    }
    m.errorflag = 0;
    return true;
}

FluidPhase* buildFluidModel(const char* name, std::string* why);

// The solids of the components of these models: the ices of water (IAPWS
// R14-08), solid CO2, CH4 and N2 (their reference equations' melting and
// sublimation curves), halite and sylvite below their melting temperatures.
SolidField componentSolid(const char* component, double T, double P_bar) {
    SolidField f;
    if (!component) return f;
    if (std::string(component) == "H2O") {
        f.solid = water::iceAt(T, P_bar * 1e5);
        f.supercooledLiquid = f.solid && std::string(f.solid) == "ice Ih" && T < 273.16;
        return f;
    }
    f.solid = gases::gasSolidAt(component, T, P_bar * 1e5);
#ifdef VARNOK_FACTORY_SALT_MELTING
    if (!f.solid) f.solid = anderko::saltSolidAt(component, T, P_bar);
#endif
    return f;
}

// The stable state of a pure fluid from its reference equation (IAPWS-95,
// IUPAC CO2 and CH4, Span et al. N2), built for the call: the molar volume
// (m3/mol), NaN outside the equation's range or where it gives none.
double referenceVolume(const char* component, double T, double P_bar) {
    if (!component) return std::nan("");
    const std::string c(component);
    std::unique_ptr<FluidPhase> m;
    if (c == "H2O")
        m.reset(water<WagnerPruss>(2));
    else if (c == "CO2")
        m.reset(new IUPACCO2(1));
    else if (c == "CH4")
        m.reset(new IUPACCH4(1));
    else if (c == "N2")
        m.reset(new Jacobsen(1));
    else
        return std::nan("");
    // Beyond its range the reference is no reference.
    if (!m->stateRange().holds(T, P_bar)) return std::nan("");
    const platform::ThreadLogCapture quiet;  // no state: NaN
    const FluidPhase::StableState s = m->calculateStableStateFromTP(T, P_bar);
    if (s.phase == FluidPhase::kPhaseNone || m->errorflag || !(m->V > 0.0)) return std::nan("");
    return m->V;
}

// The Henry constants of IAPWS G7-04 (Fernandez-Prini, Alvarez & Harvey
// 2003) of CO2 and CH4 in liquid water, in the ranges of their rows (Pa).
double publishedHenryConstant(const char* solvent, const char* solute, double T) {
    if (!solvent || !solute || std::string(solvent) != "H2O") return std::nan("");
    const std::string gas(solute);
    if (gas != "CO2" && gas != "CH4") return std::nan("");
    const platform::ThreadLogCapture quiet;  // outside a row's range: none
    return henry::fernandezPrini(solute, T);
}

}  // namespace

FluidPhase* createFluidModel(const char* name, std::string* why) {
    std::unique_ptr<FluidPhase> m(buildFluidModel(name, why));
    if (!m) return nullptr;
    // A mixture whose constructor sets no composition starts with equal mole
    // fractions, as the mixtures named with their components do.
    double sum = 0.0;
    for (int i = 0; i < m->component_count; ++i) sum += m->x[i];
    if (m->component_count > 1 && !(sum > 0.0)) {
        std::vector<double> x(static_cast<std::size_t>(m->component_count), 1.0 / m->component_count);
        m->composition(x.data());
    }
    if (!usable(*m, name, why)) return nullptr;
    m->solidOf = &componentSolid;
    m->referenceVolumeOf = &referenceVolume;
    m->henryOf = &publishedHenryConstant;
    return m.release();
}

namespace {

FluidPhase* buildFluidModel(const char* name, std::string* why) {
    if (why) why->clear();
    if (name == nullptr) {
        setReason(why, "No model name");
        return nullptr;
    }
    const std::string full(name);
    // Models of fixed components.
    if (full == "wagner") return water<WaterStudyModel>(2);
    if (full == "WagnerPruss") return water<WagnerPruss>(2);
    if (full == "HGK") return water<HGK>(2);
    if (full == "Saul") return water<Saul>(2);
    if (full == "Hill") return water<Hill>(2);
    if (full == "Keenan") return water<Keenan>(2);
    if (full == "DuanH2O") return water<DuanH2O>(2, 0);
    if (full == "ZhangDuanH2O") return water<DuanH2O>(2, 1);
    if (full == "IUPACCO2") return new IUPACCO2(1);
    if (full == "Sterner") return new Sterner(1);
    if (full == "DuanCO2") return new DuanCO2(1);
    if (full == "IUPACCH4") return new IUPACCH4(1);
    if (full == "DuanCH4") return new DuanCH4(1);
    if (full == "Jacobsen") return new Jacobsen(1);
    if (full == "HollowayEOS") return new HollowayEOS(1);
    // The Anderko family.
    if (full == "hnc") return anderko("H2O-NaCl-CH4", why);
    if (full == "hn") return anderko("H2O-NaCl", why);
    if (full == "hk") return anderko("H2O-KCl", why);
    if (full == "hnk") return anderko("H2O-NaCl-KCl", why);
    if (full == "NaCl") return anderko("NaCl", why);
    if (full == "KCl") return anderko("KCl", why);
    if (full == "AnderkoH2O" || full == "AnderkoCO2") {
#ifdef VARNOK_FACTORY_ANDERKO_PURE
        if (full == "AnderkoCO2") return new AnderkoCO2(1);
        return water<AnderkoH2O>(2);
#else
        setReason(why, "The Anderko pure-fluid models are not part of this build");
        return nullptr;
#endif
    }

    // Models whose components follow the name.
    std::string model;
    std::vector<std::string> comps;
    if (!splitName(full, model, comps, why)) return nullptr;
    const bool family = model == "SRK" || model == "SRK1" || model == "SRK2" || model == "PR" || model == "PRSV" ||
                        model == "Montel" || model == "DMW1" || model == "DMW2" || model == "DMWEOS" ||
                        model == "Kreglewski";
    if (!family) {
        setReason(why, "Unknown model " + full);
        return nullptr;
    }
    if (comps.empty()) {
        setReason(why, model + " needs its components after a colon, e.g. " + model + ":CO2,CH4");
        return nullptr;
    }
    const std::size_t n = comps.size();
    if (model == "SRK") return withComponents(std::make_unique<ClassicalSRK>(1), comps);
    if (model == "SRK1") return withComponents(std::make_unique<SRK1>(1, 0), comps);
    if (model == "PR") return withComponents(std::make_unique<PRNirma>(1, 0, 0), comps);
    if (model == "PRSV") return withComponents(std::make_unique<PRSV>(1, 0), comps);
    if (model == "Montel") return withComponents(std::make_unique<Montel>(1), comps);
    if (model == "SRK2") {
        if (n != 2) {
            setReason(why, "SRK2 takes exactly two components");
            return nullptr;
        }
        return withComponents(std::make_unique<SRK2>(1), comps);
    }
    if (model == "Kreglewski") {
#ifdef VARNOK_FACTORY_KREGLEWSKI
        // One or two components of its table (other counts fail every state).
        bool known = n <= 2;
        for (const std::string& c : comps) known = known && Kreglewski_EOS::findComponent(c.c_str()) != nullptr;
        if (!known) {
            setReason(why, "Kreglewski takes one or two components of its table (e.g. CH4, CO2, N2)");
            return nullptr;
        }
        return withComponents(std::make_unique<Kreglewski_EOS>(1), comps);
#else
        setReason(why, "The Kreglewski model is not part of this build");
        return nullptr;
#endif
    }
    // The Duan models fail every state on a component they do not know:
    // their names and counts are checked here first.
    if (model == "DMW1") {
        if (n != 1 || !duanNamesKnown(comps, true)) {
            setReason(why, "DMW1 takes one component, H2O, CO2, CH4 or N2");
            return nullptr;
        }
        return withComponents(std::make_unique<DMW1>(1), comps);
    }
    if (model == "DMW2") {
        if (n != 2 || !duanNamesKnown(comps, false)) {
            setReason(why, "DMW2 takes two components of H2O, CO2 and CH4");
            return nullptr;
        }
        return withComponents(std::make_unique<DMW2>(1), comps);
    }
    if (n > 2 || !duanNamesKnown(comps, false)) {
        setReason(why, "DMWEOS takes one or two components of H2O, CO2 and CH4");
        return nullptr;
    }
    return withComponents(std::make_unique<DMWEOS>(1), comps);
}

FluidPhase* factoryEntry(const char* name) {
    std::string why;
    FluidPhase* m = createFluidModel(name, &why);
    if (!m && !why.empty()) platform::diagf("%s\n", why.c_str());
    return m;
}

}  // namespace

void installFluidModelFactory() { FluidPhase::eosFactory = &factoryEntry; }

const char* fluidModelNames() {
    return "  water            wagner WagnerPruss HGK Saul Hill Keenan DuanH2O ZhangDuanH2O\n"
           "  carbon dioxide   IUPACCO2 Sterner DuanCO2\n"
           "  methane          IUPACCH4 DuanCH4\n"
           "  nitrogen         Jacobsen\n"
           "  H2O-CO2          HollowayEOS\n"
           "  with components  SRK:.. SRK1:.. SRK2:a,b PR:.. PRSV:.. Montel:..  (e.g. SRK1:CO2,CH4)\n"
           "                   DMW1:c DMW2:a,b DMWEOS:a[,b]  (H2O, CO2, CH4; N2 for DMW1)\n"
           "                   Kreglewski:a[,b]  (CH4, CO2, N2, ... of its table)\n"
           "  Anderko family   hnc hn hk NaCl KCl AnderkoH2O AnderkoCO2\n";
}
