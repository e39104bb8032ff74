#pragma once
// VarX4 is declared with the other composition variables.
#include "expressions/VarF.h"
