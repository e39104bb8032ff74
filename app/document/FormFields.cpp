#include "app/document/FormFields.h"

#include <QLineEdit>
#include <QString>
#include <QVariant>

#include "app/document/CaseList.h"
#include "app/document/ChamberCalculator.h"

using platform::PropertyList;

namespace formfields {

namespace {

// The exact value stays behind the text the field shows, and is what the
// form reads as long as the text is not edited.
constexpr const char* kExactValue = "exactValue";
constexpr const char* kExactText = "exactText";

}  // namespace

void showFromStart(QLineEdit* f) { f->setCursorPosition(0); }

void setFieldNumber(QLineEdit* f, double v) {
    const QString text = QString::fromStdString(shownNumber(v));
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
