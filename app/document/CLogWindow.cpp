#include "app/document/CLogWindow.h"

#include "app/plot/FileChooser.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QStyle>
#include <cmath>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>
#include <QWidget>

#include "app/document/RtfReader.h"
#include "app/plot/qt/PlotPanels.h"

const char* const CLogWindow::kRTFHeader =
    "{\\rtf1{\\fonttbl\\f0\\fmodern\\fcharset0 Courier;\\f1\\fmodern\\fcharset0 Courier-Bold;}"
    "{\\colortbl;\\red255\\green255\\blue255;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\f0\\fs24\\cf0";

namespace {

QFont logFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(12.0);
    return f;
}

QTextCharFormat plainFormat() {
    QTextCharFormat fmt;
    fmt.setFont(logFont());
    return fmt;
}

// The window remembers its frame under "LogWindow" when the application has a name to store it under.
bool canRememberFrame() { return !QCoreApplication::organizationName().isEmpty(); }

class LogWindowView : public QWidget {
public:
    explicit LogWindowView(CLogWindow* log) : mLog(log) {
        setWindowTitle(QStringLiteral("Log"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(4, 4, 4, 4);
        auto* row = new QHBoxLayout;
        auto* clear = new QPushButton(QStringLiteral("Clear"), this);
        auto* end = new QPushButton(QStringLiteral("Scroll to End"), this);
        auto* print = new QPushButton(QStringLiteral("Print..."), this);
        auto* pdf = new QPushButton(QStringLiteral("Save as PDF..."), this);
        row->addWidget(clear);
        row->addWidget(end);
        auto* bound = new QLabel(QStringLiteral("Keeps the last %L1 lines").arg(CLogWindow::kMaxLines), this);
        bound->setEnabled(false);
        row->addWidget(bound);
        row->addStretch(1);
        row->addWidget(print);
        row->addWidget(pdf);
        layout->addLayout(row);
        text = new QTextEdit(this);
        text->setObjectName(QStringLiteral("logText"));
        text->setReadOnly(true);
        text->setAcceptRichText(true);
        // Tables fit the window's width (widthForColumns); a longer line, such
        // as the one that says why a sequence ended, wraps rather than runs
        // past the window's edge.
        text->setLineWrapMode(QTextEdit::WidgetWidth);
        text->setDocument(log->document());
        layout->addWidget(text, 1);
        QObject::connect(clear, &QPushButton::clicked, this, [this] { mLog->clearText(); });
        QObject::connect(end, &QPushButton::clicked, this, [this] { mLog->scrollToEnd(); });
        QObject::connect(print, &QPushButton::clicked, this, [this] { mLog->printDocument(); });
        QObject::connect(pdf, &QPushButton::clicked, this, [this] {
            QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Log as PDF"), QStringLiteral("log.pdf"),
                                                        QStringLiteral("PDF (*.pdf)"));
            path = QString::fromStdString(withFileExtension(path.toStdString(), "pdf"));
            std::string error;
            if (!path.isEmpty() && !mLog->printToPdf(path, error)) platform::logText(error + "\n");
        });
        resize(700, 300);
        if (canRememberFrame()) restoreGeometry(QSettings().value(QStringLiteral("LogWindow")).toByteArray());
    }

    QTextEdit* text = nullptr;

protected:
    void hideEvent(QHideEvent* e) override {
        if (canRememberFrame()) QSettings().setValue(QStringLiteral("LogWindow"), saveGeometry());
        QWidget::hideEvent(e);
    }

private:
    CLogWindow* mLog;
};

}  // namespace

CLogWindow* CLogWindow::sharedLogWindowCtroller() {
    static CLogWindow* shared = new CLogWindow;  // lives to the end of the process, like the log itself
    return shared;
}

CLogWindow::CLogWindow() : mDocument(std::make_unique<QTextDocument>()) {
    mDocument->setDefaultFont(logFont());
    mDocument->setUndoRedoEnabled(false);  // the log only grows; nothing to undo
    mDocument->setMaximumBlockCount(kMaxLines);
}

CLogWindow::~CLogWindow() { delete mWindow.data(); }

QWidget* CLogWindow::window() {
    if (!mWindow) {
        auto* view = new LogWindowView(this);
        mWindow = view;
        mTextView = view->text;
    }
    return mWindow.data();
}

bool CLogWindow::isWindowVisible() const { return mWindow && mWindow->isVisible(); }

void CLogWindow::showWindow(bool activate) {
    QWidget* w = window();
    // Read by the window system when the window is mapped.
    if (!w->isVisible()) w->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    showInsideScreen(w, QApplication::activeWindow());
    w->raise();
    if (activate) w->activateWindow();
}

void CLogWindow::setContentSize(int width, int height) { window()->resize(width, height); }

int CLogWindow::widthForColumns(int columns) {
    auto* view = static_cast<LogWindowView*>(window());
    QTextEdit* text = view->text;
    const QFontMetrics metrics(logFont());
    // The text, the document's margins, the text view's frame and its
    // vertical scroll bar, the window's margins.
    const int margins = view->layout()->contentsMargins().left() + view->layout()->contentsMargins().right();
    return metrics.horizontalAdvance(QString(columns, QLatin1Char('0'))) +
           2 * static_cast<int>(std::ceil(mDocument->documentMargin())) + 2 * text->frameWidth() +
           text->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + margins + 2;
}

void CLogWindow::appendString(std::string_view s) { appendString(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()))); }

