#pragma once
// Palliser: the calculator of the H2O-NaCl phase diagram over its state
// record.  A concrete model (PalliserModel) supplies the property
// correlations and point solvers as virtual operations; on top of them this
// class places a state (T, P, X) in its phase region and computes its bulk
// density (calculateFluidDensity), inverts fluid-inclusion homogenisation and
// halite-dissolution temperatures, solves implicit points (SLV and critical
// points of a composition, bubble points at a pressure, isochoric pressures,
// depths) and builds the curves of the diagram as rows of numbers.
//
// Units: °C, bar, NaCl mass fraction, kg/m3 (the isochoric pressures and the
// curve builders take weight per cent where their argument is named Xwt).
// Failures are reported through pointFailed and sentinel results (0 or -1,
// the outputs beside them NaN);
// a failed fluid-inclusion inversion and an isochore denser than the model's
// range also say so on the log's diagnostic channel.
//
// Every entry point tests its arguments before it computes anything: a
// temperature, pressure, salinity or density that is not a finite number or
// lies outside the range of the call is refused (pointFailed set, NaN or the
// call's sentinel results, and a message naming the argument, the range it
// must lie in and the value given, NaN printed as nan).  A point solver (a
// void call) clears pointFailed first, so the flag always tells of the call
// just made; a property (a call returning its value) sets it on failure only.
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "brines/PhaseDiagramInfo.h"
#include "fluid/CriticalPoints.h"

class Palliser : public PhaseDiagramInfo {
public:
    Palliser();
    virtual ~Palliser() = default;
    Palliser(const Palliser&) = delete;
    Palliser& operator=(const Palliser&) = delete;

    // ---- constants
    double Ptriple = 0.0005;  // bar, NaCl triple point
    double Ttriple = 800.0;   // °C, melting point of halite
    double Pcw = 221.0;       // bar
    double Tcw = 374.15;      // °C
    double rhocw = kWaterCritical.rho;  // kg/m3
    // Critical point of water itself (IAPWS-95's), the critical point of
    // the composition X = 0.  (The bands
    // of the diagram part at Tcw, where its critical curve starts, at
    // 221.2 bar; water's saturation curve is continued up to there.)
    double TcwIAPWS = kWaterCritical.TCelsius();  // °C
    double PcwIAPWS = kWaterCritical.Pbar();      // bar
    double PcNaCl = 355.0;    // bar; replaced by calculateNaClSatCurve
    double TcNaCl = 3127.0;   // °C, top temperature of the model
    double rhocNaCl = -1.0;   // set by calculateNaClSatCurve
    double MNaCl = 0.058443;  // kg/mol
    double MH2O = 0.018015;   // kg/mol

