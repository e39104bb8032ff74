#include "app/document/ChamberCalculator.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "app/document/CaseList.h"
#include "app/document/StringFormat.h"
#include "fluid/CurveOutput.h"
#include "platform/LogSink.h"

using platform::PropertyList;

namespace {

// Mass of the chamber contents the model works with (kg).
constexpr double kChamberMass = 1000.0;

// What each form key is called in messages.
const char* fieldLabel(const std::string& key) {
    static const std::map<std::string, const char*> labels{
        {"P0", "initial pressure"},
        {"wt0", "initial volatile content"},
        {"cr0", "initial crystal content"},
        {"cr1", "final crystal content"},
        {"zb", "CO2 share of the volatiles"},
        {"mu", "elastic modulus of the chamber"},
        {"beta", "bulk modulus of the melt"},
        {"sa", "solubility factor s"},
        {"na", "solubility exponent n"},
        {"T0", "temperature"},
        {"rhoc0", "crystal density"},
        {"rhol0", "melt density"},
        {"chamber", "chamber volume"},
    };
    auto it = labels.find(key);
    return it == labels.end() ? "value" : it->second;
}

// The number a value of the key stands for, or a message naming the field
// when it is not a number.
bool readNumber(const std::string& key, const PropertyList* raw, double& out, std::string& why) {
    if (auto v = raw ? caseNumber(*raw) : std::nullopt) {
        out = *v;
        return true;
    }
    why = std::string("The ") + fieldLabel(key) + " is not a number" +
          (raw ? ": \"" + caseValueDescription(*raw) + "\"." : ".");
    return false;
}

bool need(const CaseForm& form, const std::string& key, double& out, std::string& why) {
    return readNumber(key, form.values.find(key), out, why);
}

// The solubility law the user gives (dissolved/melt = s P^n): both positive,
// or why not in the form's words.
bool solubilityLaw(double s, double n, std::string& why) {
    if (s > 0.0 && n > 0.0) return true;
    why = strfmt::format("The solubility factor s and the solubility exponent n must be positive (s = %g, n = %g): "
                         "the law dissolved/melt = s\xC2\xB7P\xE2\x81\xBF gives no volatile in the melt otherwise.",
                         s, n);
    return false;
}

// The largest chamber volume (km3) whose expansion figures are finite for
// every final state the model accepts: the chamber's volume grows at most by
// exp((kMaxPressure - kMinPressure)/kMinModulus) and the expelled liquid by
// kMaxPressure/kMinModulus + 1 more, the figures are in 1e6 m3; rounded down
// to a power of ten.
double largestChamberKm3() {
    const double growth =
        std::exp((TaitJaupart::kMaxPressure - TaitJaupart::kMinPressure) / TaitJaupart::kMinModulus) *
        (TaitJaupart::kMaxPressure / TaitJaupart::kMinModulus + 1.0) * 1000.0;
    return std::pow(10.0, std::floor(std::log10(std::numeric_limits<double>::max() / growth)));
}

// The chamber volume (km3): a positive number within that bound, or why it is not one.
bool chamberVolume(const PropertyList& value, double& km3, std::string& why) {
    if (!readNumber("chamber", &value, km3, why)) return false;
    if (!(km3 > 0.0)) {
        why = strfmt::format("The chamber volume must be positive: %@ km3.", caseValueDescription(value));
        return false;
    }
    if (km3 > largestChamberKm3()) {
        why = strfmt::format("The chamber volume %@ km3 lies above the %g km3 up to which its expansion figures "
                             "can be computed.",
                             caseValueDescription(value), largestChamberKm3());
        return false;
    }
    return true;
}

// A value as the form shows it after it went through single precision: the
// shortest decimal of the float, read back as a double.
double viaFloat(double v) {
    const float f = static_cast<float>(v);
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, f);
    double d = f;
    std::from_chars(buf, r.ptr, d);
    return d;
}

ResultField number(double v) {
    ResultField f;
    if (std::isfinite(v)) f.value = v;
    return f;
}

ResultField text(std::string t) {
    ResultField f;
    f.text = std::move(t);
    return f;
}

// a / b as a percentage, or "-" when there is nothing to share.
ResultField share(double a, double b) { return b > 0.0 ? number(100.0 * a / b) : text("-"); }

// The CO2 and H2O shares (%) of the volatiles of one phase ("gas" or "liq")
// with masses h2o and co2; a fluid of one volatile is all that volatile.
void fillShares(std::map<std::string, ResultField>& fields, const std::string& phase, const std::string& s, int fluid,
                double h2o, double co2) {
    if (fluid == kChamberFluidH2OCO2) {
        fields["mCO2" + phase + s] = share(co2, h2o + co2);
        fields["mH2O" + phase + s] = share(h2o, h2o + co2);
    } else {
        const bool isCO2 = fluid == kChamberFluidCO2;
        fields["mCO2" + phase + s] = number(isCO2 ? 100 : 0);
        fields["mH2O" + phase + s] = number(isCO2 ? 0 : 100);
    }
}

