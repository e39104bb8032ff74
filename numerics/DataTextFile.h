#pragma once
// Reader of column data files: Igor Pro text files and plain column files.
//
// Igor text layout, as every writer of the library produces it:
//
//     IGOR
//     WAVES   T   P   V            (optionally "WAVES /D ...": the flag is dropped)
//     BEGIN
//     300 1.5 nan                  (one value per wave; "nan" or "NaN" is a missing value)
//     ...
//     END
//     x SetScale ...               (Igor command lines, never read as data)
//
// Between "IGOR" and "BEGIN" a line whose first token is "x" is echoed to the
// log (the rest of the line after the token, then one more new line); other
// tokens there are skipped.  The keyword must stand alone: "WAVES/D" as one
// token names no waves.  Reading stops at "END"; later blocks are not read.
//
// Plain column layout: the first line holds the column names (an optional
// "/D" as second token is dropped), every further line one row; reading stops
// at the end of the file or at a row whose first token is "END".  The column
// text files of the curve writers ("# P(1) Vl(2) ...") are read the same way:
// a first token "#" standing alone is a mark, not a column name.
//
// Use, on the stack of the function that reads the file:
//
//     DataTextFile f("data.itx");
//     if (f.set_index("T P") != 2) { ... a column is missing ... }
//     double T, P;
//     while (f.read()) { f >> T >> P; ... }
//     if (f.failed()) { ... the file was malformed; f.error() says how ... }
//
// Nothing here ends the process.  A missing file, a header without "BEGIN" or
// without names, a row with too few or too many values, a value that is not a
// number, an Igor data block that ends without "END", or a line or token longer
// than the bounds below is reported (standard error, with the file name and
// line number) and makes `read` return 0 with `failed()` set.  One row is one
// line.  Numbers are read in the C locale whatever the program's locale.
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "numerics/MsgList.h"

class DataTextFile {
public:
    // Bounds of one line and of one token (a name, a keyword or a value).
    static constexpr std::size_t kMaxLineLength = 65536;
    static constexpr std::size_t kMaxTokenLength = 1024;
    // `nrows` before `count_items` has run.
    static constexpr long kUncounted = -1;

    DataTextFile();
    explicit DataTextFile(const char* path);
    explicit DataTextFile(const std::string& path);
    ~DataTextFile();
    DataTextFile(const DataTextFile&) = delete;
    DataTextFile& operator=(const DataTextFile&) = delete;

    // Opens the file and reads its header (column names).  A missing file
    // prints "\nFile <path> not found\n" to the log.  Returns true when the
    // reader is ready to read rows.
    bool open(const char* path);
    bool open(const std::string& path);

    // Selects columns by name (blank-, tab- or newline-separated), appending to
    // the selection made so far.  Returns the number of names taken; 0 as soon
    // as a name is not a column (the names before it stay selected).
    int set_index(std::string_view names);
    int set_index(const char* names) { return names ? set_index(std::string_view(names)) : 0; }

    // Reads the next row: 1 when a row was read, 0 at the end of the data or
    // when the file is malformed (then `failed()` is true).
    int read();

    // Delivers the next selected value of the current row, in selection order.
    // Asking for more values than were selected is reported ("Read Data File
    // Error"), sets `failed()` and delivers NaN (0 for a short).  A missing
    // value is delivered as +infinity; `selected_valid` tells it apart.  The
    // short form truncates toward zero; a value outside its range is reported
    // and delivered as 0.
    DataTextFile& operator>>(double& value);
    DataTextFile& operator>>(short& value);

    // Counts the data rows from the current position to "END" or the end of
    // the file (blank lines and "x" command lines not counted), once, and
    // keeps the count in `nrows`.  Returns the count, or -1 when the file
    // cannot be repositioned.
    long count_items();

    // Releases everything; the reader can be opened again.  `failed()` and
    // `error()` keep the outcome of the last reading.
    void close();

    bool is_open() const { return fp != nullptr; }
    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }
    bool is_igor() const { return igor_; }

    int columns() const { return ncols; }
    long rows() const { return nrows; }
    long rows_read() const { return rowsRead_; }
    const MsgList& column_names() const { return names; }
    int selected_count() const { return nselected; }

    // The current row by column index (file order); NaN outside the row.
    double value(int column) const;
    // 1 when the value was read, 0 when it was missing ("nan").
    short is_valid(int column) const;
    // Whether the k-th selected value of the current row was read (not missing).
    bool selected_valid(int k) const;

private:
    enum class LineStatus { Line, EndOfFile, TooLong, ReadError };

    LineStatus readLine();
    void splitLine(std::string_view text);
    bool readHeader();
    bool takeNames(std::size_t first, std::size_t flag);
    bool parseValue(std::string_view token, double& value, short& ok);
    void report(const std::string& what);
    void reportAtLine(const std::string& what);
    bool deliver(double& value);

    std::FILE* fp = nullptr;       // the open file, null when closed
    std::string path;              // the path it was opened with
    int ncols = 0;                 // number of columns
    long nrows = kUncounted;       // number of data rows once counted
    MsgList names;                 // column names in file order
    std::vector<double> values;    // the current row, one value per column
    std::vector<short> valid;      // 1 read, 0 missing
    std::vector<int> selected;     // column indexes chosen by set_index, in order
    int cursor = 0;                // next position in `selected` to deliver
    int nselected = 0;             // number of selected columns

    bool igor_ = false;            // Igor text layout (else plain columns)
    bool ended_ = false;           // no further row will be read
    bool failed_ = false;
    std::string error_;
    long lineNo_ = 0;              // number of the line last read, from 1
    long rowsRead_ = 0;
    bool lastLineHadNewline_ = true;
    std::string line_;             // the line last read, without its line end
    std::vector<std::string_view> tokens_;  // its tokens (views into line_)
    std::vector<std::size_t> tokenEnds_;    // offset after each token in line_
    std::string number_;           // a value token, NUL-terminated for conversion
};
