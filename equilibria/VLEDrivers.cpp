#include "equilibria/VLE.h"

void VLE::calculate_vapour_liquid_equilibria(const char*, const char*) {}
void VLE::flash(const char*, const char*) {}
void VLE::flash1(const char*, const char*) {}
void VLE::bubble(const char*, const char*) {}
void VLE::calculate_an_isotherm_of_the_binary_system(const char*, double, double, double, double, double, const char*) {}
void VLE::flash_isotherm(const char*, double, double, double, double) {}
void VLE::flash1_isotherm(const char*, double, double, double, double*) {}
void VLE::calculate_an_isotherm_of_the_pseudo_binary_system(const char*, double, double, double, double, double, double, const char*) {}