// The masses (kg) and volumes (m3) of one state of the chamber.
struct ChamberState {
    double melt;       // volatile-free melt
    double dissolved;  // volatiles dissolved in the melt
    double gas;        // volatiles in the gas
    double crystals;
    double volatiles;  // all volatiles
    double total;      // the chamber's whole mass
    double Vg, Vl, Vc, V;
};

// The mass and volume fields of one state (suffix "0" or "1").
void fillStateFields(std::map<std::string, ResultField>& f, const std::string& s, const ChamberState& c) {
    f["mMeltWt" + s] = number(100.0 * (c.melt + c.dissolved) / c.total);
    f["mGasWt" + s] = number(100.0 * c.gas / c.total);
    f["mDissolWt" + s] = share(c.dissolved, c.dissolved + c.gas);
    f["mExsolWt" + s] = share(c.gas, c.dissolved + c.gas);
    f["mGasVol" + s] = number(100.0 * c.Vg / c.V);
    f["mMeltVol" + s] = number(100.0 * c.Vl / c.V);
    f["mCrystalVol" + s] = number(100.0 * c.Vc / c.V);
    f["mDensity" + s] = number(c.total / c.V);
    f["mVolam" + s] = share(c.dissolved, c.dissolved + c.melt);
    f["mVolamg" + s] = share(c.volatiles, c.total - c.crystals);
    f["mMl" + s] = number(c.melt);
    f["mMc" + s] = number(c.crystals);
}

// The composition fields of one state (suffix "0" or "1").  g1, d1 are the gas
// and dissolved masses of volatile 1, g2, d2 those of CO2 (mixture).
void fillComposition(std::map<std::string, ResultField>& fields, const std::string& s, int fluid, bool saturated,
                     double g1, double g2, double d1, double d2) {
    double gasH2O = 0, gasCO2 = 0, disH2O = 0, disCO2 = 0;
    switch (fluid) {
    case kChamberFluidCO2:
        gasCO2 = g1;
        disCO2 = d1;
        break;
    case kChamberFluidH2OCO2:
        gasH2O = g1;
        gasCO2 = g2;
        disH2O = d1;
        disCO2 = d2;
        break;
    default:  // H2O and the user-defined volatile
        gasH2O = g1;
        disH2O = d1;
        break;
    }
    if (saturated) {
        fillShares(fields, "gas", s, fluid, gasH2O, gasCO2);
        fields["mMga" + s] = number(gasH2O);
        fields["mMgb" + s] = number(gasCO2);
    } else {
        fields["mCO2gas" + s] = text("-");
        fields["mH2Ogas" + s] = text("-");
        fields["mMga" + s] = number(0);
        fields["mMgb" + s] = number(0);
    }
    fillShares(fields, "liq", s, fluid, disH2O, disCO2);
    fields["mMda" + s] = number(disH2O);
    fields["mMdb" + s] = number(disCO2);
}

std::string exsolutionXLabel(int fluid, int unit) {
    const char* u = unit == kUnitPpm ? "ppm" : "wt %";
    switch (fluid) {
    case kChamberFluidH2O: return strfmt::format("H2O in (melt+gas), %@", u);
    case kChamberFluidCO2: return strfmt::format("CO2 in (melt+gas), %@", u);
    case kChamberFluidUser: return strfmt::format("Volatile in (melt+gas), %@", u);
    case kChamberFluidH2OCO2: return strfmt::format("H2O+CO2 in (melt+gas), %@", u);
    default: return {};
    }
}

}  // namespace

std::optional<double> caseNumber(const PropertyList& v) {
    if (v.isNumber()) {
        const double d = v.realValue();
        return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
    }
    if (!v.isString()) return std::nullopt;
    const std::string& s = v.stringValue();
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos) return std::nullopt;
    const char* first = s.data() + b;
    const char* last = s.data() + e + 1;
    // from_chars takes no plus sign; one plus and no other sign after it.
    if (*first == '+') {
        ++first;
        if (first == last || *first == '-' || *first == '+') return std::nullopt;
    }
    double d = 0.0;
    auto r = std::from_chars(first, last, d);
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(d)) return std::nullopt;
    return d;
}

PropertyList formValueFromText(const std::string& t) {
    PropertyList s = PropertyList::string(t);
    if (auto d = caseNumber(s)) return PropertyList::real(*d);
    return s;
}

bool sameFormValue(const PropertyList& a, const PropertyList& b) {
    if (a.isString() && b.isString()) return a.stringValue() == b.stringValue();
    // A number typed as text shows the same as that number.
    const std::optional<double> x = caseNumber(a), y = caseNumber(b);
    if (x && y) return *x == *y;
    // A value that is not a number (a file written elsewhere) stands for
    // itself: read and written back unchanged it is no edit.
    if (a.isReal() && b.isReal() && std::isnan(a.realValue()) && std::isnan(b.realValue())) return true;
    return a == b;
}

