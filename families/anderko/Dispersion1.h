#pragma once
// Dispersion term of the Anderko equation of state for one pure component,
// built wholly from expression nodes:
//
//   A_disp/(RT) = -(1/(RT)) [ a/V + acb/(4V^2) + adb/(16V^3) + aeb/(64V^4) ]
//
// with acb = b (a c), adb = b^2 (a d), aeb = b^3 (a e) and b the covolume.
// H2ODisp and CO2Disp give the temperature functions of water and of carbon
// dioxide (Anderko & Pitzer 1993), the same as the multicomponent term's.
//
// Ownership: every node is created separately and released by its parents;
// the root by this term.
#include "expressions/FVar.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "fluid/Attraction.h"

class Dispersion1 : public Attraction {
public:
    Dispersion1();
    ~Dispersion1() override;

protected:
    // Links A1 .. A4 to the four parameter slots; the subclass constructor calls it last.
    void finish_parse_graph();
    // One component only: anything else is reported and leaves the term unusable.
    bool sizeForOneComponent(int n);

    FVar* T_ = nullptr;
    FVar* V_ = nullptr;
    Product *A1 = nullptr, *A2 = nullptr, *A3 = nullptr, *A4 = nullptr;
    Expression *d = nullptr, *d2 = nullptr, *d3 = nullptr, *d4 = nullptr;
    Expression *a = nullptr, *acb = nullptr, *adb = nullptr, *aeb = nullptr;  // parameter slots
    double covolume = 0.0;
};

class H2ODisp : public Dispersion1 {
public:
    H2ODisp();
    ~H2ODisp() override;
    void number_of_components(int n) override;
    // Covolume b (m3/mol): the factors b, b^2, b^3 of acb, adb, aeb; 0 leaves them 1.
    void set_covolume(double b);

private:
    FVar* e1 = nullptr;
    Product *acb1 = nullptr, *adb1 = nullptr, *aeb1 = nullptr;
};

class CO2Disp : public Dispersion1 {
public:
    CO2Disp();
    ~CO2Disp() override;
    void number_of_components(int n) override;
    void set_covolume(double b);
    // Kept for the parameter fit of AnderkoCO2; it changes nothing.
    void setFittingParameters(double, double, double, double) {}

private:
    FVar* ae1 = nullptr;
    class Sum1 *acb1 = nullptr, *adb1 = nullptr, *aeb1 = nullptr;
};
