#pragma once
// LineaX3 is declared with the other polynomial forms.
#include "expressions/LineaX.h"
