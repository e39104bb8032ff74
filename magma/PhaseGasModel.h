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
    // The model's constructor arguments (the phase kind of its molar-volume search).
    template <class... Args>
    explicit PhaseGasModel(Args&&... args) : model(std::forward<Args>(args)...) {}

    bool molarVolume(double T, double Pbar, double& V) override {
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
};