CaseForm::CaseForm() : values(newCaseDictionary()) {}

CaseForm::CaseForm(PropertyList caseValues) : values(std::move(caseValues)) {
    // A case always answers every key: missing ones take the new case's values.
    const PropertyList defaults = newCaseDictionary();
    for (const std::string& k : caseKeys())
        if (!values.contains(k)) values.set(k, *defaults.find(k));
}

namespace {
// A kind of melt or volatile: a whole number within reach of an int, else -1
// (no kind: 1.4 is neither kind 1 nor kind 2).
int kindTag(std::optional<double> v) {
    return v && *v == std::floor(*v) && std::fabs(*v) < 1e9 ? static_cast<int>(*v) : -1;
}
}  // namespace

int CaseForm::melt() const { return kindTag(number("melt")); }

int CaseForm::fluid() const { return kindTag(number("fluid")); }

std::optional<double> CaseForm::number(const std::string& key) const {
    const PropertyList* v = values.find(key);
    return v ? caseNumber(*v) : std::nullopt;
}

void CaseForm::setNumber(const std::string& key, double v) { values.set(key, PropertyList::real(v)); }

bool CaseForm::changesSaturation(const std::string& key) {
    return key == "P0" || key == "wt0" || key == "zb" || key == "fluid" || key == "melt" || key == "sa" ||
           key == "na";
}

const ResultField& CalculationResult::field(const std::string& name) const {
    static const ResultField none;
    auto it = fields.find(name);
    return it == fields.end() ? none : it->second;
}

ChamberCalculator::ChamberCalculator() = default;

bool ChamberCalculator::configureModel(CaseForm& form, std::string& why) {
    TaitJaupart& m = mModel;
    const int melt = form.melt();
    const int fluid = form.fluid();
    if (melt < kChamberMelt2700 || melt > kChamberMeltUser) {
        why = "Unknown kind of melt.";
        return false;
    }
    if (fluid < kChamberFluidH2O || fluid > kChamberFluidH2OCO2) {
        why = "Unknown kind of volatile.";
        return false;
    }
    if (melt == kChamberMeltUser && fluid == kChamberFluidH2OCO2) {
        why = kUserMeltMixtureRefusal;
        return false;
    }
    m.setMagmaType(melt);
    if (melt == kChamberMeltUser) {
        double rhol0 = 0, rhoc0 = 0, T = 0, sa = 0, na = 0;
        if (!need(form, "rhol0", rhol0, why) || !need(form, "rhoc0", rhoc0, why) || !need(form, "T0", T, why) ||
            !need(form, "sa", sa, why) || !need(form, "na", na, why))
            return false;
        m.rhol0 = rhol0;
        m.rhoc0 = rhoc0;
        m.T = T;
        if (!solubilityLaw(sa, na, why)) return false;
        m.sa = sa;
        m.na = na;
        // A user-defined melt has no CO2 solubility of its own: nothing left
        // from an earlier case may stand in for it.
        m.sb = m.nb = 0.0;
    } else {
        form.setNumber("rhol0", m.rhol0);
        form.setNumber("rhoc0", m.rhoc0);
        form.setNumber("T0", m.T);
    }
    switch (fluid) {
    case kChamberFluidUser: {
        double sa = 0, na = 0;
        if (!need(form, "sa", sa, why) || !need(form, "na", na, why) || !solubilityLaw(sa, na, why)) return false;
        // The model is told that its volatile is user-defined (ideal gas) and
        // given a molar mass, so that nothing of the previous volatile stays.
        m.setFluid(kChamberFluidUser, 0.0);
        m.Mg = m.Mw1 = kUserVolatileMolarMass;
        m.Mw2 = 0.044;
        m.vd1 = m.vd2 = 0.0;
        m.sa = sa;
        m.na = na;
        form.setNumber("zb", 0);
        break;
    }
    case kChamberFluidH2O:
    case kChamberFluidCO2:
        m.setFluid(fluid, 0.0);
        form.setNumber("zb", fluid == kChamberFluidCO2 ? 100 : 0);
        form.setNumber("sa", m.sa);
        form.setNumber("na", m.na);
        break;
    case kChamberFluidH2OCO2: {
        double z = 0;
        if (!need(form, "zb", z, why)) return false;
        m.setFluid(kChamberFluidH2OCO2, z / 100.0);
        form.setNumber("sa", m.sa);
        form.setNumber("na", m.na);
        break;
    }
    }
    m.useEOS = form.useEOS ? 1 : 0;
    return true;
}

