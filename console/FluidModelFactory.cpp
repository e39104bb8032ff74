// Fluid models by short name (see FluidModelFactory.h).
#include "console/FluidModelFactory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "brines/DMGWwater.h"
#include "brines/DriesnerHeinrich.h"
#include "brines/HenryCorrelations.h"
#include "brines/WaterInCO2.h"
#include "brines/WaterInMethane.h"
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
#include "fluid/ModelRange.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/ReferenceFluids.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "gases/Sterner.h"
#include "magma/HollowayEOS.h"
#include "platform/LogSink.h"
#include "water/HGK.h"
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
// reason) for empty or overlong names, a name given twice or too many
// components.
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
        // One component named twice is no mixture: each model would compute
        // it differently (two fluids with the pair's own rules, or the pure
        // fluid), none of them the fluid named.
        if (std::find(comps.begin(), comps.end(), c) != comps.end()) {
            setReason(why, "The mixture " + full + " names the component " + c + " twice: name each component once");
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

// The solids of the components of these models: the reference fluids'
// (the ices of water, solid CO2, CH4 and N2: their table's melting and
// sublimation lines), halite and sylvite below their melting temperatures.
SolidField componentSolid(const ReferenceFluids& fluids, const char* component, double T, double P_bar) {
    SolidField f = fluids.solidAt(component, T, P_bar);
#ifdef VARNOK_FACTORY_SALT_MELTING
    if (!f.solid && component) f.solid = anderko::saltSolidAt(component, T, P_bar);
#endif
    return f;
}

// The Henry constants of IAPWS G7-04 (Fernandez-Prini, Alvarez & Harvey
// 2003) in liquid water (Pa) of the gases whose pair with water names it in
// the pairs' table (the standard's: CO2, CH4, N2, Ar), from 273.15 K to water's critical
// temperature: a few kelvin beyond their rows' fitted ranges (CO2 274.19-
// 642.66 K, CH4 275.46-633.11 K, N2 278.12-636.46 K, Ar 273.19-568.36 K)
// the equation's form holds, where a model's own constant may be orders of
// magnitude off.
double publishedHenryConstant(const ReferencePairs& pairs, const char* solvent, const char* solute, double T) {
    const ReferenceFluid* water = pairs.fluids().find(solvent);
    if (!pairs.henrySourceOf(solvent, solute) || !water || !water->named("H2O")) return std::nan("");
    return henry::fernandezPriniToCritical(solute, T);
}

// The sublimation pressures (Pa) of the reference fluids' solids below their
// triple points, with the solids' molar volumes for the Poynting correction
// (their table's); NaN for any other component.
double componentSublimation(const ReferenceFluids& fluids, const char* component, double T, double& solidVolume) {
    return fluids.sublimation(component, T, solidVolume);
}

// The CO2 that liquid water dissolves beside a CO2-rich phase (Duan & Sun
// 2003, 273.15-533.15 K, above water's vapour pressure to 2000 bar, as the
// mole fraction of CO2 in its salt-free water); NaN outside.
double duanSunCarbonDioxideInWater(double T, double P_bar) {
    if (!(T >= 273.15 && T <= 533.15) || !(P_bar > ancillaryVapourPressure("H2O", T) * 1e-5 && P_bar <= 2000.0))
        return std::nan("");
    const platform::ThreadLogCapture quiet;  // outside its range: no published value, said by the caller
    DMGWwater duanSun(SM_H2O_CO2, 0);
    duanSun.calculate_gas_solubility(T, P_bar, 0.0);
    if (duanSun.fugacityError != 0 || !(duanSun.mg > 0.0)) return std::nan("");
    return duanSun.mg / (duanSun.mg + 1.0 / DMGWwater::Mw);
}

// The evaluations of the publications the pairs' table names for a pair's
// mutual solubilities: the water content of CO2-rich phases (Spycher,
// Pruess & Ennis-King 2003, 273.15-373.15 K, to 600 bar), of methane-rich
// gas (Bukacek 1955, 288.15-511.15 K, 1 to 690 bar), the CO2 liquid water
// dissolves (Duan & Sun 2003).  Each is the content of the pair's solute in
// its solvent-rich phase, as the row names them.
constexpr struct {
    const char* source;
    double (*content)(double T, double P_bar);
} kPublishedSolubilities[] = {
    {kSpycherPruessEnnisKing2003, &solubility::waterInCO2},
    {kBukacek1955, &solubility::waterInMethane},
    {kDuanSun2003, &duanSunCarbonDioxideInWater},
};

double publishedSolubility(const ReferencePairs& pairs, const char* solvent, const char* solute, double T,
                           double P_bar) {
    const SolubilitySource source = pairs.solubilitySourceOf(solvent, solute);
    for (const auto& p : kPublishedSolubilities)
        if (source.name && std::string(source.name) == p.source) return p.content(T, P_bar);
    return std::nan("");
}

SolubilitySource publishedSolubilitySource(const ReferencePairs& pairs, const char* solvent, const char* solute) {
    return pairs.solubilitySourceOf(solvent, solute);
}

// The phase diagrams the pairs' table names for water and a salt: that of
// H2O-NaCl by Driesner & Heinrich (2007), with water's vapour pressure by
// its ancillary (IAPWS-95's within a few parts in a million, which moves
// the diagram's bubble pressures by as little).
SaltDiagramPoint publishedSaltDiagram(const ReferencePairs& pairs, const char* water, const char* salt, double T,
                                      double P_bar) {
    const ReferencePair* row = pairs.find(water, salt);
    const ReferenceFluid* w = pairs.fluids().find(water);
    if (!row || !row->phaseDiagramSource || std::string(row->phaseDiagramSource) != kDriesnerHeinrich2007 || !w ||
        !w->named("H2O"))
        return {};
    const double psat = T < w->Tc ? pairs.fluids().vapourPressure(water, T) * 1e-5 : std::nan("");
    return dh07::diagramPoint(T, P_bar, psat);
}

}  // namespace

