#pragma once
// Anderko & Pitzer (1993) equation of state for water-salt-gas fluids of
// H2O, NaCl, KCl, CO2 and CH4: a water model whose reduced Helmholtz energy
// is the sum of a hard-sphere repulsion (Boublik, which carries the ideal-gas
// -ln V), a dipole-dipole attraction (Dipole) and a dispersion attraction
// (AnderkoDispersion), without an ideal-gas part.  The chemical system is
// chosen after construction by its system code (setSystemCode, or the
// framework's setSystemType by name).  On request (useVLE) the model builds a
// second Anderko for the vapour and a two-phase solver (IFP) over the pair.
#include <memory>

#include "water/WaterEOS.h"

class IFP;
class Boublik;
class Dipole;
class AnderkoDispersion;

class Anderko : public WaterEOS {
public:
    explicit Anderko(int phaseKind);
    ~Anderko() override;

    // Selects the chemical system.  A code without parameters is reported on
    // standard error ("Anderko system type %d not implemented") and leaves
    // the model without components; so is a second selection of another system.
    void setSystemCode(char code) override;
    // Creates the vapour phase and the two-phase solver once.
    void useVLE();

    // ---- start values (two-phase work)
    void initializeDewPoint2(double T, double x, int branch);
    void initializeBubblePoint2(double T, double x) override;
    void initializeFlash2(double T, double P) override;
    void initializeFromFile(const char* path, double T, double x1, double x2);
    void initializeFromTx(double T, double x1, double x2);

    // ---- command words and checks
    int doCommandEx(int argc, char* const* argv) override;
    void doTest1(double T, double V0, double xsalt, double xgas, double dT, int branch, const char* suffix);
    void test(int which);
    void testTable4Duan95() {}
    void testTable4Duan03();
    void testTable6Duan95();
    void testTable7Duan03();

    Boublik* hardSpheres() const;
    Dipole* dipole() const;
    AnderkoDispersion* dispersion() const;
    IFP* solver() const { return vle_.get(); }
    Anderko* vapourPhase() const { return vapour_.get(); }

    // Liquid and vapour mole fractions of the last start values.
    std::vector<double> start_x, start_y;

private:
    std::unique_ptr<Anderko> vapour_;  // declared first: the solver borrows it
    std::unique_ptr<IFP> vle_;
};