bool ChamberCalculator::readInputs(const CaseForm& form, Inputs& in, std::string& why) const {
    double P0 = 0, cr0 = 0, cr1 = 0, wt0 = 0, zb = 0;
    if (!need(form, "P0", P0, why) || !need(form, "cr0", cr0, why) || !need(form, "cr1", cr1, why) ||
        !need(form, "wt0", wt0, why) || !need(form, "mu", in.mu, why) || !need(form, "beta", in.beta, why))
        return false;
    if (form.fluid() == kChamberFluidH2OCO2 && !need(form, "zb", zb, why)) return false;
    if (!(P0 > 0.0)) {
        why = "The initial pressure must be positive.";
        return false;
    }
    // Checked in bar, as typed, and said as the model says it: in pascal
    // 1e308 bar is no number.  The bounds in bar are the quotients, exact
    // (1e-5 times 1e7 Pa is a hair above 100 bar), so that each bound lies
    // inside the range.
    if (!(P0 >= TaitJaupart::kMinPressure / 1e5 && P0 <= TaitJaupart::kMaxPressure / 1e5)) {
        why = "No initial state: " + TaitJaupart::initialPressureRefusal(P0);
        return false;
    }
    if (!(cr0 >= 0.0 && cr0 < 100.0) || !(cr1 >= 0.0 && cr1 < 100.0)) {
        why = "The crystal contents must lie between 0 and 100 wt %.";
        return false;
    }
    if (!(wt0 >= 0.0) || !(wt0 + cr0 < 100.0)) {
        why = "The initial volatile content must not be negative and must leave some melt beside the crystals.";
        return false;
    }
    if (form.fluid() == kChamberFluidH2OCO2 && !(zb >= 0.0 && zb <= 100.0)) {
        why = "The CO2 share of the volatiles must lie between 0 and 100 %.";
        return false;
    }
    // Outside this range the chamber's volumes overflow or leave no pressure
    // the search can find: refused here, with the range named, rather than
    // failing as a result.
    for (auto [name, v] : {std::pair{"elastic modulus of the chamber \xCE\xBC", in.mu},
                           std::pair{"bulk modulus of the melt \xCE\xB2", in.beta}}) {
        if (!(v >= TaitJaupart::kMinModulus && v <= TaitJaupart::kMaxModulus)) {
            why = strfmt::format("The %@ = %@ Pa lies outside the range the chamber model computes "
                                 "with, %@ Pa to %@ Pa (rocks and melts lie near 1e+10 Pa).",
                                 name, caseValueDescription(PropertyList::real(v)),
                                 caseValueDescription(PropertyList::real(TaitJaupart::kMinModulus)),
                                 caseValueDescription(PropertyList::real(TaitJaupart::kMaxModulus)));
            return false;
        }
    }
    in.P0 = P0 * 1e5;
    in.X0 = cr0 / 100.0;
    in.X1 = cr1 / 100.0;
    in.w = wt0 / 100.0;
    in.z = form.fluid() == kChamberFluidH2OCO2 ? zb / 100.0 : 0.0;
    return true;
}

bool ChamberCalculator::saturateFluid(CaseForm& form, std::string& why) {
    if (!configureModel(form, why)) return false;
    double P0 = 0, cr0 = 0, wt0 = 0, zb = 0;
    if (!need(form, "P0", P0, why) || !need(form, "cr0", cr0, why) || !need(form, "wt0", wt0, why)) return false;
    if (form.fluid() == kChamberFluidH2OCO2 && !need(form, "zb", zb, why)) return false;
    if (!(P0 > 0.0) || !(cr0 >= 0.0 && cr0 < 100.0)) {
        why = "The saturation content needs a positive pressure and a crystal content below 100 wt %.";
        return false;
    }
    // Outside the pressures at which the solubility laws were measured the
    // law's content means nothing (it tends to all of the melt at great
    // pressure): the volatile content the user gave stays.
    if (!(P0 * 1e5 >= TaitJaupart::kMinPressure && P0 * 1e5 <= TaitJaupart::kMaxPressure)) {
        why = strfmt::format("The saturation content is not computed at %g bar: the solubility laws hold from %g bar "
                             "to %g bar.",
                             P0, 1e-5 * TaitJaupart::kMinPressure, 1e-5 * TaitJaupart::kMaxPressure);
        return false;
    }
    TaitJaupart& m = mModel;
    if (!(m.sa > 0.0) || !(m.na > 0.0) || (form.fluid() == kChamberFluidH2OCO2 && !(m.sb > 0.0 && m.nb > 0.0))) {
        why = "The saturation content needs the solubility laws of the volatiles.";
        return false;
    }
    m.M = kChamberMass;
    const double w = wt0 / 100.0;
    double D = 0;
    if (form.fluid() == kChamberFluidH2OCO2) {
        const double z = zb / 100.0;
        m.calculateSaturation(P0 * 1e5, cr0 / 100.0, (1.0 - z) * w, w * z);
        D = m.mdSat + m.mdSatCO2;
    } else {
        m.calculateSaturation(P0 * 1e5, cr0 / 100.0, w, 0.0);
        D = m.mdSat;
    }
    if (!std::isfinite(D)) {
        why = "The saturation content could not be computed.";
        return false;
    }
    form.saturated = true;
    form.setNumber("wt0", 100.0 * D / m.M);
    return true;
}