    // ---- properties and point solvers of the concrete model
    virtual double getWaterLiquidDensity(double T, double P) = 0;
    virtual double getWaterVapourDensity(double T, double P) = 0;
    virtual void calculateWaterSaturationPoint(double T, double& P, double& rhol, double& rhov) = 0;
    virtual double getWaterSaturationTemperature(double P, double& rhol, double& rhov) = 0;
    virtual double getHaliteDensity() = 0;
    virtual double getNaClLiquidDensity(double T, double P) = 0;
    virtual double getNaClVapourDensity(double T, double P) = 0;
    virtual double getHaliteMeltingPressure(double T) = 0;
    virtual double getHaliteMeltingTemperature(double P) = 0;
    virtual double getHaliteMeltingTemperatureOffset(double P, double T0) = 0;
    virtual double getHaliteSublimationPressure(double T) = 0;
    virtual double calculateNaClSatPressure(double T) = 0;
    virtual double calculateNaClSatTemperature(double P) = 0;
    virtual void calculateNaClSaturationPoint(double T, double& P, double& rhol, double& rhov) = 0;
    virtual void calculateSLVPoint(double T, double& P, double& Xl, double& Xv, double& rhol, double& rhov) = 0;
    virtual void calculateHaliteGasSat(double T, double X, double& P, double& rho) = 0;
    virtual void calculateHaliteGasBubble(double T, double P, double& X, double& rho) = 0;
    virtual void calculateHaliteLiquidPoint(double T, double P, double& X, double Xstart, double& rho) = 0;
    virtual void calculateHaliteLiquidTemperature(double X, double P, double& T, double& rho, double Tstart) = 0;
    virtual void calculateHaliteLiquidTemperatureFromRhoX(double X, double rho, double& T, double& P,
                                                          double Tstart) = 0;
    virtual void calculateCriticalPoint(double T, double& P, double& X, double& rho) = 0;
    // The composition alone of the three-phase liquid and of the critical
    // point at T (the searches for a composition need no more).
    virtual double slvLiquidComposition(double T) = 0;
    virtual double criticalComposition(double T) = 0;
    virtual void calculateLGPoint(double T, double P, double& Xl, double& Xv, double& rhol, double& rhov) = 0;
    virtual void calculateBubblePoint(double T, double X, double& P, double& Xv, double& rhol, double& rhov) = 0;
    virtual void calculateDewPoint(double T, double X, double& P, double& a, double& b, double& rhov) = 0;
    virtual void calculateLiquidSaturationPoint(double T, double X, double& P, double& rho) = 0;
    virtual void calculateFreezingTemperature(double X, double c, double& T) = 0;
    virtual void calculateIceMeltingSalinity(double T, double c, double& X) = 0;
    virtual void preCalculate_Fixed_T_Parameters(double T) = 0;
    virtual void getLiquidGasPressureBounds(double T, double& Plow, double& Phigh) = 0;
    virtual void calculateForLiquidGasIsotherm(double T, double P, double& Xl, double& Xv, double& rhol,
                                               double& rhov) = 0;
    virtual void preCalculateHaliteGasBubble(double T) = 0;
    virtual void doCalculateHaliteGasBubble(double P, double& X, double& rho) = 0;
    virtual double getIsochoricWaterPressure(double T, double rho) = 0;
    virtual double calculateFluidDensityRegion2a() = 0;
    virtual double calculateFluidDensityRegion2b() = 0;
    virtual double calculateFluidDensityRegion4() = 0;
    virtual double calculateFluidDensityRegion6() = 0;
    virtual double calculateFluidDensityRegion7() = 0;
    virtual double calculateFluidDensityRegion8() = 0;
    // Bulk density of (T, P, X); fills the record (region, boundary fields,
    // fractions).  rhoIn decides the density on a pure-component saturation
    // curve and on the three-phase curve.
    virtual double calculateFluidDensity(double T, double P, double X, double rhoIn);

    // ---- lever rules over the record
    double calculateLiquidGasDensity();
    double calculateHaliteGasDensity();
    double calculateHaliteLiquidDensity();
    // A pure component on its saturation curve (liquid density rl, vapour
    // rv) at the bulk density rhoIn: all vapour below rv, all liquid above
    // rl, between them the lever rule in specific volume; the bulk density.
    double onSaturationCurve(double rhoIn, double rl, double rv);
    double calculateHaliteLiquidGasDensity(double T, double X, double rho);
    void getHaliteLiquidGasState(double T, double X, double rho, double& Pslv, double& wl, double& wv);
    double calculateWaterDensity(double T, double P, double rhoIn);
    double calculateNaClDensity(double T, double P, double rhoIn);

    // ---- fluid-inclusion inversion
    // Salinity X and bulk density rho of an inclusion that homogenises to
    // liquid at Th and whose halite dissolves at Tm; also the SLV pressure at
    // Tm, the homogenisation pressure Ph and the vapour volume fraction phiV at
    // Tm.  The search starts from (ThStart, Xstart, rhoStart) and, failing
    // that, from the halite-saturated liquid at Tm; when both fail X = rho =
    // NaN, pointFailed is set and a diagnostic says so.  Th below Tm (not this
    // inversion) writes Pslv, X = rho = NaN, sets pointFailed and says so.
    void calculateFromThTm(double Th, double Tm, double& X, double& rho, double ignored, double ThStart,
                           double Xstart, double rhoStart, double& Pslv, double& Ph, double& phiV);
    void equationForTmTh(double* x, double* G, double** J, int& err, int order, void* data);
    // Homogenisation (bubble-point) temperature of composition X and density
    // rho, P its pressure; NaN in both and pointFailed when the search fails.
    double calculateThLiq(double X, double rho, double Tstart, double& P);
    double equationForThLiq(double T, void* data);
    // The homogenisation temperature bracketed between the bottom of the
    // liquid-vapour surface and the critical point of X, and bisected;
    // par as equationForThLiq's.  NaN when the density lies outside.
    double bracketThLiq(double* par);

