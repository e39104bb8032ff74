#pragma once
// The number fields of a document's form: a number the document writes into
// a field keeps its exact value behind the text it shows, and the form reads
// that value back as long as the text is not edited.
#include <optional>

#include "platform/PropertyList.h"

class QLineEdit;

namespace formfields {

// Shows the start of a field's text (a field scrolls to the end of what it was given).
void showFromStart(QLineEdit* f);

// Writes a number into a field: its shortest exact form when that is short,
// else seven significant digits, the exact value kept behind the text.
void setFieldNumber(QLineEdit* f, double v);

// What a field holds: the exact number behind a text the document wrote, or
// what the user typed (a number when it reads as one, else the text).
platform::PropertyList fieldValue(const QLineEdit* f);
std::optional<double> fieldNumber(const QLineEdit* f);

// Shows a case value in a field, leaving the field alone when it already
// stands for that value (as the user typed it, or as the document wrote it).
void showValue(QLineEdit* f, const platform::PropertyList* v);

}  // namespace formfields
