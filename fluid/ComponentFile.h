#pragma once
// Component keyword files "compo/<name>".
//
// A keyword file is a sequence of whitespace-separated words; line breaks
// carry no meaning.  A reader walks the words: when a word equals one of its
// keywords exactly (case-sensitive) the next word is read as a number into
// that keyword's value; every other word is skipped.  A keyword given twice
// takes the later value, an absent keyword leaves its value unchanged.
//
// Keywords in use: "Tc" (K), "Pc" (Pa), "Tb" (K), "Pb" (Pa), "Antoine" (three
// numbers a b c of log10(P/mmHg) = a - b/(t/degC + c)), "omega", "mw" (kg/mol),
// "Vc", "slope", "nn", "m", "teta".
#include <cstdio>
#include <initializer_list>
#include <string>

// Reads a text file word by word; words longer than the bound are cut (the
// rest of such a word is skipped) so that no input can overrun a buffer.
class WordReader {
public:
    static constexpr std::size_t kMaxWord = 255;

    explicit WordReader(std::FILE* f) : file(f) {}
    // Next word into w; false at the end of the file.
    bool next(std::string& w);
    // Skips what is left of the line of the last word read.
    void skipLine();
    // Next word converted to a number; false at the end of the file or when
    // the word is not a number (ok tells which).
    bool nextNumber(double& value, bool* endOfFile = nullptr);

private:
    std::FILE* file;
    int terminator = 0;  // the character that ended the last word read
};

// Parses a whole word as a floating-point number ("%lg" syntax).
bool parseNumber(const std::string& word, double& value);

struct ComponentKeyword {
    const char* keyword;
    double* value;
};

// Path of the keyword file of a component: "compo/" followed by the name.
std::string componentFilePath(const std::string& component);

// Opens "compo/<component>" through the data-file resolver; nullptr, with the
// message "File <path> not found" on standard error, when it does not exist.
std::FILE* openComponentFile(const std::string& component);

// Reads the keywords of "compo/<component>" into their values.  Returns false
// when the file does not exist (values untouched).  A keyword followed by a
// word that is not a number is reported and leaves its value unchanged.
bool readComponentKeywords(const std::string& component,
                           std::initializer_list<ComponentKeyword> keywords);