    // ---- halite dissolution
    // Temperature at which the three-phase liquid holds X; a composition
    // outside that of 0.1 °C (26.28 wt %, the peritectic of hydrohalite) to 1
    // is refused: NaN, pointFailed, a message.
    double calculateTm0(double X, double& rhol, double& P);
    double equationForTm0(double T, void* data);
    // Halite dissolution on the three-phase curve of an inclusion of X with
    // the vapour fraction phiV; on failure 0, rho = P = NaN, pointFailed and
    // a message.
    double calculateTm(double X, double phiV, double Tstart, double& rho, double& P);
    double equationForTm(double T, void* data);
    // Halite dissolution temperature of an inclusion of composition X whose
    // halite fills the volume fraction phiH at its three-phase temperature
    // Tslv (with the bulk density, the three-phase liquid Xl and pressure
    // Pslv, and the pressure P at dissolution).  On failure 0, NaN in every
    // output, pointFailed and a message.
    double calculateTm3(double X, double phiH, double Tstart, double& rho, double& Tslv, double& Xl,
                        double& Pslv, double& P);
    double equationForTm3(double T, void* data);
    void calculateSLVPointFromX(double X, double& T, double& P, double& Xv, double& rhol, double& rhov,
                                double Tstart);
    double equationForSLVX(double T, void* data);
    void calculateCriticalPointFromX(double X, double& T, double& P, double& rho);
    double equationForCriticalPoint(double T, void* data);

    // ---- bubble and boiling points
    // Temperature T at which the liquid of composition X has the bubble
    // pressure P, with the vapour's composition Xv and the two densities; the
    // search runs from Tstart and, failing that, brackets the temperature
    // between the eutectic and the critical point of X.  On failure T = -1,
    // Xv = rhol = rhov = NaN, pointFailed and a message.
    void calculateBubblePointFromP(double P, double X, double& T, double& Xv, double& rhol, double& rhov,
                                   double Tstart);
    // The bracketed search: par as equationForBubblePointFromP's; Tc, Pc the
    // critical point of X (NaN without one).  True with Tb at the root.
    bool bracketBubbleTemperature(double* par, double& Tb, double& Tc, double& Pc);
    double equationForBubblePointFromP(double T, void* data);
    // Pressure at which the liquid of bulk composition X at T holds the
    // vapour volume fraction phiV; on failure NaN in every output.
    void calculateBoilingPointWithGasVolume(double T, double X, double phiV, double& P, double& Xl, double& Xv,
                                            double& rhol, double& rhov, double& rho);
    double equationForBoilingGasVolume(double P, void* data);

    // ---- isochores (Xwt in weight per cent); 0 when the search fails, with
    // pointFailed and a message (getIsochoricFluidPressure says when the
    // density lies above what the model gives at the top of the diagram;
    // getIsochoricHaliteLiquidPressure's Xl is then NaN)
    double getIsochoricFluidPressure(double T, double Pstart, double rho, double Xwt);
    double equationForIsochoricFluidPressure(double P, void* data);
    double getIsochoricHaliteGasPressure(double T, double Pstart, double rho, double Xwt);
    double equationForIsochoricHaliteGasPressure(double P, void* data);
    double getIsochoricLiquidGasPressure(double T, double Pstart, double rho, double Xwt);
    double equationForIsochoricLiquidGasPressure(double P, void* data);
    // The pressure and the liquid's composition Xl of halite + liquid of bulk
    // density rho and composition Xwt at T, whatever the start Pstart; the
    // three-phase pressure where halite, liquid and vapour make that bulk.
    double getIsochoricHaliteLiquidPressure(double T, double Pstart, double rho, double Xwt, double& Xl);
    // The outcome of an isochoric search of the two- and three-phase
    // regions: Pr when found, else 0 with pointFailed and a message naming
    // the phases.
    double isochoricPressure(bool found, double Pr, const char* phases, double T, double rho, double Xwt);
    // The secant search of such an isochore on `fn` (par: T, rho, X, ...)
    // from x0, x1, and its outcome.
    double searchIsochoricPressure(ScalarEquationFn fn, double* par, double x0, double x1, const char* phases,
                                   double Xwt);
    // The three-phase pressure at T without a message (NaN without one).
    double quietThreePhasePressure(double T);
    double equationForIsochoricHaliteLiquidPressure(double P, void* data);
    // The pressure Pr (bar) of the halite + liquid isochore of par (T, rho,
    // X, the three-phase pressure, -, and the liquid's composition found)
    // from Plo to the top of the diagram: the lowest root; false without one.
    bool haliteLiquidIsochore(double* par, double Plo, double& Pr);