namespace {
// A gas mass left by the subtraction of nearly equal volatile masses (a melt
// just at saturation) is no gas: below 1e-12 of the chamber's mass it is the
// round-off of the masses themselves, and is shown as nil.
bool roundOffGas(double gas, double total) { return !(gas > 1e-12 * total); }

// The pressure is solved to 1e-9 of itself: a smaller difference from P0 is
// the search's tolerance, not an overpressure.
bool withinPressureTolerance(double P, double P0) { return std::fabs(P - P0) <= 1e-9 * P0; }
}  // namespace

void ChamberCalculator::fillInitialFields(CalculationResult& r, int fluid) const {
    const TaitJaupart& m = mModel;
    auto& f = r.fields;
    // A melt at saturation (its gas nil or a speck of round-off) shows the
    // composition of its incipient gas, with no gas mass.
    const bool speck = roundOffGas(m.mg0 + m.mg0CO2, m.M);
    const double gas = speck ? 0.0 : m.mg0 + m.mg0CO2;
    const double dis = m.md0 + m.md0CO2 + (m.mg0 + m.mg0CO2 - gas);
    fillStateFields(f, "0", {m.ml0, dis, gas, m.mc0, m.mv + m.mvCO2, m.M, speck ? 0.0 : m.Vg0, m.Vl0, m.Vc0, m.V0});
    r.undersaturated0 = m.saturated0 == 0;
    fillComposition(f, "0", fluid, m.saturated0 != 0, speck ? 0.0 : m.mg0, speck ? 0.0 : m.mg0CO2, m.md0, m.md0CO2);
}

void ChamberCalculator::fillFinalFields(CalculationResult& r, int fluid) const {
    const TaitJaupart& m = mModel;
    auto& f = r.fields;
    const bool speck = roundOffGas(m.mg + m.mgCO2, m.M);
    const double gas = speck ? 0.0 : m.mg + m.mgCO2;
    const double dis = m.md + m.mdCO2 + (m.mg + m.mgCO2 - gas);
    f["mP1"] = number(1e-5 * m.P);
    const double overpressure = withinPressureTolerance(m.P, m.P0) ? 0.0 : m.P - m.P0;
    f["mOverpressure"] = number(1e-5 * overpressure);
    fillStateFields(f, "1", {m.ml, dis, gas, m.mc, gas + dis, m.M, speck ? 0.0 : m.Vg, m.Vl, m.Vc, m.V});
    r.undersaturated1 = m.saturated == 0;
    fillComposition(f, "1", fluid, m.saturated != 0, speck ? 0.0 : m.mg, speck ? 0.0 : m.mgCO2, m.md, m.mdCO2);
}

namespace {
// The closed-form pressure K P0 / (K (1 - X) + X) is an approximation of the
// pressure the chamber's volume balance gives: said as such, beside it.
std::string closedFormPressureLine(const TaitJaupart& m) {
    return strfmt::format("\tP  : %lg bar, the closed-form approximation (the pressure solved: %lg bar)",
                          1e-5 * m.Papprox, 1e-5 * m.P);
}
}  // namespace

