#pragma once
// The window that holds a document's last eruption table whole, every row,
// under a heading that names the document, the case and the inputs the
// table was computed from.  The log keeps the start and the end of a long
// table only and says that the whole table is here.  Each run replaces the
// table, so the window holds one table whatever the number of runs.
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;

class EruptionTableWindow : public QWidget {
    Q_OBJECT
public:
    explicit EruptionTableWindow(QWidget* parent = nullptr);

    // Shows a table of the document `documentName`: `inputs` names the case
    // and inputs it comes from; `lines` are the table's lines as the
    // calculation laid them out.
    void setTable(const QString& documentName, const QString& inputs, const std::vector<std::string>& lines);
    // The document's new name (after Save As) in the title and the heading.
    void setDocumentName(const QString& documentName);
    QString heading() const;
    QString tableText() const;
    // Writes the heading and the table to a text file; false, with the reason, on failure.
    bool saveText(const QString& path, QString& error) const;

private:
    QString mInputs;
    QLabel* mHeading = nullptr;
    QPlainTextEdit* mText = nullptr;
};
