#pragma once
// SumX3 is declared with the other mixing sums.
#include "expressions/SumF.h"
