#pragma once
// The calculations of the case document, in plain C++.
//
// A `CaseForm` is a snapshot of the document's form: the case keys as the
// fields hold them (numbers, or text that was typed), the fluid and melt tags,
// and the few controls that are not part of a case (gas densities from the
// equations of state, a setting of the whole document kept in its file;
// imposed saturation; the eruption threshold).  The
// `ChamberCalculator` owns the document's chamber model; it turns a form into
// model calls and gives back the result fields, the curves and markers of the
// two plots and the lines for the log window.  The Qt window only shows them.
//
// Units: the form holds pressures in bar, contents in wt % (crystals, volatile)
// or % (CO2 share), the chamber volume in km3; the model works in Pa and mass
// fractions for a chamber of 1000 kg.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "magma/TaitJaupart.h"
#include "platform/PropertyList.h"

// The number a form value stands for: a number, or text that reads entirely as
// a finite number (blanks around it allowed); nothing otherwise.
std::optional<double> caseNumber(const platform::PropertyList& value);
// What the form makes of a field's text: a real when it reads as a number,
// otherwise the text itself.
platform::PropertyList formValueFromText(const std::string& text);
// Two form values that stand for the same thing: equal texts, or equal
// numbers whether they are stored as numbers or as text.
bool sameFormValue(const platform::PropertyList& a, const platform::PropertyList& b);

// Unit of the volatile axis of the exsolution plot.
enum ExsolutionUnit : int { kUnitNotChosen = -1, kUnitPpm = 0, kUnitWtPercent = 1 };

// Why a user-defined melt takes no H2O-CO2 mixture: the melt is given one
// solubility law (the form's s and n), and the mixture needs the CO2 law of
// the melt as well, which only the preset melts have.
inline constexpr const char* kUserMeltMixtureRefusal =
    "A user-defined melt takes a single volatile: its solubility factor s and exponent n are the law of one "
    "volatile, and the H2O-CO2 mixture needs the CO2 law of the melt too, which only the two preset melts have. "
    "Choose H2O, CO2 or the user-defined volatile, or a preset melt.";

// Molar mass (kg/mol) given to a user-defined volatile: it is treated as an
// ideal gas of water's molar mass.
inline constexpr double kUserVolatileMolarMass = 0.018;

struct CaseForm {
    platform::PropertyList values;  // the 17 case keys
    bool useEOS = true;             // pure-volatile gas densities from the equations of state
    bool imposeSaturation = false;  // the initial volatile content is the saturation value
    bool saturated = false;         // ... and it has been set since the last relevant change

    CaseForm();
    explicit CaseForm(platform::PropertyList caseValues);

    int melt() const;
    int fluid() const;
    std::optional<double> number(const std::string& key) const;
    void setNumber(const std::string& key, double v);
    // Keys whose change makes the saturation value stale.
    static bool changesSaturation(const std::string& key);
};

// A result field: a number, or a text shown instead ("-" where the quantity
// does not exist, such as the gas composition of a melt without gas); neither
// means that the calculation gave no value.
struct ResultField {
    std::optional<double> value;
    std::string text;
    bool hasValue() const { return value.has_value(); }
};

struct CurveXY {
    double x = 0.0;
    double y = 0.0;
};

struct CalculationResult {
    bool initialState = false;  // the chamber's initial state was computed
    bool finalState = false;    // the pressure at the final crystal content was found
    std::string status;         // why values are missing; empty when nothing is
    // Result fields by name (mMeltWt0, mP1, ...).
    std::map<std::string, ResultField> fields;
    bool undersaturated0 = false, undersaturated1 = false;

    // Which inputs the user sets for this melt and fluid.
    bool meltEditable = false;        // densities and temperature
    bool solubilityEditable = false;  // solubility factor and exponent
    bool co2ShareEditable = false;

    // Exsolution plot: unit, axis title, solubility curve (dissolved volatile
    // against pressure), the path of the volatile content of melt and gas
    // during crystallisation, the initial and final states.
    int unit = kUnitWtPercent;
    std::string exsolXLabel;
    std::vector<CurveXY> solubilityCurve;
    std::vector<CurveXY> exsolutionPath;
    std::optional<CurveXY> exsolInitial, exsolFinal;
    // Pressure plot: pressure against crystal content and the two states.
    std::vector<CurveXY> crystallizationCurve;
    // The rows of the crystallisation curve (and of the exsolution path, row
    // for row) that follow rows the model left out: no line joins them to
    // the row before.
    std::vector<size_t> curveBreaks;
    // What the model said of this calculation's crystallisation curve (rows
    // left out, where and why), said with every calculation.
    std::vector<std::string> curveNotes;
    std::optional<CurveXY> pressureInitial, pressureFinal;

    // The closed-form terms of the case, for the log window.
    std::vector<std::string> logLines;

