#pragma once
// The cases of a document and its file.
//
// A case is a dictionary of 17 keys whose values are numbers or text (a value
// typed into the form as text is kept as text).  The file is a keyed archive,
// written as a binary property list, whose root key "list" holds the array of
// case dictionaries, and whose root key "useEOS" (a boolean) whether the
// gases' densities come from their equations of state (true) or are those of
// an ideal gas: a setting of the whole document, which the results depend on.
// A file without it (written before it was kept) reads as true, the setting
// every document had then.  XML property lists are read too, and a list read from
// XML is written back as XML, so that a file keeps the format it came in.  Reading checks what the
// file holds and refuses it, with a message, when it is not a case document;
// keys missing from a case take the values of a new case.
#include <string>
#include <string_view>
#include <vector>

#include "platform/PropertyList.h"

// The case keys, in the order of the case table of the design of the form.
const std::vector<std::string>& caseKeys();
// A new case: "New", no comment, and the default chamber.
platform::PropertyList newCaseDictionary();
// The value's text as the form shows it: strings as they are, numbers in their shortest form.
std::string caseValueDescription(const platform::PropertyList& v);
// A number the document writes into a form field: its shortest exact form
// when that is short, else seven significant digits, so that a narrow field
// shows the number from its start ("0.06912019", not "0.06912019094632624").
std::string shownNumber(double v);

class CaseList {
public:
    size_t size() const { return mList.size(); }
    bool empty() const { return mList.size() == 0; }
    const platform::PropertyList& at(size_t row) const { return mList.at(row); }
    // The case array (a property-list array of dictionaries).
    const platform::PropertyList& cases() const { return mList; }
    void setCases(platform::PropertyList list) { mList = std::move(list); }
    // Gas densities from the equations of state (true) or of an ideal gas.
    bool gasDensitiesFromEOS() const { return mGasDensitiesFromEOS; }
    void setGasDensitiesFromEOS(bool fromEOS) { mGasDensitiesFromEOS = fromEOS; }

    // Case commands; rows are 0-based, -1 is "no selection".  Each returns the
    // row to select afterwards, or -1 when it did nothing.
    // A new case after the selected row, or at the end, named "New" or, when
    // a case has that name, "New 2", "New 3", ... (the first name not taken).
    int addCase(int selectedRow);
    int duplicateCase(int selectedRow);  // a copy named "<name> - duplicated" right after it
    bool deleteCase(int selectedRow);
    int shiftDownSelectedRow(int selectedRow);
    int shiftUpSelectedRow(int selectedRow);
    // Stores an edited name; false for a row out of range.
    bool setValue(int row, const std::string& key, platform::PropertyList value);

    // The document file's bytes, in the format the list was read in (binary
    // for a new list); empty, with the reason in *error, when a value cannot
    // be written (text that is not UTF-8).
    std::string dataOfType(std::string* error = nullptr) const;
    platform::PlistFormat format() const { return mFormat; }
    // Replaces the list with the file's cases; on failure the list is untouched
    // and the result says what is wrong, in words that follow "the document
    // cannot be opened: " (the caller names the file).  Text that is not UTF-8
    // (a file written elsewhere) is repaired, each invalid sequence becoming
    // U+FFFD, so that what opens can be saved; *repairs then names the cases
    // and fields repaired, in one phrase (empty when nothing was).
    platform::PlistReadResult readFromData(std::string_view bytes, std::string* repairs = nullptr);

private:
    bool valid(int row) const { return row >= 0 && static_cast<size_t>(row) < mList.size(); }
    platform::PropertyList mList = platform::PropertyList::array();
    platform::PlistFormat mFormat = platform::PlistFormat::Binary;
    bool mGasDensitiesFromEOS = true;
};
