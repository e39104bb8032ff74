#pragma once
// Saturation-pressure correlations of one pure component.
//
// `Clapeyron` interpolates ln P linearly in 1/T between a reference boiling
// point (Tb, Pb) and the critical point (Tc, Pc); `Antoine` uses the Antoine
// equation log10(P/mmHg) = a - b/(t/degC + c).  Constants are given with
// `set_constants` or read from the component's keyword file "compo/<name>"
// by `set_component`.  Pressures in Pa, temperatures in K.
#include <string>

class PsatCorr {
public:
    PsatCorr() : name("PsatCorr") {}
    virtual ~PsatCorr() = default;

    // Stores the component name (kept when it is already the stored one).
    virtual void set_component(const char* componentName);
    virtual double Tsat(double P);
    virtual double Psat(double T);

    const std::string& getName() const { return name; }
    const char* getComponent() const { return component.empty() ? nullptr : component.c_str(); }

protected:
    std::string name;       // class name: "PsatCorr", "Clapeyron" or "Antoine"
    std::string component;  // component name, empty until set_component
};

class Clapeyron : public PsatCorr {
public:
    Clapeyron() { name = "Clapeyron"; }

    void set_constants(double Tc_, double Pc_, double Tb_, double Pb_);
    // Reads "Tc", "Pc", "Tb" and "Pb" from "compo/<name>".
    void set_component(const char* componentName) override;
    // Pb exp(ln(Pc/Pb) (1/T - 1/Tb)/(1/Tc - 1/Tb)); 0 with a message when the
    // four constants do not define a correlation.
    double Psat(double T) override;
    // The inverse of Psat.
    double Tsat(double P) override;

    bool hasData() const;

    double Tc = 0, Pc = 0, Tb = 0, Pb = 0;
};

class Antoine : public PsatCorr {
public:
    Antoine() { name = "Antoine"; }

    void set_constants(double a_, double b_, double c_);
    // Reads the three numbers after the first "Antoine" of "compo/<name>".
    void set_component(const char* componentName) override;
    // Antoine equation in mmHg and degC, result in Pa; 1e-20 below the
    // correlation's range (t + c < 0), bounded by exp(500) and exp(-100) mmHg.
    double Psat(double T) override;
    // Inverse of the Antoine equation: T = b/(a - log10(P/mmHg)) - c + 273.15.
    double Tsat(double P) override;

    bool hasData() const { return dataSet; }

    double a = 0, b = 0, c = 0;

private:
    bool dataSet = false;
};
