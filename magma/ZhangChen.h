#pragma once
// ZhangChen: dissolution of a crystal in a melt.  The Sherwood number of a
// sphere against the Reynolds number at several Peclet numbers, and the
// diffusion-controlled dissolution of a planar interface: its distance
// 2 alpha sqrt(D t) and rate alpha sqrt(D / t), where alpha solves
//     alpha sqrt(pi) exp(alpha^2) erfc(-alpha) = beta,
//     beta = (Csat - Cliq) / (Csolid - Csat)
// (after Zhang, Walker & Lesher 1989, Contrib. Mineral. Petrol. 102, 492-513).
// Results are Igor Pro text files in the current directory, handed to the
// desktop's viewer.
#include <string>

#include "numerics/Equation.h"

class ZhangChen : public Equation {
public:
    ZhangChen() = default;

    // Sherwood number of a sphere at Peclet number Pe and Reynolds number Re
    // (NaN from Re = 100000 up, where no correlation holds, and for a
    // negative or non-finite Pe or Re).
    static double calculateSherwood0(double Pe, double Re);
    // Sherwood curves of eight Peclet numbers into "sherwood", with the Igor
    // script "igor4.itx" that loads and plots them.  False when a file cannot
    // be written.
    bool calculateSherwoodCurves0();
    // Solves for alpha and writes "igor3" + suffix + ".itx": a new Igor
    // experiment (newExperiment != 0) or curves appended to its two graphs.
    // False when beta is not a number, alpha cannot be found or the file
    // cannot be written.
    bool calculateDiffusionDistance(int newExperiment, const char* suffix, double Csolid, double Csat, double Cliq);
    // Residual of the dissolution equation; stores alpha.
    double equationForAlpha(double alpha, void*);

    double D = 1.0;  // diffusivity, m2/s
    double alpha = 0.0;
    double beta = 0.0;
    double Csolid = 0.0, Csat = 0.0, Cliq = 0.0;
};