namespace {

FluidPhase* buildUsableFluidModel(const char* name, std::string* why) {
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
    m->lookups = PhaseLookups{&componentSolid, &referenceVolumeIn, &publishedHenryConstant, &componentSublimation,
                              &publishedSolubility, &publishedSolubilitySource};
    m->lookups.saltDiagramOf = &publishedSaltDiagram;
    return m.release();
}

}  // namespace

// What building a model prints (a component file that cannot be opened, a
// keyword that is no number) is kept until the model is judged: a model
// refused with its own reason is one mistake, said once by that reason;
// a model built, or refused without a reason for the caller, passes it on.
FluidPhase* createFluidModel(const char* name, std::string* why) {
    FluidPhase* m = nullptr;
    std::vector<platform::ThreadLogCapture::Entry> said;
    {
        platform::ThreadLogCapture building;
        m = buildUsableFluidModel(name, why);
        said = building.take();
    }
    if (m != nullptr || why == nullptr || why->empty()) platform::ThreadLogCapture::replay(said);
    return m;
}

namespace {

// Builders of the registry's models: `comps` holds the components named
// after the colon (empty for a model of fixed components).
using Comps = std::vector<std::string>;

template <class Model, int... Args>
FluidPhase* fixedWater(const Comps&, std::string*) {
    return water<Model>(2, Args...);
}
template <class Model>
FluidPhase* fixedGas(const Comps&, std::string*) {
    return new Model(1);
}
template <const char* System>
FluidPhase* anderkoSystem(const Comps&, std::string* why) {
    return anderko(System, why);
}
constexpr char kHNC[] = "H2O-NaCl-CH4", kHN[] = "H2O-NaCl", kHK[] = "H2O-KCl", kHNK[] = "H2O-NaCl-KCl",
               kNaCl[] = "NaCl", kKCl[] = "KCl";

FluidPhase* anderkoPure(bool co2, std::string* why) {
#ifdef VARNOK_FACTORY_ANDERKO_PURE
    (void)why;
    if (co2) return new AnderkoCO2(1);
    return water<AnderkoH2O>(2);
#else
    (void)co2;
    setReason(why, "The Anderko pure-fluid models are not part of this build");
    return nullptr;
#endif
}

template <class Model, int... Args>
FluidPhase* mixture(const Comps& comps, std::string*) {
    return withComponents(std::make_unique<Model>(1, Args...), comps);
}

FluidPhase* srk2(const Comps& comps, std::string* why) {
    if (comps.size() != 2) {
        setReason(why, "SRK2 takes exactly two components");
        return nullptr;
    }
    return withComponents(std::make_unique<SRK2>(1), comps);
}

FluidPhase* kreglewski(const Comps& comps, std::string* why) {
#ifdef VARNOK_FACTORY_KREGLEWSKI
    // One or two components of its table (other counts fail every state).
    bool known = comps.size() <= 2;
    for (const std::string& c : comps) known = known && Kreglewski_EOS::findComponent(c.c_str()) != nullptr;
    if (!known) {
        setReason(why, "Kreglewski takes one or two components of its table (e.g. CH4, CO2, N2)");
        return nullptr;
    }
    return withComponents(std::make_unique<Kreglewski_EOS>(1), comps);
#else
    (void)comps;
    setReason(why, "The Kreglewski model is not part of this build");
    return nullptr;
#endif
}

// The Duan models fail every state on a component they do not know: their
// names and counts are checked here first.
template <class Model>
FluidPhase* duanMixture(const Comps& comps, std::string* why, std::size_t least, std::size_t most, bool withN2,
                        const char* refusal) {
    if (comps.size() < least || comps.size() > most || !duanNamesKnown(comps, withN2)) {
        setReason(why, refusal);
        return nullptr;
    }
    return withComponents(std::make_unique<Model>(1), comps);
}

// The registry of the fluid command interpreter's models: the factory, the
// list the programs print and the model table of docs/models.md (checked by a test)
// all follow it.  A model is added by one row here and one row in the
// model table.
const FluidModelEntry kRegistry[] = {
    {"wagner", "water", false, &fixedWater<WaterStudyModel>},
    {"WagnerPruss", "water", false, &fixedWater<WagnerPruss>},
    {"HGK", "water", false, &fixedWater<HGK>},
    {"Saul", "water", false, &fixedWater<Saul>},
    {"Hill", "water", false, &fixedWater<Hill>},
    {"Keenan", "water", false, &fixedWater<Keenan>},
    {"DuanH2O", "water", false, &fixedWater<DuanH2O, 0>},
    {"ZhangDuanH2O", "water", false, &fixedWater<DuanH2O, 1>},
    {"IUPACCO2", "carbon dioxide", false, &fixedGas<IUPACCO2>},
    {"Sterner", "carbon dioxide", false, &fixedGas<Sterner>},
    {"DuanCO2", "carbon dioxide", false, &fixedGas<DuanCO2>},
    {"IUPACCH4", "methane", false, &fixedGas<IUPACCH4>},
    {"DuanCH4", "methane", false, &fixedGas<DuanCH4>},
    {"Jacobsen", "nitrogen", false, &fixedGas<Jacobsen>},
    {"HollowayEOS", "H2O-CO2", false, &fixedGas<HollowayEOS>},
    {"SRK", "cubics", true, &mixture<ClassicalSRK>},
    {"SRK1", "cubics", true, &mixture<SRK1, 0>},
    {"SRK2", "cubics", true, &srk2, "a,b"},
    {"PR", "cubics", true, &mixture<PRNirma, 0, 0>},
    {"PRSV", "cubics", true, &mixture<PRSV, 0>},
    {"Montel", "cubics", true, &mixture<Montel>},
    {"DMW1", "Duan family", true,
     [](const Comps& c, std::string* why) {
         return duanMixture<DMW1>(c, why, 1, 1, true, "DMW1 takes one component, H2O, CO2, CH4 or N2");
     },
     "c"},
    {"DMW2", "Duan family", true,
     [](const Comps& c, std::string* why) {
         return duanMixture<DMW2>(c, why, 2, 2, false, "DMW2 takes two components of H2O, CO2 and CH4");
     },
     "a,b"},
    {"DMWEOS", "Duan family", true,
     [](const Comps& c, std::string* why) {
         return duanMixture<DMWEOS>(c, why, 1, 2, false, "DMWEOS takes one or two components of H2O, CO2 and CH4");
     },
     "a[,b]"},
    {"Kreglewski", "Kreglewski", true, &kreglewski, "a[,b]"},
    {"hnc", "Anderko family", false, &anderkoSystem<kHNC>},
    {"hn", "Anderko family", false, &anderkoSystem<kHN>},
    {"hk", "Anderko family", false, &anderkoSystem<kHK>},
    {"NaCl", "Anderko family", false, &anderkoSystem<kNaCl>},
    {"KCl", "Anderko family", false, &anderkoSystem<kKCl>},
    {"AnderkoH2O", "Anderko family", false, [](const Comps&, std::string* why) { return anderkoPure(false, why); }},
    {"AnderkoCO2", "Anderko family", false, [](const Comps&, std::string* why) { return anderkoPure(true, why); }},
    // A name of the Anderko family's systems that the model does not treat:
    // it builds no model and says why.
    {"hnk", nullptr, false, &anderkoSystem<kHNK>},
};

// What the list adds after a group's names.
struct GroupNote {
    const char* group;
    const char* note;
};
constexpr GroupNote kGroupNotes[] = {
    {"cubics", "  (e.g. SRK1:CO2,CH4)"},
    {"Duan family", "  (H2O, CO2, CH4; N2 for DMW1)"},
    {"Kreglewski", "  (CH4, CO2, N2, ... of its table)"},
};

const FluidModelEntry* findEntry(const std::string& model) {
    for (const FluidModelEntry& e : kRegistry)
        if (model == e.name) return &e;
    return nullptr;
}

FluidPhase* buildFluidModel(const char* name, std::string* why) {
    if (why) why->clear();
    if (name == nullptr) {
        setReason(why, "No model name");
        return nullptr;
    }
    const std::string full(name);
    if (const FluidModelEntry* e = findEntry(full); e && !e->components) return e->build({}, why);
    // A model of fixed components given with a colon: its own name, alone.
    if (const std::size_t colon = full.find(':'); colon != std::string::npos) {
        const std::string word = full.substr(0, colon);
        if (const FluidModelEntry* e = findEntry(word); e && !e->components) {
            setReason(why, "The model " + word + " has its own components and takes no names after a colon: give it as " +
                               word);
            return nullptr;
        }
    }
    // Models whose components follow the name.
    std::string model;
    std::vector<std::string> comps;
    if (!splitName(full, model, comps, why)) return nullptr;
    const FluidModelEntry* e = findEntry(model);
    if (!e || !e->components) {
        setReason(why, "Unknown model " + full);
        return nullptr;
    }
    if (comps.empty()) {
        setReason(why, model + " needs its components after a colon, e.g. " + model + ":CO2,CH4");
        return nullptr;
    }
    return e->build(comps, why);
}

FluidPhase* factoryEntry(const char* name) {
    std::string why;
    FluidPhase* m = createFluidModel(name, &why);
    if (!m && !why.empty()) platform::diagf("%s\n", why.c_str());
    return m;
}

}  // namespace

