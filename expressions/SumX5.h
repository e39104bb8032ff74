#pragma once
// SumX5 is declared with the other mixing sums.
#include "expressions/SumF.h"
