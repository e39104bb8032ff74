#include "app/document/FormFields.h"

#include <QLineEdit>
#include <QString>
#include <QVariant>

#include "app/document/CaseList.h"
#include "app/document/ChamberCalculator.h"

using platform::PropertyList;

namespace formfields {

namespace {

// A number the document puts into a form field: its shortest exact form when
// that is short, else seven significant digits, so that the field (narrow)
// shows the number from its start.  The exact value stays behind the text and
// is what the form reads as long as the text is not edited.
constexpr int kShownDigits = 7;
constexpr const char* kExactValue = "exactValue";
constexpr const char* kExactText = "exactText";

QString shownNumber(double v) {
    const QString exact = QString::fromStdString(caseValueDescription(PropertyList::real(v)));
    const QString rounded = QString::number(v, 'g', kShownDigits);
    return rounded.size() < exact.size() ? rounded : exact;
}

}  // namespace

void showFromStart(QLineEdit* f) { f->setCursorPosition(0); }

void setFieldNumber(QLineEdit* f, double v) {
    const QString text = shownNumber(v);
    f->setText(text);
    f->setProperty(kExactValue, v);
    f->setProperty(kExactText, text);
    showFromStart(f);
}

PropertyList fieldValue(const QLineEdit* f) {
    const QVariant shown = f->property(kExactText);
    if (shown.isValid() && shown.toString() == f->text()) return PropertyList::real(f->property(kExactValue).toDouble());
    return formValueFromText(f->text().toStdString());
}
std::optional<double> fieldNumber(const QLineEdit* f) { return caseNumber(fieldValue(f)); }

void showValue(QLineEdit* f, const PropertyList* v) {
    if (v && (v->isReal() || v->isInteger())) {
        if (!(fieldValue(f) == PropertyList::real(v->realValue()))) setFieldNumber(f, v->realValue());
        return;
    }
    const QString text = v ? QString::fromStdString(caseValueDescription(*v)) : QString();
    if (f->text() != text) {
        f->setText(text);
        showFromStart(f);
    }
}

}  // namespace formfields
