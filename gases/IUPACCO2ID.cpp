#include "gases/IUPACCO2ID.h"

#include <string>

#include "gases/IUPAC.h"

IUPACCO2ID::IUPACCO2ID() : IUPACIdeal(kSpanWagnerCO2, Y1, IUPAC::kTc, -1.0)
{
    Y1.setName("Y1");
    Y2.setName("Y2");
    Y2.tie1(Y1);
    Expression* previous = &Y2;
    for (int k = 0; k < 4; ++k) {
        Yk[k].setName(("Y" + std::to_string(k + 3)).c_str());
        Yk[k].tie2(*previous, Y1);
        previous = &Yk[k];
    }
    root = makeRoot({&Y1, &Y2, &Yk[0], &Yk[1], &Yk[2], &Yk[3]});
    setModelName("IUPAC CO2 ideal");
}

IUPACCO2ID::~IUPACCO2ID()
{
    delete root;
    root = nullptr;
}

void IUPACCO2ID::calculate_fixed_parameters()
{
    loadPass({c1, c2, c3, c4, c5, c6}, -c0, -c0);
}
