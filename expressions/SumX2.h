#pragma once
// SumX2 is declared with the other mixing sums.
#include "expressions/SumF.h"
