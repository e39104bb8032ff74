#pragma once
// PhaseDiagramInfo: one state of an H2O-NaCl fluid and everything that was
// needed to place it in the phase diagram: the phase region, the boundary
// points at its temperature (three-phase halite-liquid-vapour point, liquid-
// vapour point, halite liquidus, halite-saturated vapour, water and molten-
// salt saturation, critical point) and the mass and volume fractions of
// liquid, vapour and halite.
//
// Units: T in °C, P in bar, salt content as NaCl mass fraction (0 water,
// 1 NaCl), densities in kg/m3.  A boundary field that the last calculation
// did not reach reads -1.
#include "numerics/Equation.h"

class PhaseDiagramInfo : public Equation {
public:
    PhaseDiagramInfo();

    // region and pointFailed to 0; every boundary field and the six fractions
    // to -1.  T, P, X, rho, the halite-liquidus temperatures and rhoHalite stay.
    void reset();

    double T = 0.0;    // °C
    double P = 0.0;    // bar
    double X = 0.0;    // bulk NaCl mass fraction
    double rho = 0.0;  // bulk density, kg/m3
    int region = 0;
    int pointFailed = 0;
    double spare[4] = {0.0, 0.0, 0.0, 0.0};  // not used by the calculations

    // Halite + liquid + vapour point at T.
    double Pslv, Xlslv, Xvslv, rholslv, rhovslv;
    // Liquid-vapour point (its pressure field also takes the water or molten-
    // salt saturation pressure and the liquid-saturation pressure).
    double Plg, Xllg, Xvlg, rhollg, rhovlg;
    // Halite liquidus at (T, P) and at (T, Pmax).
    double Xhl, rhohl;
    double Pmax;
    double XhlPmax, rhohlPmax;
    // Halite-liquidus temperatures: composition X at Pmax, 1 at Pmax, 1 at P.
    double ThlPmax = 0.0, Thl1Pmax = 0.0, Thl1 = 0.0;
    // Vapour saturated with halite at (T, P).
    double Xhg, rhohg;
    // Water and molten-NaCl saturation at T.
    double Psatw, rholw, rhovw;
    double PsatNaCl, rholNaCl, rhovNaCl;
    // Critical curve at T, and the critical point of composition X.
    double Pcrit, Xcrit, rhocrit;
    double PcritX, TcritX, rhocritX;
    double rhoHalite = 0.0;
    // Mass fractions of liquid, halite, vapour; volume fractions of liquid,
    // vapour, halite.
    double wl, wh, wv;
    double vl, vv, vh;
};