    // ---- depth (m)
    // Depth at P1 below the point (z0, P0) in a column of the bubble-point
    // liquid of composition X.  Returns z; on failure z is NaN and
    // pointFailed is set.
    double convertPressureToDepth(double X, double P0, double P1, double z0, double& z);
    double equationForDepthPressureConversion(double P, void* data);
    // The bubble point of X on a geotherm of gradient gradT from (T0, z0, P0);
    // on failure T = -1 and P, z, rhol NaN, pointFailed and a message.
    void calculateGeothermBubblePoint(double T0, double z0, double P0, double gradT, double X, double rhoCol,
                                      double& T, double& P, double& z, double& rhol);
    double equationForGeothermBubblePoint(double T, void* data);

    // ---- curve builders: rows appended to `array`
    void calculateHaliteGasIsopleth(std::vector<double>& array, double X);
    void calculateGasIsopleth(std::vector<double>& array, double Xwt, double T0, double, double, double);
    void calculateLiquidIsopleth(std::vector<double>& array, double Xwt, double Tend, double T0);
    void calculateIsobaricHaliteLiquidCurve(std::vector<double>& array, double P, double T0, double T1);
    void calculateIsobaricHaliteGasCurve(std::vector<double>& array, double P, double T0, double T1);
    void calculateIsobaricLiquidGas1(std::vector<double>& array, double P, double Tend, double T0);
    void calculateIsobaricLiquidGas2(std::vector<double>& array, double P, double T0, double T1);
    void calculateIsobaricLiquidGas3(std::vector<double>& array, double P, double T0, double T1);
    void calculateHaliteLiquidIsotherm(std::vector<double>& array, double T);
    void calculateHaliteGasIsotherm(std::vector<double>& array, double T);
    void calculateLiquidGasIsotherm(std::vector<double>& array, double T);
    void calculateNaClSublimationCurve(std::vector<double>& array);
    void calculateCriticalCurve(std::vector<double>& array);
    void calculateNaClSatCurve(std::vector<double>& array);
    void calculateSLVCurve(std::vector<double>& array);
    void calculateIceMeltingCurve(std::vector<double>& array, double c);
    void calculateTheIsochor(std::vector<double>& array, double X, double T0, double P0, double T1, double rho);
    void calculateBoilingCurveWithGasVolume(std::vector<double>& array, double Xwt, double phiPct, double Tend,
                                            double T0);
    void calculateSpinodalCurve(std::vector<double>& array, double X);
    void calculateHaliteLiquidIsopleth(std::vector<double>& array, double X, double Tstart);

    // Top temperature of the mixture's correlations (°C): no mixture, critical
    // point or liquid-vapour surface above it.
    double TmixTop = 1000.0;

    // While a QuietScope lives, refusals of the point solvers set their
    // flags without a message (searches that probe outside a boundary and
    // handle the failure themselves).
    struct QuietScope {
        explicit QuietScope(Palliser& p) : owner(p) { ++owner.quiet; }
        ~QuietScope() { --owner.quiet; }
        QuietScope(const QuietScope&) = delete;
        QuietScope& operator=(const QuietScope&) = delete;
        Palliser& owner;
    };

    // Lives over a curve builder (made before its QuietScope): a curve that
    // ends without a row is refused as a whole, naming the call and the
    // sweep asked for (pointFailed set, one message); one with rows clears
    // pointFailed.
    struct CurveScope {
        CurveScope(Palliser& p, const char* call, const std::vector<double>& rows, std::string sweep)
            : owner(p), name(call), array(rows), start(rows.size()), what(std::move(sweep)) {}
        ~CurveScope();
        CurveScope(const CurveScope&) = delete;
        CurveScope& operator=(const CurveScope&) = delete;
        Palliser& owner;
        const char* name;
        const std::vector<double>& array;
        std::size_t start;
        std::string what;
    };
    // "name = value unit" parts of a sweep's description.
    static std::string sweepText(std::initializer_list<std::pair<const char*, double>> parts, const char* unit);