void installFluidModelFactory() { FluidPhase::eosFactory = &factoryEntry; }

const char* referenceModelOf(const std::string& fluid) {
    return ReferenceFluids::standard().referenceModel(fluid.c_str());
}

namespace {

// A reference model built once per thread and name (its construction reads
// its coefficients: a curve asks for thousands of states), with the start
// values it was built with, put back before each state so that the answer
// does not depend on the states asked for before.
struct BuiltReference {
    std::unique_ptr<FluidPhase> model;
    double Vl0 = 0.0, Vv0 = 0.0;
    int kind = 0;
};

FluidPhase* builtReference(const char* name) {
    thread_local std::map<std::string, BuiltReference> built;
    auto it = built.find(name);
    if (it == built.end()) {
        BuiltReference b;
        b.model.reset(buildFluidModel(name, nullptr));
        if (b.model) b.Vl0 = b.model->Vl0, b.Vv0 = b.model->Vv0, b.kind = b.model->phase_kind;
        it = built.emplace(name, std::move(b)).first;
    }
    BuiltReference& b = it->second;
    if (!b.model) return nullptr;
    b.model->Vl0 = b.Vl0;
    b.model->Vv0 = b.Vv0;
    b.model->set_the_phase_as(b.kind);
    b.model->errorflag = 0;
    return b.model.get();
}

}  // namespace