CalculationResult ChamberCalculator::calculate(CaseForm& form, const std::string& caseName) {
    CalculationResult r;
    TaitJaupart& m = mModel;
    mHaveFinal = false;
    const int melt = form.melt();
    const int fluid = form.fluid();
    r.meltEditable = melt == kChamberMeltUser;
    r.solubilityEditable = melt == kChamberMeltUser || fluid == kChamberFluidUser;
    r.co2ShareEditable = fluid == kChamberFluidH2OCO2;

    std::string why;
    bool ok = configureModel(form, why);
    if (ok && !form.saturated && form.imposeSaturation) ok = saturateFluid(form, why);

    // The volatile axis in wt % from 0.5 wt % up, in ppm below.
    const std::optional<double> wt0 = form.number("wt0");
    r.unit = wt0 && *wt0 < 0.5 ? kUnitPpm : kUnitWtPercent;
    r.exsolXLabel = exsolutionXLabel(fluid, r.unit);
    const double f = r.unit == kUnitPpm ? 10000.0 : 1.0;

    // The inputs are read (and refused) before anything is drawn from them: a
    // CO2 share of 150 % or a negative content has no solubility curve.
    Inputs in;
    if (ok) ok = readInputs(form, in, why);
    if (!ok) {
        r.status = why;
        r.logLines = {strfmt::format("Case : %@", caseName), "\t" + why};
        return r;
    }

    // The solubility curve needs only the volatile (and, for the mixture, the
    // composition of the chamber's volatiles).
    std::vector<double> points;
    if (m.calculateSolubilityCurve(in.X0, in.w, in.z, kArrayOfValues, nullptr, &points) > 0) {
        for (size_t i = 0; i + kSolubilityCurvePointSize <= points.size(); i += kSolubilityCurvePointSize)
            r.solubilityCurve.push_back({points[i] * f, points[i + 1]});
    }

    m.message.clear();
    if (!m.setInitialData(kChamberMass, in.P0, in.X0, in.w, in.z)) {
        r.status = "No initial state: " + m.message;
        r.logLines = {strfmt::format("Case : %@", caseName), "\t" + r.status};
        return r;
    }
    m.mu = in.mu;
    m.beta = in.beta;
    r.initialState = true;
    fillInitialFields(r, fluid);
    const double content0 = 100.0 * (m.md0 + m.mg0 + m.md0CO2 + m.mg0CO2) / (m.M - m.mc0);
    r.exsolInitial = CurveXY{content0 * f, 1e-5 * m.P0};
    r.pressureInitial = CurveXY{100.0 * m.mc0 / m.M, 1e-5 * m.P0};

    if (m.calculateOverpressure(in.X1) == 0) {
        r.finalState = true;
        fillFinalFields(r, fluid);
        const double content1 = 100.0 * (m.md + m.mg + m.mdCO2 + m.mgCO2) / (m.M - m.mc);
        r.exsolFinal = CurveXY{content1 * f, 1e-5 * m.P};
        r.pressureFinal = CurveXY{100.0 * m.mc / m.M, 1e-5 * m.P};
        mHaveFinal = true;
        mV = m.V;
        mV0 = m.V0;
        mVg = m.Vg;
        mP = m.P;
        mP0 = m.P0;
        mBeta = m.beta;
        // H = (D P + ml)/D and the approximate pressure through K hold for a
        // melt with dissolved volatiles D; without any, the model's zeros are
        // no values and are not shown as such.
        const bool dissolved = m.md + m.mdCO2 > 0.0;
        const char* none = "undefined, no volatile is dissolved";
        r.logLines = {strfmt::format("Case : %@", caseName),
                      strfmt::format("\tK1 : %lg", m.K1),
                      strfmt::format("\tK2 : %lg", m.K2),
                      strfmt::format("\tK3 : %lg", m.K3),
                      strfmt::format("\tK  : %lg", m.K + 0.0),  // + 0.0: the zero of no dissolved volatile, unsigned
                      dissolved ? strfmt::format("\tH  : %lg", m.H) : strfmt::format("\tH  : %@", none),
                      dissolved ? closedFormPressureLine(m) : strfmt::format("\tP  : %@", none)};
    } else {
        r.status = "No state at the final crystal content: " + m.message;
        r.logLines = {strfmt::format("Case : %@", caseName), "\t" + r.status};
    }
    std::string chamberWhy;
    for (auto& [name, value] : chamberExpansion(*form.values.find("chamber"), &chamberWhy)) r.fields[name] = value;
    if (r.finalState) r.status = chamberWhy;

    // Crystallisation from the initial to the final crystal content: the
    // pressure, and the volatile content of melt and gas on the way.
    crystallizationCurve(in, f, r);
    return r;
}

void ChamberCalculator::crystallizationCurve(const Inputs& in, double f, CalculationResult& r) {
    std::vector<double> rows;
    std::vector<platform::ThreadLogCapture::Entry> said;
    {
        // The curve's notes belong to this calculation: kept apart from the
        // model's notes on its gases, which are said once.
        platform::ThreadLogCapture capture;
        mModel.calculateCrystallizationCurve(in.X0, in.X1, kArrayOfValues, nullptr, &rows);
        said = capture.take();
    }
    std::vector<platform::ThreadLogCapture::Entry> others;
    for (auto& e : said) {
        if (e.channel != platform::ThreadLogCapture::Channel::Diagnostic) {
            others.push_back(std::move(e));
            continue;
        }
        while (!e.text.empty() && e.text.back() == '\n') e.text.pop_back();
        r.logLines.push_back("\t" + e.text);
        r.curveNotes.push_back(std::move(e.text));
    }
    platform::ThreadLogCapture::replay(others);
    for (size_t i = 0; i + kCrystallizationCurveRowSize <= rows.size(); i += kCrystallizationCurveRowSize) {
        const double* row = &rows[i];
        r.crystallizationCurve.push_back({row[0], row[7]});
        r.exsolutionPath.push_back({100.0 * (row[2] + row[3]) / (100.0 - row[0]) * f, row[7]});
    }
    r.curveBreaks = rowsAfterLeftOutRows(r.crystallizationCurve);
}

std::vector<size_t> rowsAfterLeftOutRows(const std::vector<CurveXY>& curve) {
    // The rows come a step of crystals apart (the last one nearer): a wider
    // gap holds rows left out, which no line may bridge.
    const double step = 100.0 * kCrystallizationStep;
    std::vector<size_t> after;
    for (size_t i = 1; i < curve.size(); ++i)
        if (!(std::fabs(curve[i].x - curve[i - 1].x) <= 1.5 * step)) after.push_back(i);
    return after;
}

