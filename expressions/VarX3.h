#pragma once
// VarX3 is declared with the other composition variables.
#include "expressions/VarF.h"
