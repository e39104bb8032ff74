#pragma once
// Papale97: place of the multicomponent H2O-CO2 saturation model of Papale
// (1997); it computes nothing yet.
class Papale97 {
public:
    Papale97() = default;
    void calculate() {}
};
