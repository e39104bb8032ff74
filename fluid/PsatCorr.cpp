#include "fluid/PsatCorr.h"

#include <cmath>
#include <cstdio>

#include "fluid/ComponentFile.h"
#include "platform/LogSink.h"

namespace {
constexpr double kMmHg = 101325.0 / 760.0;  // Pa per mmHg

const char* componentLabel(const std::string& c) { return c.empty() ? "(no component)" : c.c_str(); }
}  // namespace

void PsatCorr::set_component(const char* componentName) {
    if (!componentName) return;
    if (component == componentName) return;
    component = componentName;
}

double PsatCorr::Tsat(double) { return 0.0; }
double PsatCorr::Psat(double) { return 0.0; }

// ---------------------------------------------------------------- Clapeyron

void Clapeyron::set_constants(double Tc_, double Pc_, double Tb_, double Pb_) {
    Tc = Tc_;
    Pc = Pc_;
    Tb = Tb_;
    Pb = Pb_;
}

bool Clapeyron::hasData() const {
    return Tc > 0 && Tb > 0 && Pc > 0 && Pb > 0 && Tc != Tb && Pc != Pb;
}

void Clapeyron::set_component(const char* componentName) {
    PsatCorr::set_component(componentName);
    if (!readComponentKeywords(component, {{"Tc", &Tc}, {"Pc", &Pc}, {"Tb", &Tb}, {"Pb", &Pb}})) return;
    platform::tracef("Parameters (Tc,Pc,Tb,Pb) : %lg %lg %lg %lg\n", Tc, Pc * 1e-5, Tb, Pb * 1e-5);
}

double Clapeyron::Psat(double T) {
    if (!hasData()) {
        platform::diagf("Clapeyron correlation of %s has no data (Tc, Pc, Tb, Pb)\n",
                     componentLabel(component));
        return 0.0;
    }
    return Pb * std::exp(std::log(Pc / Pb) * (1.0 / T - 1.0 / Tb) / (1.0 / Tc - 1.0 / Tb));
}

double Clapeyron::Tsat(double P) {
    if (!hasData()) {
        platform::diagf("Clapeyron correlation of %s has no data (Tc, Pc, Tb, Pb)\n",
                     componentLabel(component));
        return 0.0;
    }
    return 1.0 / (1.0 / Tb + (1.0 / Tc - 1.0 / Tb) * std::log(P / Pb) / std::log(Pc / Pb));
}

// ---------------------------------------------------------------- Antoine

void Antoine::set_constants(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
    name = "Antoine";
    dataSet = true;
}

void Antoine::set_component(const char* componentName) {
    PsatCorr::set_component(componentName);
    std::FILE* f = openComponentFile(component);
    if (!f) return;
    WordReader reader(f);
    std::string w;
    bool found = false;
    while (reader.next(w)) {
        if (w == "Antoine") {
            found = true;
            break;
        }
    }
    if (!found) {
        platform::diagf("No Antoine coefficients has\tbeen found.\n");
        std::fclose(f);
        return;
    }
    double v[3];
    for (double& vi : v) {
        if (!reader.nextNumber(vi)) {
            platform::diagf("Antoine coefficients of %s are incomplete\n", componentFilePath(component).c_str());
            std::fclose(f);
            return;
        }
    }
    std::fclose(f);
    a = v[0];
    b = v[1];
    c = v[2];
    dataSet = true;
    platform::tracef("Antoine coefficients : %lg %lg %lg\n", a, b, c);
}

double Antoine::Psat(double T) {
    if (!dataSet) {
        platform::diagf("Antoine correlation of %s has no coefficients\n", componentLabel(component));
        return 0.0;
    }
    const double t = T + c - 273.15;
    if (t < 0) return 1e-20;
    double y = (a - b / t) * std::log(10.0);
    if (y > 500.0) y = 500.0;
    if (y < -100.0) return std::exp(-100.0) * kMmHg;
    return std::exp(y) * kMmHg;
}

double Antoine::Tsat(double P) {
    if (!dataSet) {
        platform::diagf("Antoine correlation of %s has no coefficients\n", componentLabel(component));
        return 0.0;
    }
    if (!(P > 0)) {
        platform::diagf("Antoine saturation temperature of %s: pressure %lg Pa out of range\n",
                     componentLabel(component), P);
        return 0.0;
    }
    const double d = a - std::log10(P / kMmHg);
    if (d <= 0) {
        platform::diagf("Antoine saturation temperature of %s: pressure %lg Pa out of range\n",
                     componentLabel(component), P);
        return 0.0;
    }
    return b / d - c + 273.15;
}
