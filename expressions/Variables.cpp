// Leaves and variable nodes.
#include "expressions/FVar.h"
#include "expressions/KVar.h"
#include "expressions/Leaf.h"
#include "platform/LogSink.h"

Leaf::~Leaf() = default;
const char* Leaf::getType() const { return "Leaf"; }
int Leaf::hasLeaves() { return 1; }
void Leaf::set_variable_values(double*) {}
void Leaf::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s (Leaf)\n", displayName());
}

Function::~Function() = default;
const char* Function::getType() const { return "Function"; }

MonoVar::~MonoVar() = default;

void MonoVar::check_pointers(std::FILE* f) {
    if (index == -1) std::fprintf(f, "Error : \"%s\" is not linked to a variable.\n", displayName());
}

void MonoVar::set_variable_values(double* vars) {
    if (index != -1 && vars) x = vars[index];
}

FVar::~FVar() = default;
const char* FVar::getType() const { return "FVar"; }
int FVar::isDependent(int i) { return i == index ? 1 : 0; }

void FVar::calculate(int) {
    if (index == -1) {
        platform::diagf("Error : \"%s\" is not linked to a variable.\n", displayName());
        return;
    }
    if (calculated) return;
    value = a * x + b;
    if (d1 && index < nvar) d1[index] = a;
    calculated = true;
}

void FVar::calculate(int, int var) {
    if (index == -1) {
        platform::diagf("Error : \"%s\" is not linked to a variable.\n", displayName());
        return;
    }
    if (calculated) return;
    value = a * x + b;
    if (var == index && d1 && index < nvar) d1[index] = a;
    calculated = true;
}

void FVar::set_scalars2(double a_, double b_) {
    a = a_;
    b = b_;
}

void FVar::printFormula(std::FILE* f) {
    printMargin(f);
    const char* sign = b > 0 ? "+" : "";
    if (a == 1 && b == 0)
        std::fprintf(f, "%s = var(%d)\n", displayName(), index);
    else if (a == 1)
        std::fprintf(f, "%s = var(%d) %1s %lg\n", displayName(), index, sign, b);
    else if (b == 0)
        std::fprintf(f, "%s = %lg var(%d)\n", displayName(), a, index);
    else if (a == 0)
        std::fprintf(f, "%s = %lg\n", displayName(), b);
    else
        std::fprintf(f, "%s = %lg var(%d) %1s %lg\n", displayName(), a, index, sign, b);
}

KVar::~KVar() = default;
const char* KVar::getType() const { return "KVar"; }
int KVar::isDependent(int) { return 0; }
void KVar::check_pointers(std::FILE*) {}

void KVar::calculate(int) {
    if (calculated) return;
    value = constant;
    calculated = true;
}

void KVar::calculate(int, int) {
    if (calculated) return;
    value = constant;
    calculated = true;
}

void KVar::set_scalars1(double c) { constant = c; }

void KVar::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = %lg\n", displayName(), constant);
}
