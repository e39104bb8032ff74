#include "fluid/CurveOutput.h"

#include "platform/OutputFiles.h"
#include "platform/LogSink.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

void padLeft(std::string& out, std::string_view s, int width) {
    if (width > 0 && s.size() < static_cast<std::size_t>(width))
        out.append(static_cast<std::size_t>(width) - s.size(), ' ');
    out.append(s);
}

}  // namespace

CurveOutput::CurveOutput(int mode, std::string path, const char* suffix, std::vector<std::string> names,
                         std::vector<double>* array, CurveLayout layout)
    : path_(std::move(path)),
      suffix_(suffix ? suffix : ""),
      names_(std::move(names)),
      array_(array),
      layout_(std::move(layout)) {
    if (layout_.textModesOnly)
        mode_ = mode == kIgorTextFile ? kIgorTextFile : kColumnTextFile;
    else if (mode == kIgorTextFile || mode == kColumnTextFile || mode == kCollectedRows ||
             mode == kBinaryRows || mode == kArrayOfValues)
        mode_ = mode;
    else
        mode_ = 0;
    open();
}

CurveOutput::~CurveOutput() { close(); }

std::string CurveOutput::fileName(std::string_view stem, const char* suffix) {
    std::string name(stem);
    if (suffix) name += suffix;
    return name;
}

void CurveOutput::fail(const std::string& what) {
    if (ok_) platform::reportWriteFailure(path_, what);
    ok_ = false;
}

void CurveOutput::open() {
    switch (mode_) {
    case kIgorTextFile:
    case kColumnTextFile:
        // (A file that cannot be opened is reported by openOutput.)
        fp_ = platform::openOutput(path_, "w");
        ok_ = fp_ != nullptr;
        if (fp_ && layout_.writeHeader) writeHeader();
        break;
    case kBinaryRows:
        fp_ = platform::openOutput(path_, "wb", sizeof(double) * names_.size());
        ok_ = fp_ != nullptr;
        break;
    case kArrayOfValues:
        if (!array_) {
            path_ = "(array)";
            fail("mode 6 was asked for without an array to fill; the rows are not kept");
        }
        break;
    default:  // 4 collects in memory; other modes write nothing
        break;
    }
}

void CurveOutput::writeHeader() {
    std::string h;
    auto igorNames = [&] {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (i == 0) {
                padLeft(h, names_[i], layout_.firstNameWidth);
            } else {
                h += layout_.nameSeparator;
                padLeft(h, names_[i], layout_.nameWidth);
            }
            h += suffix_;
        }
        h += layout_.nameLineEnd;
    };
    if (mode_ == kIgorTextFile) {
        h = "IGOR\nWAVES ";
        igorNames();
        h += "BEGIN\n";
    } else {
        h = "# ";
        if (!layout_.numberedNames) {
            igorNames();
        } else {
            for (std::size_t i = 0; i < names_.size(); ++i) {
                const std::string numbered = names_[i] + "(" + std::to_string(i + 1) + ")";
                if (i == 0) {
                    padLeft(h, numbered, layout_.firstNumberedWidth);
                } else {
                    h += layout_.numberedSeparator;
                    padLeft(h, numbered, layout_.numberedWidth);
                }
            }
            h += "\n";
        }
    }
    put(h);
}

// Each piece (a header, a row) goes to the file whole and at once, so that
// an interrupted run leaves every row it finished (platform/OutputFiles.h).
void CurveOutput::put(std::string_view text) {
    if (!fp_ || text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), fp_) != text.size() || std::fflush(fp_) != 0)
        fail(std::string("write failed: ") + std::strerror(errno));
}

void CurveOutput::formatValue(std::string& out, double v, const CurveValueFormat& f) {
    // As printf's "%*.*lg" (or f, e) in the C locale.
    char buf[400];
    const int precision = std::clamp(f.precision, 0, 60);
    std::chars_format style = std::chars_format::general;
    if (f.style == 'f') style = std::chars_format::fixed;
    if (f.style == 'e') style = std::chars_format::scientific;
    auto r = std::to_chars(buf, buf + sizeof buf, v, style, precision);
    if (r.ec != std::errc())  // a fixed-point number too long for the buffer
        r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
    padLeft(out, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), f.width);
}

bool CurveOutput::writeRow(std::span<const double> row) {
    if (closed_) return false;
    if (mode_ == 0) return true;  // nothing is written; the trace goes on
    if (!names_.empty() && row.size() != names_.size()) {
        platform::diagf("Curve output %s: a row of %zu values for %zu columns is not written\n",
                     path_.c_str(), row.size(), names_.size());
        return false;
    }
    switch (mode_) {
    case kIgorTextFile:
    case kColumnTextFile: {
        if (!fp_) return false;
        rowText_.clear();
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) rowText_ += layout_.valueSeparator;
            const CurveValueFormat& f =
                i < layout_.columnFormats.size() ? layout_.columnFormats[i] : layout_.value;
            formatValue(rowText_, row[i], f);
        }
        rowText_ += layout_.rowEnd;
        put(rowText_);
        break;
    }
    case kCollectedRows:
        collected_.insert(collected_.end(), row.begin(), row.end());
        break;
    case kBinaryRows:
        if (!fp_) return false;
        if (std::fwrite(row.data(), sizeof(double), row.size(), fp_) != row.size() || std::fflush(fp_) != 0)
            fail(std::string("write failed: ") + std::strerror(errno));
        break;
    case kArrayOfValues:
        if (!array_) return false;
        array_->insert(array_->end(), row.begin(), row.end());
        break;
    default:
        break;
    }
    if (!ok_) return false;
    ++rows_;
    return true;
}

void CurveOutput::writeText(std::string_view text) {
    if (!closed_ && (mode_ == kIgorTextFile || mode_ == kColumnTextFile)) put(text);
}

bool CurveOutput::close() {
    if (closed_) return ok_;
    closed_ = true;
    if (mode_ == kIgorTextFile) put("END\n");
    if (mode_ == kCollectedRows) {
        fp_ = platform::openOutput(path_, "wb", sizeof(double) * names_.size());
        if (!fp_) {
            ok_ = false;
        } else if (!collected_.empty() &&
                   std::fwrite(collected_.data(), sizeof(double), collected_.size(), fp_) !=
                       collected_.size()) {
            fail(std::string("write failed: ") + std::strerror(errno));
        }
        collected_ = {};
    }
    if (fp_) {
        // On disk whole before the interrupt handler lets go of the file.
        std::fflush(fp_);
        platform::forgetOpenOutput(fp_);
        if (std::ferror(fp_)) fail("write failed");
        if (std::fclose(fp_) != 0) fail(std::string("write failed: ") + std::strerror(errno));
        fp_ = nullptr;
    }
    return ok_;
}
