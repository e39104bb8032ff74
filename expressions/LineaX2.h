#pragma once
// LineaX2 is declared with the other polynomial forms.
#include "expressions/LineaX.h"
