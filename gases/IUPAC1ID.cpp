#include "gases/IUPAC1ID.h"

IUPAC1ID::IUPAC1ID() : IUPACIdeal(kSetzmannWagnerCH4, t1, IUPAC1::kTc, 0.0)
{
    t2.tie1(t1);
    t3.tie2(t2, t1);
    t4.tie2(t3, t1);
    t5.tie2(t4, t1);
    D.build(t3, t4, t5);
    root = makeRoot({&D.D0, &D.D2, &D.D4, &D.D6, &D.D8, &D.D10});
    t1.setName("t1");
    t2.setName("t2");
    t3.setName("t3");
    t4.setName("t4");
    t5.setName("t5");
    setModelName("IUPAC CH4 ideal");
}

IUPAC1ID::~IUPAC1ID()
{
    delete root;
    root = nullptr;
}

void IUPAC1ID::calculate_fixed_parameters()
{
    loadPass({s0, s1, s2, s3, s4, s5}, 0.0, -IUPAC1::kFugacityConstant);
}
