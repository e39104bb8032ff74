#include "families/anderko/Anderko.h"

void Anderko::initializeDewPoint2(double, double, int) {}
void Anderko::initializeBubblePoint2(double, double) {}
void Anderko::initializeFlash2(double, double) {}
void Anderko::initializeFromFile(const char*, double, double, double) {}
void Anderko::initializeFromTx(double, double, double) {}
