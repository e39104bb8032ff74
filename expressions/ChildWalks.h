#pragma once
// Walks of an operator over its child slots.
//
// The printing walks (printFormulas, printValues): the node's own line, then
// its children's walks indented by four more blanks.  A node prints once per
// pass: calculated marks it as printed, so a child shared by several parents
// appears under the first one only.
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "expressions/Expression.h"
#include "platform/LogSink.h"

enum class PrintedLine { Formula, Value };

// forEachChild(visit) calls visit(child) for each child slot (null slots are
// skipped).
template <class ForEachChild>
void printWalkEach(Expression& node, std::FILE* f, PrintedLine line, ForEachChild&& forEachChild) {
    if (node.calculated) return;
    const bool values = line == PrintedLine::Value;
    if (values)
        node.printValue(f);
    else
        node.printFormula(f);
    Expression::sMargin += 4;
    forEachChild([&](Expression* e) {
        if (!e) return;
        if (values)
            e->printValues(f);
        else
            e->printFormulas(f);
    });
    Expression::sMargin -= 4;
    node.calculated = true;
}

template <class Children>
void printWalk(Expression& node, std::FILE* f, PrintedLine line, const Children& children) {
    printWalkEach(node, f, line, [&](auto&& visit) {
        for (Expression* e : children) visit(e);
    });
}

inline void printWalk(Expression& node, std::FILE* f, PrintedLine line, std::initializer_list<Expression*> children) {
    printWalk<std::initializer_list<Expression*>>(node, f, line, children);
}

// Sizes every child for the node's nvar variables; an empty slot is reported
// ("not linked").
template <class Children>
void sizeChildren(const Expression& node, const Children& children) {
    for (Expression* e : children) {
        if (e)
            e->number_of_variables(node.nvar);
        else
            platform::diagf("Error : \"%s\" is not linked.\n", node.displayName());
    }
}

inline void sizeChildren(const Expression& node, std::initializer_list<Expression*> children) {
    sizeChildren<std::initializer_list<Expression*>>(node, children);
}

// The start of a new pass below the node: its pass mark is cleared and the
// children still marked start theirs (a shared child once).
template <class Children>
void clearPassMarks(Expression& node, const Children& children) {
    if (!node.calculated) return;
    node.calculated = false;
    for (Expression* e : children)
        if (e && e->calculated) e->initialize_the_graph();
}

inline void clearPassMarks(Expression& node, std::initializer_list<Expression*> children) {
    clearPassMarks<std::initializer_list<Expression*>>(node, children);
}

// The children of an evaluation plan, appended to `plan`; false, with nothing
// appended, while a slot is empty.
template <class Children>
bool planChildSlots(const Children& children, std::vector<Expression*>& plan) {
    for (Expression* e : children)
        if (!e) return false;
    plan.insert(plan.end(), children.begin(), children.end());
    return true;
}

inline bool planChildSlots(std::initializer_list<Expression*> children, std::vector<Expression*>& plan) {
    return planChildSlots<std::initializer_list<Expression*>>(children, plan);
}
