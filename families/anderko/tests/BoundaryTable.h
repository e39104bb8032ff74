#pragma once
// A phase-boundary start table of the H2O-NaCl model in the scratch folder's
// init/, where the data-file resolver finds it last: per row T (K), P (bar),
// the liquid's and the vapour's NaCl mole fractions, their molar volumes
// (cm3/mol), and eleven unused columns (19 numbers a row).
#include <filesystem>
#include <fstream>
#include <vector>

struct BoundaryRow {
    double T, P, xl, yv, Vl, Vv;
};

inline void writeBoundaryTable(const std::vector<BoundaryRow>& rows) {
    std::filesystem::create_directories("init");
    std::ofstream f("init/initH2ONaCl");
    for (const BoundaryRow& r : rows) {
        f << r.T << ' ' << r.P << ' ' << 1 - r.xl << ' ' << r.xl << ' ' << 1 - r.yv << ' ' << r.yv << ' ' << r.Vl
          << ' ' << r.Vv;
        for (int i = 0; i < 11; i++) f << " 0";
        f << '\n';
    }
}