std::map<std::string, ResultField> ChamberCalculator::chamberExpansion(const PropertyList& chamberKm3,
                                                                      std::string* why) const {
    std::map<std::string, ResultField> f{
        {"mChamberExp", {}}, {"mChamberRel", {}}, {"mExpulLiquid", {}}, {"mExpandedLiquid", {}}};
    std::string reason;
    double C = 0;
    if (why) why->clear();
    if (!mHaveFinal) return f;
    if (!chamberVolume(chamberKm3, C, reason)) {
        // A volume that is not positive would turn the expansion's sign; one too large gives no number.
        if (why) *why = reason;
        return f;
    }
    // No expansion where the pressure is P0 within the search's tolerance (as the overpressure).
    const double r = withinPressureTolerance(mP, mP0) ? 0.0 : std::max(0.0, (mV - mV0) / mV0);
    const double expansion = C * r * 1000.0;  // 1e6 m3
    const double expelled = (1.0 - mVg / mV) * expansion;
    f["mChamberExp"] = number(expansion);
    f["mChamberRel"] = number(r);
    f["mExpulLiquid"] = number(expelled);
    f["mExpandedLiquid"] = number(((mP - 1e5) / mBeta + 1.0) * expelled);
    return f;
}

bool ChamberCalculator::applyPlotSelection(CaseForm& form, Plot plot, float x, float y, bool shift, int unit) {
    if (x == 0.0f && y == 0.0f) return false;
    auto set = [&form](const std::string& key, double v) {
        const double shown = viaFloat(v);
        if (CaseForm::changesSaturation(key) && form.number(key) != std::optional<double>(shown))
            form.saturated = false;
        form.setNumber(key, shown);
    };
    if (plot == Plot::exsolution) {
        const double content = unit == kUnitPpm ? x * 0.0001 : x;  // wt % of melt and gas
        if (shift) {
            // The final crystal content at which the volatiles of melt and gas
            // reach the clicked content.
            const std::optional<double> wt0 = form.number("wt0");
            if (!wt0 || !(content > 0.0)) return false;
            set("cr1", 100.0 * (1.0 - *wt0 / content));
        } else {
            const double cr0 = form.number("cr0").value_or(0.0);
            set("wt0", content * (1.0 - cr0 / 100.0));
            set("P0", y);
        }
    } else {
        if (shift) {
            set("cr1", x);
        } else {
            set("P0", y);
            set("cr0", x);
        }
    }
    return true;
}

std::string ChamberCalculator::eruptionTableHeader() {
    return strfmt::format("%5s %12s %12s %12s %12s %12s", "#", "M0 (Gm3)", "m (Mm3)", "mc (Gm3)", "% volat.",
                          "yCO2 (%)");
}

EruptionReport ChamberCalculator::eruptiveSequence(const CaseForm& form, double thresholdBar,
                                                   const EruptionProgress& progress) {
    EruptionReport rep;
    rep.lines.push_back("Eruptive sequence (homogeneous flow)");
    rep.lines.push_back(eruptionTableHeader());
    CaseForm f = form;
    std::string why;
    Inputs in;
    double chamber = 0;
    bool ok = configureModel(f, why) && readInputs(f, in, why) && chamberVolume(*f.values.find("chamber"), chamber, why);
    TaitJaupart& m = mModel;
    m.message.clear();
    if (ok && !m.setInitialData(kChamberMass, in.P0, in.X0, in.w, in.z)) {
        why = "No initial state: " + m.message;
        ok = false;
    }
    if (ok) ok = thresholdInRange(thresholdBar, in.P0, why);
    if (!ok) {
        rep.stoppedEarly = true;
        rep.lines.push_back("The sequence was not computed: " + why);
        return rep;
    }
    m.mu = in.mu;
    m.beta = in.beta;
    m.message.clear();
    std::vector<double> rows;
    rep.end = m.calculateEruptionSequence(thresholdBar * 1e5, &rows, progress);
    const double s = chamber / 1000.0;
    const size_t n = rows.size() / kEruptionSequenceRowSize;
    for (size_t i = 0; i < n; ++i) {
        const double* r = &rows[i * kEruptionSequenceRowSize];
        rep.lines.push_back(strfmt::format("%5d %12.3lf %12.3lf %12.2lf %12.2lf %12.2lf", i + 1, r[9] * s,
                                           r[1] * s * 1000.0, r[6] * s, 100.0 * r[5], 100.0 * r[4]));
    }
    rep.eruptions = static_cast<int>(n);
    if (rep.end != EruptionSequenceEnd::halfCrystallised) {
        rep.stoppedEarly = true;
        rep.lines.push_back(earlyEndLine(rep.end, rep.eruptions, m.message));
    }
    return rep;
}