    const ResultField& field(const std::string& name) const;
};

// The rows of a crystallisation curve (crystals in wt %, pressure) that come
// more than a step of the sweep (kCrystallizationStep) after the row before:
// the rows between were left out, and no line may join the two.
std::vector<size_t> rowsAfterLeftOutRows(const std::vector<CurveXY>& curve);

// The eruption table written to the log window.
struct EruptionReport {
    std::vector<std::string> lines;
    int eruptions = 0;
    EruptionSequenceEnd end = EruptionSequenceEnd::notConfigured;
    bool stoppedEarly = false;
};

class ChamberCalculator {
public:
    enum class Plot { exsolution, pressure };

    ChamberCalculator();
    TaitJaupart& model() { return mModel; }
    const TaitJaupart& model() const { return mModel; }

    // Configures the model from the form and computes the initial state, the
    // state at the final crystal content, the curves and the log lines.  The
    // form receives what the model decides: the melt constants of a melt that
    // is not user-defined, the solubility law of a volatile that is not
    // user-defined, the CO2 share of a single volatile and, when saturation is
    // imposed, the saturation content.
    CalculationResult calculate(CaseForm& form, const std::string& caseName = std::string());

    // The initial volatile content at saturation for the form's pressure,
    // crystal content and CO2 share (the model set up for its melt and fluid);
    // false, with the reason, when the form does not allow it.
    bool saturateFluid(CaseForm& form, std::string& why);

    // The chamber expansion fields (mChamberExp, mChamberRel, mExpulLiquid,
    // mExpandedLiquid) for a chamber of the given volume (km3, the form's
    // value) and the states of the last calculation.  A volume that is not a
    // positive number gives no values, and *why says so.
    std::map<std::string, ResultField> chamberExpansion(const platform::PropertyList& chamberKm3,
                                                        std::string* why = nullptr) const;

    // A click in a plot at (x, y) in the plot's units takes the point as the
    // new initial state (pressure and volatile or crystal content) or, with
    // Shift, sets the final crystal content.  False when the click changes
    // nothing (a click at the origin, or no content for it).
    static bool applyPlotSelection(CaseForm& form, Plot plot, float x, float y, bool shift, int unit);

    // Runs the eruption sequence of the form's chamber for an overpressure
    // threshold in bar and lays out its table; the table's volumes are for the
    // form's chamber volume.  `progress` is told after each eruption and may
    // stop the sequence; the table then holds the eruptions so far.
    EruptionReport eruptiveSequence(const CaseForm& form, double thresholdBar,
                                    const EruptionProgress& progress = {});
    // Whether an overpressure threshold (bar) is one the chamber at P0 (Pa)
    // can erupt at within the range of its solubility laws; why not otherwise.
    static bool thresholdInRange(double thresholdBar, double P0, std::string& why);
    // The sentence that ends a table cut short: cancelled, refused (not
    // computed), not reached, or stopped after so many eruptions, with the
    // model's reason where it gave one.
    static std::string earlyEndLine(EruptionSequenceEnd end, int eruptions, const std::string& modelWhy);
    // The column titles of the eruption table: as wide as its rows.
    static std::string eruptionTableHeader();
    // What an eruption table was computed from, in one sentence: the case's
    // name, the inputs of the form that the sequence reads and whether its gas
    // densities came from the equations of state or were ideal.
    static std::string eruptionInputs(const CaseForm& form, double thresholdBar, const std::string& caseName);
    // The lines of an eruption report that go to the log: a table of more
    // than head + tail rows keeps its first `head` and last `tail` rows, with
    // a line between them that says how many rows are left out and that the
    // whole table is in `whereWhole`.
    static std::vector<std::string> eruptionLogLines(const EruptionReport& report, size_t head, size_t tail,
                                                     const std::string& whereWhole);

private:
    struct Inputs {
        double P0 = 0, X0 = 0, X1 = 0, w = 0, z = 0, mu = 0, beta = 0;
    };
    // Sets the melt and fluid of the model from the form and writes back what
    // the model decides; false, with the reason, when an input is not usable.
    bool configureModel(CaseForm& form, std::string& why);
    bool readInputs(const CaseForm& form, Inputs& in, std::string& why) const;
    void fillInitialFields(CalculationResult& r, int fluid) const;
    void fillFinalFields(CalculationResult& r, int fluid) const;
    // The crystallisation curve from in.X0 to in.X1 and the exsolution path
    // (volatile contents times f), broken where rows are left out, with the
    // model's notes on them.
    void crystallizationCurve(const Inputs& in, double f, CalculationResult& r);

    TaitJaupart mModel;
    // The states of the last calculation that the chamber expansion reads.
    bool mHaveFinal = false;
    double mV = 0, mV0 = 0, mVg = 0, mP = 0, mP0 = 0, mBeta = 0;
};
