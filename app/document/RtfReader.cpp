#include "app/document/RtfReader.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

struct State {
    int font = -1;
    double pointSize = 12.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int color = 0;
    bool skip = false;  // inside a destination whose text is not shown
    int uc = 1;         // characters of fallback after \uN
    enum class Table { None, Fonts, Colors } table = Table::None;
};

struct FontEntry {
    std::string family;
    bool bold = false;
    bool italic = false;
};

// Windows-1252, the code page of \ansi documents, for \'hh escapes.
unsigned long cp1252(unsigned b) {
    static const unsigned short high[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                            0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return b >= 0x80 && b < 0xA0 ? high[b - 0x80] : b;
}

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    RtfDocument read() {
        if (s_.substr(0, 5) != "{\\rtf") return doc_;
        doc_.isRTF = true;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '{') {
                if (!openGroup()) break;
            } else if (c == '}') {
                if (!closeGroup()) break;
            } else if (c == '\r' || c == '\n') {
                ++i_;
            } else if (c != '\\') {
                readPlainText();
            } else if (!readControl()) {
                break;
            }
        }
        return doc_;
    }

private:
    // A group opens: its state starts as the enclosing one's.  False for
    // nesting beyond any sensible document (reading stops).
    bool openGroup() {
        if (stack_.size() > 1000) return false;
        stack_.push_back(st_);
        ++i_;
        return true;
    }

    // A group closes: the enclosing state comes back.  False at the end of
    // the document.
    bool closeGroup() {
        if (st_.table == State::Table::Fonts) flushFontName();
        if (stack_.empty()) return false;
        st_ = stack_.back();
        stack_.pop_back();
        ++i_;
        return true;
    }

    // Text up to the next control, group or line break.
    void readPlainText() {
        size_t j = i_;
        while (j < s_.size() && s_[j] != '\\' && s_[j] != '{' && s_[j] != '}' && s_[j] != '\r' && s_[j] != '\n') ++j;
        addText(s_.substr(i_, j - i_));
        i_ = j;
    }

    // A control symbol or a control word; false when the document ends in
    // a lone backslash.
    bool readControl() {
        if (i_ + 1 >= s_.size()) return false;
        const char d = s_[i_ + 1];
        if (std::isalpha(static_cast<unsigned char>(d)))
            readControlWord();
        else
            readControlSymbol(d);
        return true;
    }

    void readControlSymbol(char d) {
        if (d == '\\' || d == '{' || d == '}') {
            addText(s_.substr(i_ + 1, 1));
            i_ += 2;
        } else if (d == '\'') {
            const size_t n = hexEscapeBytes(i_);
            // (A truncated escape is dropped, what there is of it.)
            if (n == 4) addCodePoint(cp1252(static_cast<unsigned>(std::strtoul(std::string(s_.substr(i_ + 2, 2)).c_str(), nullptr, 16))));
            i_ += n;
        } else if (d == '*') {
            st_.skip = true;
            i_ += 2;
        } else if (d == '~') {
            addCodePoint(0xA0);
            i_ += 2;
        } else if (d == '\n' || d == '\r') {
            addText("\n");
            i_ += 2;
        } else {  // \- \_ \| \: and the like
            if (d == '_') addCodePoint(0x2011);
            // (The symbol is one character, all the bytes of it.)
            i_ += 1 + characterBytes(i_ + 1);
        }
    }

    // A control word with its optional numeric argument and the one space
    // that ends it; the font and colour tables take their entries from it.
    void readControlWord() {
        size_t j = i_ + 1;
        while (j < s_.size() && j - i_ <= 32 && std::isalpha(static_cast<unsigned char>(s_[j]))) ++j;
        std::string word(s_.substr(i_ + 1, j - i_ - 1));
        bool hasArg = false;
        long arg = 0;
        if (j < s_.size() && (s_[j] == '-' || std::isdigit(static_cast<unsigned char>(s_[j])))) {
            size_t k = j + 1;
            while (k < s_.size() && k - j < 10 && std::isdigit(static_cast<unsigned char>(s_[k]))) ++k;
            arg = std::strtol(std::string(s_.substr(j, k - j)).c_str(), nullptr, 10);
            hasArg = true;
            j = k;
        }
        if (j < s_.size() && s_[j] == ' ') ++j;
        i_ = j;
        control(word, hasArg, arg, st_, doc_, [&](unsigned long cp) { addCodePoint(cp); });
        if (st_.table == State::Table::Fonts && word == "f" && hasArg) {
            flushFontName();
            fontIndex_ = static_cast<int>(std::clamp(arg, 0L, 255L));
        }
        if (st_.table == State::Table::Colors && hasArg) {
            long v = std::clamp(arg, 0L, 255L);
            if (word == "red") r_ = static_cast<int>(v), colorHasValue_ = true;
            if (word == "green") g_ = static_cast<int>(v), colorHasValue_ = true;
            if (word == "blue") b_ = static_cast<int>(v), colorHasValue_ = true;
        }
        if (word == "uc" && hasArg) st_.uc = static_cast<int>(std::clamp(arg, 0L, 8L));
        if (word == "u" && hasArg) skipUnicodeFallback();
    }

    // Skips the fallback that follows \uN: \ucN characters, an \'hh escape
    // counting as one.
    void skipUnicodeFallback() {
        for (int k = 0; k < st_.uc && i_ < s_.size(); ++k) {
            if (s_[i_] == '{' || s_[i_] == '}') break;
            if (s_[i_] == '\\') {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') i_ += hexEscapeBytes(i_);
                else break;
            } else {
                i_ += characterBytes(i_);
            }
        }
    }

    // The font table entry whose name has been read.
    void flushFontName() {
        if (fontIndex_ < 0) return;
        std::string name = fontName_;
        while (!name.empty() && (name.back() == ';' || name.back() == ' ')) name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(name.begin());
        FontEntry e;
        // PostScript names carry the style: "Courier-Bold", "Helvetica-BoldOblique".
        size_t dash = name.find('-');
        e.family = name.substr(0, dash);
        if (dash != std::string::npos) {
            std::string style = name.substr(dash + 1);
            e.bold = style.find("Bold") != std::string::npos;
            e.italic = style.find("Italic") != std::string::npos || style.find("Oblique") != std::string::npos;
        }
        if (fonts_.size() <= static_cast<size_t>(fontIndex_)) fonts_.resize(static_cast<size_t>(fontIndex_) + 1);
        fonts_[static_cast<size_t>(fontIndex_)] = e;
        fontName_.clear();
        fontIndex_ = -1;
    }

    // Text: a font name or colour entries inside their tables, else a run of
    // the document (none inside a destination that is not shown).
    void addText(std::string_view t) {
        if (st_.skip) return;
        if (st_.table == State::Table::Fonts) {
            for (char c : t) {
                if (c == ';') flushFontName();
                else fontName_ += c;
            }
            return;
        }
        if (st_.table == State::Table::Colors) {
            for (char c : t) {
                if (c != ';') continue;
                RtfColor col;
                if (colorHasValue_) col = RtfColor{false, r_, g_, b_};
                colors_.push_back(col);
                r_ = g_ = b_ = 0;
                colorHasValue_ = false;
            }
            return;
        }
        emit(doc_, st_, t);
    }

    void addCodePoint(unsigned long cp) {
        std::string u;
        platform::appendUtf8(u, cp);
        addText(u);
    }

    // Bytes of the character at s_[i]: its whole UTF-8 sequence, or the one
    // byte where none is well formed.
    size_t characterBytes(size_t i) const { return std::max<size_t>(1, platform::utf8SequenceLength(s_, i)); }
    // Bytes of the \'hh escape at s_[i]: 4, or those of a truncated one (the
    // backslash, the quote and a hex digit if there is one).
    size_t hexEscapeBytes(size_t i) const {
        auto hex = [&](size_t k) { return k < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[k])); };
        if (hex(i + 2) && hex(i + 3)) return 4;
        return hex(i + 2) ? 3 : 2;
    }

    template <class Emit>
    void control(const std::string& w, bool hasArg, long arg, State& st, RtfDocument& doc, Emit emitCp) {
        (void)doc;
        if (w == "fonttbl") st.table = State::Table::Fonts;
        else if (w == "colortbl") st.table = State::Table::Colors;
        else if (w == "info" || w == "stylesheet" || w == "pict" || w == "header" || w == "footer" || w == "object" ||
                 w == "listtable" || w == "listoverridetable" || w == "expandedcolortbl" || w == "generator")
            st.skip = true;
        if (st.table != State::Table::None || st.skip) return;
        if (w == "par" || w == "line") emitText("\n", st, doc);
        else if (w == "tab") emitText("\t", st, doc);
        else if (w == "f" && hasArg) st.font = static_cast<int>(std::clamp(arg, 0L, 255L));
        else if (w == "fs") st.pointSize = hasArg && arg > 0 ? std::min(arg, 3000L) / 2.0 : 12.0;
        else if (w == "cf") st.color = hasArg ? static_cast<int>(std::clamp(arg, 0L, 255L)) : 0;
        else if (w == "b") st.bold = !hasArg || arg != 0;
        else if (w == "i") st.italic = !hasArg || arg != 0;
        else if (w == "ul") st.underline = !hasArg || arg != 0;
        else if (w == "ulnone") st.underline = false;
        else if (w == "plain") {
            st.bold = st.italic = st.underline = false;
            st.pointSize = 12.0;
            st.font = -1;
        } else if (w == "u" && hasArg) emitCp(static_cast<unsigned long>(arg < 0 ? arg + 65536 : arg));
        else if (w == "emdash") emitCp(0x2014);
        else if (w == "endash") emitCp(0x2013);
        else if (w == "bullet") emitCp(0x2022);
        else if (w == "lquote") emitCp(0x2018);
        else if (w == "rquote") emitCp(0x2019);
        else if (w == "ldblquote") emitCp(0x201C);
        else if (w == "rdblquote") emitCp(0x201D);
    }

    void emitText(std::string_view t, const State& st, RtfDocument& doc) { emit(doc, st, t); }

    void emit(RtfDocument& doc, const State& st, std::string_view t) {
        if (t.empty()) return;
        RtfRun run;
        if (st.font >= 0 && static_cast<size_t>(st.font) < fonts_.size()) {
            const FontEntry& f = fonts_[static_cast<size_t>(st.font)];
            run.font = f.family;
            run.bold = f.bold;
            run.italic = f.italic;
        }
        run.bold = run.bold || st.bold;
        run.italic = run.italic || st.italic;
        run.underline = st.underline;
        run.pointSize = st.pointSize;
        if (st.color > 0 && static_cast<size_t>(st.color) < colors_.size()) run.color = colors_[static_cast<size_t>(st.color)];
        if (!doc.runs.empty()) {
            RtfRun& last = doc.runs.back();
            if (last.font == run.font && last.pointSize == run.pointSize && last.bold == run.bold &&
                last.italic == run.italic && last.underline == run.underline && last.color == run.color) {
                last.text.append(t);
                return;
            }
        }
        run.text = std::string(t);
        doc.runs.push_back(std::move(run));
    }

    std::string_view s_;
    std::vector<FontEntry> fonts_;
    std::vector<RtfColor> colors_;
    // The reading: the document so far, the state of the current group and
    // of the enclosing ones, the position, the font name and colour being
    // read in their tables.
    RtfDocument doc_;
    State st_;
    std::vector<State> stack_;
    size_t i_ = 0;
    std::string fontName_;
    int fontIndex_ = -1;
    int r_ = 0, g_ = 0, b_ = 0;
    bool colorHasValue_ = false;
};

}  // namespace

std::string RtfDocument::plainText() const {
    std::string t;
    for (const RtfRun& r : runs) t += r.text;
    return t;
}

RtfDocument readRTF(std::string_view rtf) { return Reader(rtf).read(); }
