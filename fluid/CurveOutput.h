#pragma once
// Output modes of the curve tracers (`ScriptFlag`) and the writer that every
// tracer of the library writes its rows through.
//
// A tracer (saturation curve, spinodals, tie lines, iso-lines, isochores,
// isobars, isentropes, property diagrams, the mixture curves, the brine and
// solubility curves, the magma-chamber curves and the magma-water energetics)
// computes one row of doubles per point, in its own column order and units,
// and hands the same row to the writer whatever the mode:
//
//   mode 1  Igor text file at the path:
//               IGOR
//               WAVES     P         Vl ...     (names each followed by the suffix)
//               BEGIN
//                      1.5         18 ...      (each value "%12lg", one blank between)
//               END
//   mode 2  text file at the path with one "# " header line of numbered
//           names ("# " "P(1)" right-aligned in 11, " " "Vl(2)" in 12, ...),
//           then the rows as in mode 1 (for gnuplot);
//   mode 4  rows collected in memory as raw 8-byte doubles (host byte order)
//           and written to the path once, when the output is closed;
//   mode 5  rows written to the path as raw 8-byte doubles as they come
//           (8 x columns bytes a row, no header, no separator);
//   mode 6  every value of every row appended, in column order, to the
//           caller's std::vector<double> (nothing is cleared first; the caller
//           splits the flat vector by the column count);
//   other   nothing is written and no file is created; the trace still runs.
//
// The one signature of the tracers.  A tracer takes, in this order at the end
// of its arguments,
//
//     ..., char mode, const char* suffix, std::vector<double>* array)
//
// (tracers that receive their path whole take `const char* path` before
// them; the array may be null unless the mode is 6; tracers that offer only
// the text modes take no array) and writes through one CurveOutput on its
// stack:
//
//     void FluidPhase::calculateTheIsochor(double V, double Tmin, double Tmax, int n,
//                                          char mode, const char* suffix,
//                                          std::vector<double>* array) {
//         CurveOutput out(mode, CurveOutput::fileName("isoc", suffix), suffix,
//                         {"T", "P", "A", "H"}, array);
//         for (...) {
//             ...
//             out.writeRow({T, P * 1e-5, A, H});
//         }
//     }   // the destructor closes the output on every return, early ones too
//
// A tracer whose Part gives other widths or separators passes a CurveLayout;
// one that writes extra text in the text modes (a row of "nan", an empty
// line, a header of its own) uses writeText, which writes in modes 1 and 2
// only.  A tracer that offers only some modes maps the others to 0 before
// constructing the writer (a tracer without mode 5: `mode == 5 ? 0 : mode`);
// one that offers only the two text modes sets `textModesOnly` (mode 1 Igor,
// every other mode the "# " layout).
//
// Values are formatted in the C locale (a decimal point whatever the
// program's locale), so that the column reader reads back exactly what was
// written.  A file that cannot be opened or written is reported and counted
// (platform/OutputFiles.h) and the trace goes on; `ok()` tells the caller.
#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The output-mode codes; tracers receive them as a char.
enum ScriptFlag : char {
    kIgorTextFile = 1,     // Igor Pro text file
    kColumnTextFile = 2,   // text with a "# " column header (gnuplot)
    kCollectedRows = 4,    // raw doubles collected and written at the end
    kBinaryRows = 5,       // raw doubles written as they come
    kArrayOfValues = 6,    // values appended to the caller's std::vector<double>
};

// One value of a text row: right-aligned in `width`, with `precision` digits,
// `style` 'g' (as "%lg"), 'f' (as "%lf") or 'e' (as "%le").
struct CurveValueFormat {
    int width = 12;
    int precision = 6;
    char style = 'g';
};

// The text layout of a tracer; the defaults are the common one.
struct CurveLayout {
    // Igor wave line: the first name right-aligned in firstNameWidth, each
    // further one after nameSeparator right-aligned in nameWidth, every name
    // followed at once by the suffix.
    int firstNameWidth = 5;
    int nameWidth = 11;
    std::string nameSeparator = " ";
    std::string nameLineEnd = "\n";
    // Mode 2 header: "# ", then the numbered names "P(1)", "Vl(2)" ... (or,
    // with numberedNames false, the Igor wave line with the suffix).
    bool numberedNames = true;
    int firstNumberedWidth = 11;
    int numberedWidth = 12;
    std::string numberedSeparator = " ";
    // Rows of modes 1 and 2.
    CurveValueFormat value;                    // every column ...
    std::vector<CurveValueFormat> columnFormats;  // ... unless given here, column by column
    std::string valueSeparator = " ";
    std::string rowEnd = "\n";
    // false: no header is written (the tracer writes its own with writeText).
    bool writeHeader = true;
    // Tracers that offer only the text modes: 1 Igor, any other "# ".
    bool textModesOnly = false;
};

class CurveOutput {
public:
    // mode: a ScriptFlag value (anything else writes nothing); path: the file
    // of modes 1, 2, 4 and 5; suffix: appended to the wave names (null = none);
    // names: the columns, in row order; array: the caller's vector of mode 6.
    CurveOutput(int mode, std::string path, const char* suffix, std::vector<std::string> names,
                std::vector<double>* array, CurveLayout layout = {});
    ~CurveOutput();
    CurveOutput(const CurveOutput&) = delete;
    CurveOutput& operator=(const CurveOutput&) = delete;

    // Writes one row.  A row whose length differs from the number of names is
    // not written (reported); false then, or when the output has failed.
    bool writeRow(std::span<const double> row);
    bool writeRow(std::initializer_list<double> row) {
        return writeRow(std::span<const double>(row.begin(), row.size()));
    }
    // The same for values of mixed arithmetic types.
    template <class... V>
    bool writeValues(V... v) {
        const double row[] = {static_cast<double>(v)...};
        return writeRow(std::span<const double>(row, sizeof...(V)));
    }

    // Text of the tracer's own in the text modes (1 and 2); ignored otherwise.
    void writeText(std::string_view text);

    // Closes the output (mode 1 writes "END"; mode 4 writes its file).  Runs
    // once; the destructor calls it.  False when a file could not be written.
    bool close();

    // The mode in effect: 1, 2, 4, 5 or 6, or 0 when nothing is written.
    int mode() const { return mode_; }
    bool igor() const { return mode_ == kIgorTextFile; }
    bool text() const { return mode_ == kIgorTextFile || mode_ == kColumnTextFile; }
    bool ok() const { return ok_; }
    std::size_t columns() const { return names_.size(); }
    std::size_t rowsWritten() const { return rows_; }
    const std::string& path() const { return path_; }

    // stem followed by the suffix (nothing for a null suffix): "satu" + "0".
    static std::string fileName(std::string_view stem, const char* suffix);

    // One value as a text row writes it.
    static void formatValue(std::string& out, double v, const CurveValueFormat& f);

private:
    void open();
    void writeHeader();
    void put(std::string_view text);
    void fail(const std::string& what);

    int mode_ = 0;
    std::string path_;
    std::string suffix_;
    std::vector<std::string> names_;
    std::vector<double>* array_ = nullptr;
    CurveLayout layout_;
    std::FILE* fp_ = nullptr;
    std::vector<double> collected_;  // mode 4
    std::string rowText_;            // the text row being formatted
    std::size_t rows_ = 0;
    bool ok_ = true;
    bool closed_ = false;
};
