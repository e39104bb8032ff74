#pragma once
// The unary operator nodes f(u) of the expression engine.
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Inverse.h"
#include "expressions/Inverse2.h"
#include "expressions/Logarithm.h"
#include "expressions/Power.h"
#include "expressions/Powo.h"
#include "expressions/Square.h"