bool ChamberCalculator::thresholdInRange(double thresholdBar, double P0, std::string& why) {
    const double P0bar = P0 / 1e5, highest = (TaitJaupart::kMaxPressure - P0) / 1e5;
    if (std::isnan(thresholdBar)) {
        why = "The overpressure at eruption is not a number.";
    } else if (!(thresholdBar > 0.0)) {
        why = strfmt::format("The overpressure at eruption must be positive: %g bar.", thresholdBar);
    } else if (!(thresholdBar <= highest)) {
        // The chamber would erupt above the range of its solubility laws.
        why = strfmt::format("The overpressure at eruption, %g bar, lies outside the 0 to %g bar that the chamber, "
                             "at %g bar, can reach within the %g bar to which its solubility laws were calibrated.",
                             thresholdBar, highest, P0bar, 1e-5 * TaitJaupart::kMaxPressure);
    } else {
        return true;
    }
    return false;
}

std::string ChamberCalculator::earlyEndLine(EruptionSequenceEnd end, int eruptions, const std::string& modelWhy) {
    const std::string after =
        eruptions == 0 ? std::string("before its first eruption")
                       : strfmt::format("after %d eruption%@, before half of the mass is crystals", eruptions,
                                        eruptions == 1 ? "" : "s");
    // The model's reason, where it gave one, says what its end text says and more.
    const std::string why = modelWhy.empty() ? eruptionSequenceEndText(end) : modelWhy;
    switch (end) {
    case EruptionSequenceEnd::cancelled: return "The sequence was cancelled " + after + ".";
    case EruptionSequenceEnd::notConfigured: return "The sequence was not computed: " + why;
    case EruptionSequenceEnd::overpressureNotReached:
        // Not reached at all: no eruption, and the model's sentence says why.
        if (eruptions == 0) return why;
        [[fallthrough]];
    default: return "The sequence stopped " + after + ": " + why;
    }
}

std::string ChamberCalculator::eruptionInputs(const CaseForm& form, double thresholdBar, const std::string& caseName) {
    // The numbers as the form shows them (a saturated content is computed to
    // all its digits; the form shows seven).
    auto value = [&form](const char* key) {
        const PropertyList* v = form.values.find(key);
        return !v ? std::string("?") : v->isReal() ? shownNumber(v->realValue()) : caseValueDescription(*v);
    };
    const char* fluids[] = {"H2O", "CO2", "user-defined volatile", "H2O-CO2"};
    const char* melts[] = {"melt of 2700 kg/m3 at 1473 K", "melt of 2300 kg/m3 at 1173 K", "user-defined melt"};
    const int fluid = form.fluid(), melt = form.melt();
    std::string volatiles = fluid >= 0 && fluid < 4 ? fluids[fluid] : "volatile of kind " + value("fluid");
    if (fluid == kChamberFluidH2OCO2) volatiles += " with " + value("zb") + " % CO2";
    std::string meltText = melt >= 0 && melt < 3 ? melts[melt] : "melt of kind " + value("melt");
    if (melt == kChamberMeltUser)
        meltText += " (" + value("rhol0") + " kg/m3, crystals " + value("rhoc0") + " kg/m3, " + value("T0") + " K)";
    // The gas densities the table was computed with: the user-defined
    // volatile has no equation of state and is always an ideal gas.
    const bool fromEOS = form.useEOS && fluid >= 0 && fluid < 4 && fluid != kChamberFluidUser;
    const std::string densities = fromEOS ? "gas densities from the equations of state" : "ideal-gas densities";
    return strfmt::format("Case \"%@\": P0 %@ bar, %@ wt %% %@, crystals %@ to %@ wt %%, %@, chamber %@ km3, "
                          "mu %@ Pa, beta %@ Pa, %@, overpressure at eruption %@ bar.",
                          caseName, value("P0"), value("wt0"), volatiles, value("cr0"), value("cr1"), meltText,
                          value("chamber"), value("mu"), value("beta"), densities, shownNumber(thresholdBar));
}

std::vector<std::string> ChamberCalculator::eruptionLogLines(const EruptionReport& report, size_t head, size_t tail,
                                                             const std::string& whereWhole) {
    const size_t rows = static_cast<size_t>(std::max(report.eruptions, 0));
    constexpr size_t kTitleLines = 2;  // the title and the column titles
    if (rows <= head + tail || report.lines.size() < kTitleLines + rows) return report.lines;
    std::vector<std::string> out(report.lines.begin(), report.lines.begin() + static_cast<long>(kTitleLines + head));
    out.push_back(strfmt::format("  ... %d rows (%d to %d) are left out here: the log keeps the first %d and the "
                                 "last %d rows of a table; the whole table of %d rows is in %@.",
                                 static_cast<int>(rows - head - tail), static_cast<int>(head + 1),
                                 static_cast<int>(rows - tail), static_cast<int>(head), static_cast<int>(tail),
                                 static_cast<int>(rows), whereWhole));
    out.insert(out.end(), report.lines.begin() + static_cast<long>(kTitleLines + rows - tail), report.lines.end());
    return out;
}
