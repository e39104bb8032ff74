#include "app/document/EruptionTableWindow.h"

#include "app/plot/FileChooser.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTextDocument>
#include <QVBoxLayout>

EruptionTableWindow::EruptionTableWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("eruptionTableWindow"));
    setWindowTitle(QStringLiteral("Eruption Table"));
    // An auxiliary window: closing it never ends the application.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    mHeading = new QLabel(this);
    mHeading->setObjectName(QStringLiteral("eruptionTableHeading"));
    mHeading->setWordWrap(true);
    mHeading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(mHeading);
    mText = new QPlainTextEdit(this);
    mText->setObjectName(QStringLiteral("eruptionTableText"));
    mText->setReadOnly(true);
    mText->setLineWrapMode(QPlainTextEdit::NoWrap);
    mText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    mText->document()->setUndoRedoEnabled(false);
    layout->addWidget(mText, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* save = new QPushButton(QStringLiteral("Save as Text..."), this);
    save->setObjectName(QStringLiteral("saveEruptionTable"));
    row->addWidget(save);
    layout->addLayout(row);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path = QString::fromStdString(withFileExtension(
            QFileDialog::getSaveFileName(this, QStringLiteral("Save Eruption Table"), QStringLiteral("eruptions.txt"),
                                         QStringLiteral("Text (*.txt)"))
                .toStdString(),
            "txt"));
        QString error;
        if (!path.isEmpty() && !saveText(path, error))
            QMessageBox::critical(this, QStringLiteral("Save Eruption Table"), error);
    });
    const QFontMetrics metrics(mText->font());
    resize(metrics.horizontalAdvance(QString(80, QLatin1Char('0'))) + 60, 480);
}

void EruptionTableWindow::setDocumentName(const QString& documentName) {
    setWindowTitle(QStringLiteral("Eruption Table - %1").arg(documentName));
    mHeading->setText(QStringLiteral("%1: %2").arg(documentName, mInputs));
}

void EruptionTableWindow::setTable(const QString& documentName, const QString& inputs,
                                   const std::vector<std::string>& lines) {
    mInputs = inputs;
    setDocumentName(documentName);
    QString text;
    size_t size = 0;
    for (const std::string& l : lines) size += l.size() + 1;
    text.reserve(static_cast<qsizetype>(size));
    for (const std::string& l : lines) {
        text += QString::fromStdString(l);
        text += QLatin1Char('\n');
    }
    mText->setPlainText(text);
}

QString EruptionTableWindow::heading() const { return mHeading->text(); }
QString EruptionTableWindow::tableText() const { return mText->toPlainText(); }

bool EruptionTableWindow::saveText(const QString& path, QString& error) const {
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        f.write((heading() + QStringLiteral("\n\n") + tableText()).toUtf8());
        if (f.commit()) return true;
    }
    error = QStringLiteral("\"%1\" cannot be written: %2.").arg(path, f.errorString());
    return false;
}
