#pragma once
// Magma: a silicate melt given as a list of oxides with their weight
// percentages.  It converts the list to oxide mole fractions and the mean
// molar mass of the anhydrous melt, gives the mole fractions of water and melt
// in a hydrous melt, computes a three-mineral norm of a peridotite
// (clinopyroxene, orthopyroxene, olivine) and tabulates the molar volume of a
// hydrous andesite from measured densities (Richet & Polian 1998, Science 281,
// 396-398).
//
// Output goes to standard output, or to the file "calcu0" in the current
// directory.  Nothing ends the process: an unusable set-up is reported on
// standard error and the operation returns false.
#include <string>
#include <vector>

class Magma {
public:
    Magma() = default;

    // Stores n and sizes the name, weight and amount lists (n >= 1).
    bool set_number_of_oxides(int n);
    // Names oxide i (0 <= i < n); "SiO2", "Al2O3", "MgO" and "CaO" record their position.
    bool set_oxide(int i, const char* name);
    // Molar mass (g/mol) of an oxide by its exact name; 0.0 for a name not in the table.
    static double get_molar_weight_of_component(const char* name);
    // Amounts := wt % / M normalised to sum 1; the melt's mean molar mass; the
    // molar masses of water and melt (kg/mol).  Refused (false) when an oxide
    // has no molar mass or the weights do not add up to a positive amount.
    bool calculate_oxide_molar_weight();
    // Mole fractions of water and anhydrous melt in a melt of wtH2O wt % water;
    // false (said, nothing changed) outside 0 to 100 wt % or before the
    // melt's molar mass is known.
    bool calculate_mole_fractions(double wtH2O);
    // The four oxides of the primitive mantle with their molar amounts.
    void set_primitive_mantle();
    // Cpx-opx-olivine norm of the four-oxide composition with `ca` calcium
    // atoms per clinopyroxene formula, printed on standard output.  The oxide
    // amounts are changed in place (the cpx is removed).  Refused when one of
    // SiO2, Al2O3, MgO, CaO is missing, ca is not positive, the cpx formula
    // has a negative site occupancy or the rest is no olivine-opx mixture.
    bool calculate_peridotite_norm(double ca);
    // The andesite of Richet & Polian (ten oxides).
    void define_Richet_Polian_Andesite();
    // Molar volumes of the hydrous andesite from its measured densities,
    // written as Igor text to "calcu0".  False when the file cannot be written.
    bool calculate_Richet_Polian_Andesite_volumes();
    // t == 1: the norm of the primitive mantle with 1.1 Ca per cpx.
    void test(char t);

    // ---- data
    double moles[2] = {0, 0};           // water, anhydrous melt
    double moleFractions[2] = {0, 0};
    double molarMasses[2] = {0, 0};     // kg/mol
    double V = 0.0;                     // molar volume of the hydrous melt, cm3/mol
    double density = 0.0;               // g/cm3
    double meanMolarMass = 0.0;         // hydrous melt, kg/mol
    int oxideCount = 0;
    std::vector<std::string> oxideNames;
    std::vector<double> oxideWeights;   // wt %
    std::vector<double> oxideAmounts;   // moles per 100 g, then mole fractions
    double meltMolarMass = 0.0;         // anhydrous melt, g/mol
    int posSiO2 = -1, posAl2O3 = -1, posMgO = -1, posCaO = -1;

    // Results of the last norm: cpx formula per 6 oxygens, number of each mineral.
    double cpxCa = 0, cpxMg = 0, cpxAlVI = 0, cpxSi = 0, cpxAlIV = 0;
    double nCpx = 0, nOpx = 0, nOl = 0;
};
