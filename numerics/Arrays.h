#pragma once
// Zero-filled arrays of doubles and triangular tables for quantities symmetric
// in two to five component indexes.
//
// Row tables (allocate2) are n separate rows of m doubles, released with
// dispose.  The triangular tables store only the entries with non-increasing
// indexes: a[i][j] with j <= i (sym2alloc), a[i][j][k] with k <= j <= i
// (sym3alloc), and so on to five indexes.  A caller holding indexes in any order
// sorts them in decreasing order before indexing.  Every level is a separate
// array and every entry starts at 0.
//
// When memory runs out, allocate, allocate2 and the triangular tables report
// "Memory allocation failure" through the log and throw std::bad_alloc, as any
// allocation of the library does; the programs catch it, say so and exit 1.
// A negative size is reported and taken as 0.
#include <cstdio>
#include <new>

// Reports the allocation failure line and throws std::bad_alloc.
[[noreturn]] void allocationFailure();

double* allocate(int n);                 // n zeroed doubles, released with delete[]
double** allocate2(int n, int m);        // n rows of m zeroed doubles
void dispose(double** a, int n);         // releases a row table; null accepted

double** sym2alloc(int n);
double*** sym3alloc(int n);
double**** sym4alloc(int n);
double***** sym5alloc(int n);
void dispose_sym2(double** a, int n);
void dispose_sym3(double*** a, int n);
void dispose_sym4(double**** a, int n);
void dispose_sym5(double***** a, int n);

// Each entry as "\t%f", then a newline.
void printVector(std::FILE* stream, const double* v, int n);
// Each row as its entries with "\t%f" and a newline.
void printMatrix(std::FILE* stream, double** a, int rows, int cols);

// The triangular layout for any element type (the expression engine keeps
// tables of node pointers the same way).  T{} fills every entry.
namespace symtable {

template <class T>
T* level(int len) {
    T* p = new (std::nothrow) T[len > 0 ? len : 0]();
    if (!p) allocationFailure();
    return p;
}

// A table of n rows, row i made by fill(i + 1).
template <class Row, class Fill>
Row* rows(int n, Fill fill) {
    Row* a = level<Row>(n);
    for (int i = 0; i < n; ++i) a[i] = fill(i + 1);
    return a;
}

template <class T>
T** alloc2(int n) {
    return rows<T*>(n, [](int len) { return level<T>(len); });
}
template <class T>
T*** alloc3(int n) {
    return rows<T**>(n, [](int len) { return alloc2<T>(len); });
}
template <class T>
T**** alloc4(int n) {
    return rows<T***>(n, [](int len) { return alloc3<T>(len); });
}
template <class T>
T***** alloc5(int n) {
    return rows<T****>(n, [](int len) { return alloc4<T>(len); });
}

template <class T>
void free2(T** a, int n) {
    if (!a) return;
    for (int i = 0; i < n; ++i) delete[] a[i];
    delete[] a;
}
template <class T>
void free3(T*** a, int n) {
    if (!a) return;
    for (int i = 0; i < n; ++i) free2(a[i], i + 1);
    delete[] a;
}
template <class T>
void free4(T**** a, int n) {
    if (!a) return;
    for (int i = 0; i < n; ++i) free3(a[i], i + 1);
    delete[] a;
}
template <class T>
void free5(T***** a, int n) {
    if (!a) return;
    for (int i = 0; i < n; ++i) free4(a[i], i + 1);
    delete[] a;
}

}  // namespace symtable
