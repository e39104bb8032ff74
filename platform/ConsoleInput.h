#pragma once
// Console prompts with defaults, and the working folder as an Igor Pro path.
//
// Every read is bounded: a line keeps at most 254 characters (the rest of a
// longer line is read and dropped), and the end of the input ends the read.
// The input stream defaults to the console.
#include <cstdio>
#include <string>

// One character: a newline or carriage return (or the end of the input) gives
// the default; any other character is returned and the rest of its line is
// dropped.
char getChar(char defaultValue, std::FILE* in = stdin);

// One line: an empty line (or the end of the input before any character) gives
// the default; otherwise the leading decimal integer of the line as atoi reads
// it (0 when there is none; clamped to the range of int).
int getInteger(int defaultValue, std::FILE* in = stdin);

// The same with the leading floating-point number, as atof reads it.
double getDouble(double defaultValue, std::FILE* in = stdin);

// The working folder as a classic Mac volume path for Igor Pro scripts:
// "Macintosh HD" followed by the folder with every "/" replaced by ":", and a
// final ":".
std::string getMacIgorDir();
// The same for a given folder (pure string function).
std::string macIgorDir(const std::string& folder);
