#pragma once
// VarX2 is declared with the other composition variables.
#include "expressions/VarF.h"
