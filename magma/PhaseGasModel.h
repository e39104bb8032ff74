#pragma once
// A fluid model of the library as the chamber's gas-density source: the
// chamber sets the temperature and the pressure on the model, asks it for its
// molar volume and reads the molar-volume field.
#include <cmath>
#include <utility>

#include "fluid/Phase.h"
#include "magma/ChamberGasModel.h"

template <class Model>  // a Phase: WagnerPruss, IUPACCO2, ...
class PhaseGasModel : public ChamberGasModel {
public:
    // Tc: the fluid's critical temperature (K); args: the model's constructor
    // arguments (the phase kind of its volume search).
    template <class... Args>
    explicit PhaseGasModel(double Tc, Args&&... args)
        : model(std::forward<Args>(args)...), Tc_(Tc), kind_(model.phase_kind) {}

    bool molarVolume(double T, double Pbar, double& V) override {
        // Above its critical temperature the fluid has one volume at each
        // pressure, and at magmatic temperatures it lies near the ideal-gas
        // volume where the vapour search starts; below it the model's own
        // start picks the phase.
        model.set_the_phase_as(T > Tc_ ? 1 : kind_);
        model.temperature(T);
        model.pressure(Pbar);
        model.errorflag = 0;
        model.error = 0;
        model.calculate_molar_volume();
        const double v = model.V;
        if (model.errorflag != 0 || !std::isfinite(v) || !(v > 0.0)) return false;
        V = v;
        return true;
    }

    Model model;

private:
    double Tc_;
    int kind_;
};
