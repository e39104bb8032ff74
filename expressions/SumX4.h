#pragma once
// SumX4 is declared with the other mixing sums.
#include "expressions/SumF.h"
