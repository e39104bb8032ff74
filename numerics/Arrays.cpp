#include "numerics/Arrays.h"
#include "platform/LogSink.h"

namespace {

// A negative size is a caller's error: reported, and taken as 0.
int checkedSize(int n) {
    if (n >= 0) return n;
    platform::diagf("Array of %d elements asked for: none allocated\n", n);
    return 0;
}

}  // namespace

void allocationFailure() {
    platform::diagf("Memory allocation failure\n");
    throw std::bad_alloc();
}

double* allocate(int n) {
    n = checkedSize(n);
    double* p = new (std::nothrow) double[n]();
    if (!p) allocationFailure();
    return p;
}

double** allocate2(int n, int m) {
    n = checkedSize(n);
    m = checkedSize(m);
    double** a = new (std::nothrow) double*[n]();
    if (!a) allocationFailure();
    for (int i = 0; i < n; ++i) a[i] = allocate(m);
    return a;
}

void dispose(double** a, int n) {
    if (!a) return;
    for (int i = 0; i < n; ++i) delete[] a[i];
    delete[] a;
}

double** sym2alloc(int n) { return symtable::alloc2<double>(n); }
double*** sym3alloc(int n) { return symtable::alloc3<double>(n); }
double**** sym4alloc(int n) { return symtable::alloc4<double>(n); }
double***** sym5alloc(int n) { return symtable::alloc5<double>(n); }
void dispose_sym2(double** a, int n) { symtable::free2(a, n); }
void dispose_sym3(double*** a, int n) { symtable::free3(a, n); }
void dispose_sym4(double**** a, int n) { symtable::free4(a, n); }
void dispose_sym5(double***** a, int n) { symtable::free5(a, n); }

void printVector(std::FILE* stream, const double* v, int n) {
    for (int i = 0; i < n; ++i) std::fprintf(stream, "\t%f", v[i]);
    std::fprintf(stream, "\n");
}

void printMatrix(std::FILE* stream, double** a, int rows, int cols) {
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) std::fprintf(stream, "\t%f", a[i][j]);
        std::fprintf(stream, "\n");
    }
}
