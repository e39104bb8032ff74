#pragma once
// Arrays of node pointers for owners of many nodes.  None of them owns the
// nodes it points to.
//
// Expr1 .. Expr5 hold one to five indices; the tables of two or more indices
// are lower-triangular like the derivative arrays (first index the largest:
// (i, j) with j <= i, (i, j, k) with k <= j <= i, ...).  setSize(n) makes every
// element null; operator()(i, ...) reaches an element after check_index.  An
// index outside the table (a programming error the owner must correct) is
// reported through the log and sets `indexError`; the element handed out is
// then a spare slot holding a null pointer, never memory outside the table.
// setName("a") stores a base name and setName(i, j) names element (i, j)
// "a(i,j)".
//
// expression_allocate and expression_sym2alloc .. expression_sym5alloc make
// plain jagged tables of null pointers (same layout; the mixing sums accept
// them as term tables); expression_dispose_sym2 .. 5 free them.
#include <string>
#include <type_traits>
#include <vector>

#include "expressions/Expression.h"

template <int D>
class ExprTable {
    static_assert(D >= 1 && D <= 5);

public:
    std::vector<Expression*> elements;  // flat, lexicographic in the sorted indices
    int size = 0;
    std::string baseName;  // empty: none
    bool indexError = false;  // set by the first index outside the table

    void setSize(int n);
    void setName(const char* base) { baseName = base ? base : ""; }

    template <class... I>
        requires(sizeof...(I) == D && (std::is_integral_v<I> && ...))
    void setName(I... idx) {
        int a[D] = {static_cast<int>(idx)...};
        setNameAt(a);
    }
    template <class... I>
        requires(sizeof...(I) == D && (std::is_integral_v<I> && ...))
    Expression*& operator()(I... idx) {
        int a[D] = {static_cast<int>(idx)...};
        if (!check_index(a)) {
            indexError = true;
            outside = nullptr;
            return outside;
        }
        return elements[offset(a)];
    }
    template <class... I>
        requires(sizeof...(I) == D && (std::is_integral_v<I> && ...))
    bool check_index(I... idx) const {
        int a[D] = {static_cast<int>(idx)...};
        return check_index(a);
    }

    // Whether the sorted indices a[0] >= a[1] >= ... >= 0 lie inside the
    // table; an index that does not is reported.
    bool check_index(const int* a) const;
    static std::size_t offset(const int* a);

private:
    void setNameAt(const int* a);
    Expression* outside = nullptr;  // the slot handed out for an index outside the table
};

using Expr1 = ExprTable<1>;
using Expr2 = ExprTable<2>;
using Expr3 = ExprTable<3>;
using Expr4 = ExprTable<4>;
using Expr5 = ExprTable<5>;

extern template class ExprTable<1>;
extern template class ExprTable<2>;
extern template class ExprTable<3>;
extern template class ExprTable<4>;
extern template class ExprTable<5>;

void expression_allocate(Expression*** out, int n);
// t[i][j] (j <= i) are node pointers: *out is an Expression*** for two indices,
// one more level for each further index.
void expression_sym2alloc(Expression**** out, int n);
void expression_sym3alloc(Expression***** out, int n);
void expression_sym4alloc(Expression****** out, int n);
void expression_sym5alloc(Expression******* out, int n);
void expression_dispose_sym2(Expression*** a, int n);
void expression_dispose_sym3(Expression**** a, int n);
void expression_dispose_sym4(Expression***** a, int n);
void expression_dispose_sym5(Expression****** a, int n);
