#include "numerics/DataTextFile.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

#include "platform/LogSink.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMissing = std::numeric_limits<double>::infinity();

// Numbers in data files always use the decimal point, whatever locale the
// program runs in (the desktop application takes the user's).
locale_t cLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next word of `text` at or after i (runs of non-separator characters):
// its first character in start, i just past it; false when none is left.
bool nextWord(std::string_view text, std::size_t& i, std::size_t& start) {
    const std::size_t n = text.size();
    while (i < n && isSeparator(text[i])) ++i;
    if (i >= n) return false;
    start = i;
    while (i < n && !isSeparator(text[i])) ++i;
    return true;
}

// A token for a message: cut short, control bytes written as \xNN.
std::string quoted(std::string_view token) {
    constexpr std::size_t shown = 40;
    std::string s = "\"";
    for (char c : token.substr(0, shown)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", u);
            s += buf;
        } else {
            s += c;
        }
    }
    if (token.size() > shown) s += "...";
    s += '"';
    return s;
}

enum class ValueStatus { Ok, NotANumber, OutOfRange, TooLong };

}  // namespace

DataTextFile::DataTextFile() = default;

DataTextFile::DataTextFile(const char* p) { open(p); }

DataTextFile::DataTextFile(const std::string& p) { open(p); }

DataTextFile::~DataTextFile() { close(); }

bool DataTextFile::open(const char* p) {
    if (!p) {
        close();
        failed_ = true;
        error_ = "No data file name given";
        platform::diagf("%s\n", error_.c_str());
        return false;
    }
    return open(std::string(p));
}

bool DataTextFile::open(const std::string& p) {
    close();
    failed_ = false;
    error_.clear();
    fp = std::fopen(p.c_str(), "r");
    if (!fp) {
        failed_ = true;
        error_ = "File " + p + " not found";
        platform::logDiagnostic("\nFile " + p + " not found\n");
        return false;
    }
    path = p;
    if (!readHeader()) {
        std::string keep = error_;
        close();
        failed_ = true;
        error_ = keep;
        return false;
    }
    return true;
}

void DataTextFile::close() {
    if (fp) std::fclose(fp);
    fp = nullptr;
    path.clear();
    names.clear();
    values.clear();
    valid.clear();
    selected.clear();
    ncols = 0;
    nrows = kUncounted;
    cursor = 0;
    nselected = 0;
    igor_ = false;
    ended_ = false;
    lineNo_ = 0;
    rowsRead_ = 0;
    lastLineHadNewline_ = true;
    line_.clear();
    tokens_.clear();
    tokenEnds_.clear();
}

void DataTextFile::report(const std::string& what) {
    failed_ = true;
    error_ = "File " + path + ": " + what;
    platform::diagf("%s\n", error_.c_str());
}

void DataTextFile::reportAtLine(const std::string& what) {
    report("line " + std::to_string(lineNo_) + ": " + what);
}