double referenceVolumeIn(const ReferenceFluids& fluids, const char* component, double T, double P_bar) {
    // Near the critical point, the later reference equation where the row
    // has one.
    const ReferenceFluid* row = fluids.find(component);
    const double rho = row ? row->criticalRegionDensity(T, P_bar * 1e5) : std::nan("");
    if (std::isfinite(rho)) return row->molarMass / rho;
    const char* name = fluids.referenceModel(component);
    FluidPhase* m = name ? builtReference(name) : nullptr;
    if (!m) return std::nan("");
    // Beyond its range the reference is no reference.
    if (!ModelRange(*m).stateRange().holds(T, P_bar)) return std::nan("");
    const platform::ThreadLogCapture quiet;  // no state: NaN
    const FluidPhase::StableState s = m->calculateStableStateFromTP(T, P_bar);
    if (s.phase == FluidPhase::kPhaseNone || m->errorflag || !(m->V > 0.0)) return std::nan("");
    return m->V;
}

std::span<const FluidModelEntry> fluidModelRegistry() { return kRegistry; }

std::string fluidModelNames() {
    std::string list;
    std::vector<std::string> groups;
    for (const FluidModelEntry& e : kRegistry)
        if (e.group && std::find(groups.begin(), groups.end(), e.group) == groups.end()) groups.emplace_back(e.group);
    for (const std::string& g : groups) {
        std::string line = "  " + g;
        line.resize(std::max<std::size_t>(line.size() + 1, 19), ' ');
        const char* sep = "";
        for (const FluidModelEntry& e : kRegistry) {
            if (!e.group || g != e.group) continue;
            line += sep;
            line += e.name;
            if (e.components) line += std::string(":") + (e.shownComponents ? e.shownComponents : "..");
            sep = " ";
        }
        for (const GroupNote& n : kGroupNotes)
            if (g == n.group) line += n.note;
        list += line + "\n";
    }
    return list;
}