    // An argument of an entry point and the range it must lie in: from lo
    // (above lo when openLow) to hi (no bound where infinite), in `unit`.
    struct Argument {
        const char* name;
        double value;
        double lo, hi;
        const char* unit;
        bool openLow = false;
    };
    // Ranges of the arguments of the diagram's calls.
    // Temperature of a water-bearing state (°C): from the NaCl-ice eutectic,
    // the lowest liquid of the diagram, to the top of the correlations.
    Argument temperatureArg(double v) const { return {"temperature T", v, kEutecticT, TmixTop, "°C"}; }
    // Temperature of pure water (°C): the range of IAPWS-95 (251.165 to
    // 1273.15 K).
    Argument waterTemperatureArg(double v) const { return {"temperature T", v, kWaterTmin, TmixTop, "°C"}; }
    // Temperature of pure NaCl (°C), up to its critical point.
    Argument naclTemperatureArg(double v) const { return {"temperature T", v, kWaterTmin, TcNaCl, "°C"}; }
    // Pressure (bar): above 0, up to the top of the mixture's correlations.
    static Argument pressureArg(double v, const char* name = "pressure P") {
        return {name, v, 0.0, kTopPressure, "bar", true};
    }
    // Pressure of a pure component (bar): above 0 (water: up to IAPWS-95's
    // 10 kbar).
    static Argument waterPressureArg(double v) { return {"pressure P", v, 0.0, kWaterPmax, "bar", true}; }
    static Argument anyPressureArg(double v) { return {"pressure P", v, 0.0, kInf, "bar", true}; }
    static Argument salinityArg(double v, const char* name = "salinity X") {
        return {name, v, 0.0, 1.0, "(NaCl mass fraction)"};
    }
    static Argument salinityPercentArg(double v) { return {"salinity Xwt", v, 0.0, 100.0, "wt % NaCl"}; }
    static Argument densityArg(double v, const char* name = "density rho") {
        return {name, v, 0.0, kInf, "kg/m3", true};
    }
    static Argument fractionArg(const char* name, double v) { return {name, v, 0.0, 1.0, ""}; }
    static Argument finiteArg(const char* name, double v, const char* unit) {
        return {name, v, -kInf, kInf, unit};
    }
    // True when every argument is a finite number in its range; otherwise
    // pointFailed is set and the first one out of range is refused, naming
    // the call.
    bool argumentsHold(const char* call, std::initializer_list<Argument> args);

    static constexpr double kInf = std::numeric_limits<double>::infinity();
    static constexpr double kEutecticT = -21.2;     // °C, NaCl-ice eutectic
    static constexpr double kWaterTmin = -21.985;   // °C, 251.165 K, the bottom of IAPWS-95
    static constexpr double kTopPressure = 5000.0;  // bar, top of the mixture's correlations
    static constexpr double kWaterPmax = 10000.0;   // bar, top of IAPWS-95's range

private:
    // The parts of calculateFluidDensity: a pure end (true when X is one,
    // with its density in rho), the liquid below the peritectic of
    // hydrohalite, and the mixture below the critical temperature of water,
    // up to the melting point of halite and above it.
    bool pureEndDensity(double T_, double P_, double X_, double rhoIn);
    double densityBelowPeritectic(double T_, double P_, double X_);
    double densityBelowWaterCriticalT(double T_, double P_, double X_, double rhoIn);
    double densityBelowHaliteMelting(double T_, double P_, double X_, double rhoIn);
    double densityAboveHaliteMelting(double T_, double P_, double X_);
    // A fluid below the three-phase pressure: vapour, or halite and vapour.
    void placeBelowThreePhasePressure(double T_, double P_, double X_);
    // The halite liquidus at Pmax and the liquidus temperatures, for the
    // record (the state itself is placed whether they exist or not).
    void recordHaliteLiquidus(double T_, double P_, double X_);

protected:
    int quiet = 0;
    // An equation of the searches that has no value at the point tried: the
    // search's error flag, and 0.
    double noValue() {
        error = 1;
        return 0.0;
    }
    // A refusal's message on the log's diagnostic channel, unless quiet.
    void refuse(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // True from the peritectic of hydrohalite (0.1 °C) to the end of the
    // three-phase curve at NaCl's triple point, where the liquid's
    // composition reaches 1.
    bool onThreePhaseCurve(double T_) const { return T_ >= 0.1 && T_ <= Ttriple; }
    // True when a sweep from a to b in steps of `step` is finite and ends:
    // refuses non-finite bounds and steps too small to move the variable.
    static bool sweepable(double a, double b, double step);
};
