// Curves of PalliserModel: the ice-melting isotherm of NaCl-KCl solutions and
// the vapour branch of an isopleth, traced by following the reduced pressure
// of the dew point from temperature to temperature.
#include <cmath>

#include "brines/PalliserModel.h"
#include "platform/LogSink.h"

void PalliserModel::calculateIceMeltingIsotherm(std::vector<double>& array, double T_) {
    // Ice melts last at every share of NaCl in the salt, from pure KCl to pure
    // NaCl, above the eutectic of H2O-KCl (-10.7 °C; that of H2O-NaCl is
    // -21.2 °C, the ternary one -22.9 °C): the isotherm runs across all the
    // shares from there to 0 °C, or is refused as a whole.
    pointFailed = 0;
    if (!(T_ >= kKClEutecticT && T_ <= 0.0)) {
        pointFailed = 1;
        refuse("H2O-NaCl calculateIceMeltingIsotherm: the temperature T must be a number from %g to 0 °C, where ice "
               "melts last at every share of NaCl in the salt (down to the eutectic of H2O-KCl), not %g\n",
               kKClEutecticT, T_);
        return;
    }
    const std::size_t start = array.size();
    for (int k = 0; k <= 20; ++k) {
        const double f = 0.05 * k;
        double x;
        {
            QuietScope q(*this);
            calculateIceMeltingSalinity(T_, f, x);
        }
        if (pointFailed) {
            array.resize(start);
            refuse("H2O-NaCl calculateIceMeltingIsotherm: no ice-melting salinity found at %g °C for the NaCl share "
                   "%g of the salt\n",
                   T_, f);
            return;
        }
        array.insert(array.end(), {100.0 * f * x, 100.0 * (1.0 - f) * x});
    }
}

void PalliserModel::calculateGasIsopleth(std::vector<double>& array, double Xwt, double T0, double Tend, double Pend,
                                         double rhoEnd) {
    // The dew points of X from T0 upwards in steps of 1 °C, to the top of
    // the diagram's surface (1000 °C); temperatures without one are left out.
    const double X_ = 0.01 * Xwt;
    if (!argumentsHold("calculateGasIsopleth", {salinityPercentArg(Xwt), {"temperature T0", T0, 250.0, TmixTop, "°C", true}}))
        return;
    CurveScope curve(*this, "calculateGasIsopleth", array, sweepText({{"Xwt", Xwt}, {"T0", T0}}, ""));
    QuietScope q(*this);
    double Tlast = T0;
    for (double T_ = T0; T_ <= TmixTop; T_ += 1.0) {
        double P_ = 0.0, a = 0.0, b = 0.0, rv = 0.0;
        calculateDewPoint(T_, X_, P_, a, b, rv);
        if (pointFailed) continue;
        array.insert(array.end(), {T_, P_, rv});
        Tlast = T_;
    }
    // The closing row only where it continues the rows upwards in T.
    if (Tend > Tlast && Tend - Tlast < 50.0) array.insert(array.end(), {Tend, Pend, rhoEnd});
}
