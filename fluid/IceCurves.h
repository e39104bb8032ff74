#pragma once
// The equilibria of the ices of ordinary water with its liquid and vapour:
// the melting pressures of ice Ih, III, V, VI and VII and the sublimation
// pressure of ice Ih, after the IAPWS revised release on the pressure along
// the melting and sublimation curves of ordinary water substance (IAPWS
// R14-08(2011); Wagner, Riethmann, Feistel & Harvey, J. Phys. Chem. Ref. Data
// 40 (2011) 043103).  T in K, pressures in Pa; NaN outside the temperatures
// of each curve.
//
// Triple points: ice Ih - liquid - vapour 273.16 K, 611.657 Pa; ice Ih - III
// - liquid 251.165 K, 208.566 MPa; III - V - liquid 256.164 K, 350.1 MPa;
// V - VI - liquid 273.31 K, 632.4 MPa; VI - VII - liquid 355 K, 2216 MPa.

namespace water {

// The triple point of ice Ih, liquid water and vapour.
inline constexpr double kTriplePointT = 273.16;  // K
inline constexpr double kTriplePointP = 611.657;  // Pa

double iceIhMeltingPressure(double T);     // 251.165 to 273.16 K
double iceIIIMeltingPressure(double T);    // 251.165 to 256.164 K
double iceVMeltingPressure(double T);      // 256.164 to 273.31 K
double iceVIMeltingPressure(double T);     // 273.31 to 355 K
double iceVIIMeltingPressure(double T);    // 355 to 715 K
double iceIhSublimationPressure(double T); // 50 to 273.16 K

// The ice stable at T (K) and P (Pa), or None where water is a fluid: below
// the sublimation curve (the vapour) and between the melting curves (the
// liquid), and above 715 K, the end of the ice VII melting curve.  Below
// 251.165 K, above the sublimation pressure, ice Ih below 208.566 MPa and a
// high-pressure ice above.
enum class Ice { None, Ih, III, V, VI, VII, HighPressure };
Ice iceAt(double T, double P);
// Its name ("ice Ih", "ice III", "ice V", "ice VI", "ice VII", "a
// high-pressure ice"); null for None.
const char* iceName(Ice ice);

}  // namespace water
