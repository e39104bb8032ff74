#pragma once
// Tables of doubles kept as flat, row-major arrays: entry r*n + c is column c
// of row r; the number of rows is the entry count divided by n, rounded down.
#include <string>
#include <vector>

// Reads a data file of raw doubles (native byte order), 8 bytes each, in file
// order; trailing bytes short of 8 are ignored; a missing file gives an empty
// array.  The name is found through the data-file resolver.
std::vector<double> arrayWithDataInFile(const std::string& name);

// Every crossing of v by column k, each interpolated linearly over all n
// columns: n numbers per crossing, in row order.  An exact hit on a row is
// reported once (the interval that starts there is skipped); intervals with
// equal keys are never interpolated.  Columns or n out of range give nothing.
std::vector<double> search(const std::vector<double>& table, int n, int k, double v);

// Column j at the first crossing of v by column k; found is set to true, or to
// false with 0.0 returned when there is none.
double search(const std::vector<double>& table, int n, int k, int j, double v, bool* found);
