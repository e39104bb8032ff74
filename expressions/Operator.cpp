#include "expressions/Operator.h"

#include "expressions/DerivativeKernels.h"

Operator::~Operator() = default;

void Operator::number_of_variables(int n) {
    Expression::number_of_variables(n);
    if (flags.size() != static_cast<std::size_t>(nvar > 0 ? nvar : 0)) flags.resize(nvar > 0 ? nvar : 0, 1);
    act_.resize(flags.size());
    actValid_ = false;
}

const char* Operator::getType() const { return "Operator"; }

int Operator::isDependent(int i) {
    if (flags.empty()) return 1;
    if (i < 0 || static_cast<std::size_t>(i) >= flags.size()) return 0;
    return flags[i];
}

void Operator::gatherActive() {
    nact_ = flags.empty() ? 0 : exprk::activeList(flags.data(), static_cast<int>(flags.size()), act_.data());
    actValid_ = true;
    actAnalysed_ = analysed;
}
