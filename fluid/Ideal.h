#pragma once
// Base of every ideal-gas part of a fluid model: an Interaction that a
// FluidPhase holds apart from its residual terms and adds into every sum.
// Subclasses fill the ideal-gas state functions at the current temperature.
#include <string>
#include <utility>

#include "fluid/Interaction.h"

class Ideal : public Interaction {
public:
    Ideal() = default;

    // Reads the data of the next component (called once per component, in order).
    virtual void read_component_data(const char* /*name*/) {}

    // Whether the part has its data for every component present (mole
    // fraction not zero).  Without them it gives no state functions: the
    // model's state-function pass fails.  Parts built from fixed equations
    // always have them.  Silent: why is told by whyNoData, said where the
    // quantities are shown (FluidPhase::sayWithheldStateFunctions).
    virtual bool hasData() { return true; }
    // Why hasData is false ("" when it is not).
    virtual std::string whyNoData() { return std::string(); }

    // The ideal gas's Helmholtz energy depends on V only through -RT ln V
    // (where the part carries it at all).
    bool volumeEntersAsLogarithm() const override { return true; }
    Ideal* asIdealPart() override { return this; }

    // Table "standard.note" of A0, S0, H0, Cp0 from Tmin in n steps (n < 1: 50),
    // with the gnuplot script "g10.gp".
    void plot_cp_data(double Tmin, double Tmax, int n);
    // The same for several components read one after the other (the term must
    // be sized for one component): "standard.note" and "g11.gp".
    void plot_cp_data(const char* const* names, int count, double Tmin, double Tmax, int n);

    // Ideal-gas state functions at the current temperature (J/mol, J/(mol K)).
    double A0 = 0, G0 = 0, H0 = 0, U0 = 0, S0 = 0, Cp0 = 0, Cv0 = 0;
};

// Hands the name of a model's next component to its ideal-gas part, when it
// has one (a part that reads no data ignores it).  A model calls it once per
// component, in component order, before anything can make it skip the rest
// of that component's data, so that the part's components stay those of the
// model.
void readIdealComponentData(Interaction* ideal, const char* name);

// The ideal-gas part of a model whose fluid cannot be given one, such as a
// corresponding-states fluid in reduced temperature and volume: it adds
// nothing, and the model gives no state functions (h, s, cv, cp, w and the
// Joule-Thomson coefficient are not the residual part alone); whyNoData
// tells why.
class NoIdealGas : public Ideal {
public:
    explicit NoIdealGas(std::string why) : why_(std::move(why)) { setModelName("no ideal gas"); }
    bool hasData() override { return false; }
    std::string whyNoData() override { return why_; }

private:
    std::string why_;
};
