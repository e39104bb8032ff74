#pragma once
// VarX5 is declared with the other composition variables.
#include "expressions/VarF.h"