// One line into line_, without its line end (nor a carriage return before it).
// A line longer than kMaxLineLength is consumed to its end but not kept.
DataTextFile::LineStatus DataTextFile::readLine() {
    line_.clear();
    bool tooLong = false;
    int c;
    bool any = false;
    while ((c = std::getc(fp)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line_.size() < kMaxLineLength)
            line_.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    if (c == EOF && std::ferror(fp)) return LineStatus::ReadError;
    if (!any) return LineStatus::EndOfFile;
    ++lineNo_;
    lastLineHadNewline_ = (c == '\n');
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    return tooLong ? LineStatus::TooLong : LineStatus::Line;
}

void DataTextFile::splitLine(std::string_view text) {
    tokens_.clear();
    tokenEnds_.clear();
    std::size_t i = 0, start = 0;
    while (nextWord(text, i, start)) {
        tokens_.push_back(text.substr(start, i - start));
        tokenEnds_.push_back(i);
    }
}

bool DataTextFile::readHeader() {
    auto lineFailure = [this](LineStatus st, const char* atEnd) {
        if (st == LineStatus::EndOfFile)
            report(atEnd);
        else if (st == LineStatus::TooLong)
            reportAtLine("line longer than " + std::to_string(kMaxLineLength) + " characters");
        else
            report(std::string("cannot be read: ") + std::strerror(errno));
        return false;
    };

    // The first token tells the layout (blank lines before it are skipped).
    LineStatus st;
    for (;;) {
        st = readLine();
        if (st != LineStatus::Line) return lineFailure(st, "holds no column names (the file is empty)");
        splitLine(line_);
        if (!tokens_.empty()) break;
    }
    if (tokens_[0] != "IGOR") {
        igor_ = false;
        // "T /D P V": the flag follows the first name.  "# P(1) Vl(2) ...": the
        // gnuplot header of the column text files; the mark names no column.
        const bool marked = tokens_[0] == "#";
        if (!takeNames(marked ? 1 : 0, marked ? 2 : 1)) return false;
        if (ncols == 0) {
            reportAtLine("no column names on the first line");
            return false;
        }
        return true;
    }

    // Igor header: tokens up to "BEGIN"; "x" lines are echoed, a "WAVES" line names the waves.
    igor_ = true;
    std::size_t t = 1;
    for (;;) {
        for (; t < tokens_.size(); ++t) {
            const std::string_view tok = tokens_[t];
            if (tok == "BEGIN") {
                if (ncols == 0) {
                    reportAtLine("no wave names before \"BEGIN\" (a line \"WAVES name name ...\" names them)");
                    return false;
                }
                return true;
            }
            if (tok == "x") {
                std::string echo = line_.substr(tokenEnds_[t]);
                if (lastLineHadNewline_) echo += '\n';
                echo += '\n';
                platform::logText(echo);
                break;
            }
            if (tok == "WAVES") {
                if (!takeNames(t + 1, t + 1)) return false;
                break;
            }
        }
        st = readLine();
        if (st != LineStatus::Line)
            return lineFailure(st, "the Igor header has no \"BEGIN\" line");
        splitLine(line_);
        t = 0;
    }
}

// The tokens of the current line from `first` on are column names, except a
// "/D" (double precision flag) at position `flag`.
bool DataTextFile::takeNames(std::size_t first, std::size_t flag) {
    for (std::size_t i = first; i < tokens_.size(); ++i) {
        if (i == flag && tokens_[i] == "/D") continue;
        if (tokens_[i].size() > kMaxTokenLength) {
            reportAtLine("column name " + quoted(tokens_[i]) + " longer than " +
                         std::to_string(kMaxTokenLength) + " characters");
            return false;
        }
        names.append(tokens_[i]);
    }
    ncols = names.size();
    values.assign(static_cast<std::size_t>(ncols), kNaN);
    valid.assign(static_cast<std::size_t>(ncols), 0);
    selected.clear();
    nselected = 0;
    cursor = 0;
    return true;
}

int DataTextFile::set_index(std::string_view list) {
    int taken = 0;
    std::size_t i = 0, start = 0;
    while (nextWord(list, i, start)) {
        const int column = names.get_index(list.substr(start, i - start));
        if (column < 0) return 0;
        selected.push_back(column);
        nselected = static_cast<int>(selected.size());
        ++taken;
    }
    return taken;
}

int DataTextFile::read() {
    if (!fp || ended_) return 0;
    for (;;) {
        const LineStatus st = readLine();
        if (st == LineStatus::EndOfFile) {
            ended_ = true;
            if (igor_)
                report("the data block ends without \"END\" after " + std::to_string(rowsRead_) +
                       " rows; the file may be truncated");
            return 0;
        }
        if (st != LineStatus::Line) {
            ended_ = true;
            if (st == LineStatus::TooLong)
                reportAtLine("line longer than " + std::to_string(kMaxLineLength) + " characters");
            else
                report(std::string("cannot be read: ") + std::strerror(errno));
            break;
        }
        splitLine(line_);
        if (tokens_.empty()) continue;
        if (tokens_[0] == "END") {
            ended_ = true;
            return 0;
        }
        if (tokens_.size() != static_cast<std::size_t>(ncols)) {
            ended_ = true;
            reportAtLine("a row of " + std::to_string(tokens_.size()) + " values where the file has " +
                         std::to_string(ncols) + " columns");
            break;
        }
        bool good = true;
        for (std::size_t i = 0; i < tokens_.size() && good; ++i) {
            const std::string_view tok = tokens_[i];
            ValueStatus vs = ValueStatus::Ok;
            double v = kNaN;
            short ok = 0;
            if (tok.size() > kMaxTokenLength) {
                vs = ValueStatus::TooLong;
            } else {
                number_.assign(tok);
                const char* s = number_.c_str();
                char* end = nullptr;
                errno = 0;
                v = strtod_l(s, &end, cLocale());
                if (end == s || end != s + number_.size())
                    vs = ValueStatus::NotANumber;
                else if (std::isnan(v)) {
                    v = kMissing;  // "nan", "NaN", "-nan": a missing value
                    ok = 0;
                } else if (errno == ERANGE && std::isinf(v))
                    vs = ValueStatus::OutOfRange;
                else
                    ok = 1;
            }
            if (vs != ValueStatus::Ok) {
                const std::string where =
                    " in column " + std::to_string(i + 1) + " (" + names(static_cast<int>(i)) + ")";
                if (vs == ValueStatus::TooLong)
                    reportAtLine("a value longer than " + std::to_string(kMaxTokenLength) + " characters" +
                                 where);
                else if (vs == ValueStatus::OutOfRange)
                    reportAtLine(quoted(tok) + where + " is out of the range of a double");
                else
                    reportAtLine(quoted(tok) + where + " is not a number");
                good = false;
                break;
            }
            values[i] = v;
            valid[i] = ok;
        }
        if (!good) {
            ended_ = true;
            break;
        }
        cursor = 0;
        ++rowsRead_;
        return 1;
    }
    // A malformed row: nothing of it is delivered.
    values.assign(values.size(), kNaN);
    valid.assign(valid.size(), 0);
    cursor = nselected;
    return 0;
}

bool DataTextFile::deliver(double& v) {
    if (cursor >= nselected) {
        platform::logDiagnostic("Read Data File Error\n");
        report("more values asked of a row than the " + std::to_string(nselected) + " selected columns");
        v = kNaN;
        return false;
    }
    v = values[static_cast<std::size_t>(selected[static_cast<std::size_t>(cursor)])];
    ++cursor;
    return true;
}

DataTextFile& DataTextFile::operator>>(double& value) {
    deliver(value);
    return *this;
}

DataTextFile& DataTextFile::operator>>(short& value) {
    double v;
    if (!deliver(v)) {
        value = 0;
        return *this;
    }
    if (!(v > -32769.0 && v < 32768.0)) {
        report("value " + std::to_string(v) + " does not fit a short integer");
        value = 0;
        return *this;
    }
    value = static_cast<short>(v);  // truncation toward zero
    return *this;
}

long DataTextFile::count_items() {
    if (!fp) return -1;
    if (nrows != kUncounted) return nrows;
    std::fpos_t pos;
    if (std::fgetpos(fp, &pos) != 0) {
        report(std::string("cannot count the rows: ") + std::strerror(errno));
        return -1;
    }
    const long line = lineNo_;
    const bool newline = lastLineHadNewline_;
    long n = 0;
    for (;;) {
        const LineStatus st = readLine();
        if (st == LineStatus::EndOfFile || st == LineStatus::ReadError) break;
        splitLine(line_);
        if (tokens_.empty()) continue;
        if (tokens_[0] == "END") break;
        if (tokens_[0] == "x") continue;
        ++n;
    }
    std::clearerr(fp);
    if (std::fsetpos(fp, &pos) != 0) {
        report(std::string("cannot count the rows: ") + std::strerror(errno));
        ended_ = true;
        return -1;
    }
    lineNo_ = line;
    lastLineHadNewline_ = newline;
    tokens_.clear();
    tokenEnds_.clear();
    nrows = n;
    return nrows;
}

double DataTextFile::value(int column) const {
    if (column < 0 || column >= ncols) return kNaN;
    return values[static_cast<std::size_t>(column)];
}

short DataTextFile::is_valid(int column) const {
    if (column < 0 || column >= ncols) return 0;
    return valid[static_cast<std::size_t>(column)];
}

bool DataTextFile::selected_valid(int k) const {
    if (k < 0 || k >= nselected) return false;
    return is_valid(selected[static_cast<std::size_t>(k)]) != 0;
}
