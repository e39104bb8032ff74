#include "gases/IUPACCO2ID.h"

#include "gases/IUPAC.h"

IUPACCO2ID::IUPACCO2ID() : IUPACIdeal(kSpanWagnerCO2, kMinusLimit, IUPAC::kTc, -1.0, -c0, -c0)
{
    setModelName("IUPAC CO2 ideal");
}