void CLogWindow::appendString(const QString& s) {
    QTextCursor cursor(mDocument.get());
    const int length = mDocument->characterCount() - 1;  // the document's own final separator does not count
    if (length <= 0) {
        // An empty log gets its font and one blank, which stays behind the first string.
        mDocument->setDefaultFont(logFont());
        cursor.insertText(QStringLiteral(" "), plainFormat());
        cursor.setPosition(0);
    } else {
        cursor.movePosition(QTextCursor::End);
    }
    cursor.insertText(s, plainFormat());
}

void CLogWindow::appendString1(std::string_view s) {
    appendString(s);
    appendString("\n");
}

void CLogWindow::appendString2(std::string_view s) {
    appendString(s);
    appendString("\n\n");
}

void CLogWindow::appendText(const char* utf8) {
    if (!utf8) return;
    QTextCursor cursor(mDocument.get());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(utf8), plainFormat());
}

void CLogWindow::beginEditingRTF() {
    mData = kRTFHeader;
    mEditingRTF = true;
}

void CLogWindow::appendRTF(std::string_view rtf) {
    if (mEditingRTF) mData.append(rtf);
}

void CLogWindow::endEditingRTF() {
    if (!mEditingRTF) return;
    mData += '}';
    std::string block = std::move(mData);
    mData.clear();
    mEditingRTF = false;
    insertRTF(block);
}

void CLogWindow::insertRTF(std::string_view rtf) {
    std::string fragment;
    if (rtf.substr(0, 5) != "{\\rtf" && rtf.find("\\") != std::string_view::npos) {
        fragment = std::string(kRTFHeader) + std::string(rtf) + "}";  // a body written against the block header
        rtf = fragment;
    }
    RtfDocument doc = readRTF(rtf);
    QTextCursor cursor(mDocument.get());
    cursor.movePosition(QTextCursor::End);
    if (!doc.isRTF) {
        cursor.insertText(QString::fromUtf8(rtf.data(), static_cast<qsizetype>(rtf.size())), plainFormat());
        return;
    }
    for (const RtfRun& run : doc.runs) {
        QTextCharFormat fmt;
        QFont font = logFont();
        if (!run.font.empty()) font.setFamily(QString::fromStdString(run.font));
        font.setPointSizeF(run.pointSize);
        font.setBold(run.bold);
        font.setItalic(run.italic);
        font.setUnderline(run.underline);
        fmt.setFont(font);
        if (!run.color.automatic) fmt.setForeground(QColor(run.color.red, run.color.green, run.color.blue));
        cursor.insertText(QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size())), fmt);
    }
}

void CLogWindow::clearText() {
    mDocument->clear();
    mDocument->setMaximumBlockCount(kMaxLines);
}

void CLogWindow::scrollToEnd() {
    if (!mTextView) return;
    QTextCursor cursor(mDocument.get());
    cursor.movePosition(QTextCursor::End);
    mTextView->setTextCursor(cursor);
    mTextView->ensureCursorVisible();
    QScrollBar* bar = mTextView->verticalScrollBar();
    bar->setValue(bar->maximum());  // the last line whole, not just the cursor
}

void CLogWindow::printTo(QPagedPaintDevice* device) {
    // A table row (columns lined up by runs of blanks) broken in two reads
    // as two rows: a page too narrow for the widest row is turned sideways.
    auto textWidth = [device] {
        // QTextDocument::print's page: the paint area less 2 cm each side.
        return device->width() - 2.0 * (2.0 / 2.54) * device->logicalDpiX();
    };
    qreal widestRow = 0.0;
    for (QTextBlock b = mDocument->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        if (!text.contains(QLatin1String("   "))) continue;
        const QFont font = b.begin().atEnd() ? logFont() : b.begin().fragment().charFormat().font();
        widestRow = std::max(widestRow, QFontMetricsF(font, device).horizontalAdvance(text));
    }
    if (widestRow > textWidth() && device->pageLayout().orientation() == QPageLayout::Portrait)
        device->setPageOrientation(QPageLayout::Landscape);
    mDocument->print(device);
}

bool CLogWindow::printDocument() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, mWindow.data());
    dialog.setWindowTitle(QStringLiteral("Print Log"));
    if (dialog.exec() != QDialog::Accepted) return false;
    printTo(&printer);
    return true;
}

bool CLogWindow::printToPdf(const QString& path, std::string& error) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(QStringLiteral("Log"));
    printTo(&writer);
    // QPdfWriter reports no failure of its own: check the file it should have written.
    QFile f(path);
    if (!f.exists() || f.size() == 0) {
        error = "cannot write the PDF file \"" + path.toStdString() + "\"";
        return false;
    }
    return true;
}

std::string CLogWindow::plainText() const { return mDocument->toPlainText().toStdString(); }

void CLogWindowSink::appendText(const std::string& text) {
    if (mLog) mLog->appendString(text);
}

void CLogWindowSink::appendRTF(const std::string& rtf) {
    if (mLog) mLog->insertRTF(rtf);
}

void CLogWindowSink::appendDiagnostic(const std::string& text) {
    // The application's refusals and notes are the user's to read in its log
    // window, not on a terminal the user may not see.
    if (!mLog) return platform::LogSink::appendDiagnostic(text);
    // The log's text belongs to the application's thread: a report from
    // another thread reaches it through the event loop.
    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
        mLog->appendString(text);
    } else {
        CLogWindow* log = mLog;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [log, text] { log->appendString(text); },
                                  Qt::QueuedConnection);
    }
}
