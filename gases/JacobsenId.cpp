#include "gases/JacobsenId.h"

const IdealGasForm JacobsenId::kForm = {.Tc = kTc,
                                        .rhoc = kRhoc,
                                        .a1 = -12.76953,
                                        .a2 = -0.00784163,
                                        .c = 2.5,
                                        .einsteins = 1,
                                        .a = {1.012941},
                                        .theta = {26.65788},
                                        .powers = 3,
                                        .n = {-0.0001934819, -1.247742e-05, 6.678326e-08},
                                        .t = {-1.0, -2.0, -3.0}};

JacobsenId::JacobsenId() : TableIdeal(kForm, "Jacobsen N2 ideal") {}
