#pragma once
// The application's one shared log: every report of the system is appended at
// the end of its text (plain text, formatted text, and RTF blocks).
//
// The text lives in a QTextDocument that exists from the first call on, so a
// report written before the window is opened is kept and shown when it opens.
// The window (a QTextEdit on that document, with Clear, Scroll to end, Print and
// Save as PDF) is made on first request.
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/document/StringFormat.h"
#include "platform/LogSink.h"

class QTextDocument;
class QTextEdit;
class QWidget;
class QPagedPaintDevice;

class CLogWindow {
public:
    // The header that starts every RTF block: Courier (font 0) and Courier-Bold
    // (font 1), colours 1 white, 2 red, 3 blue, text in Courier 12 points.
    static const char* const kRTFHeader;

    // The log keeps its last kMaxLines lines: older lines leave from its top,
    // so that the log stays bounded however long the application runs (long
    // tables are shortened before they come here: see the eruption table).
    static constexpr int kMaxLines = 50000;

    // The shared instance, made on the first call and kept to the end of the process.
    static CLogWindow* sharedLogWindowCtroller();

    CLogWindow();
    ~CLogWindow();
    CLogWindow(const CLogWindow&) = delete;
    CLogWindow& operator=(const CLogWindow&) = delete;

    QTextDocument* document() const { return mDocument.get(); }
    // The window, made on the first call.
    QWidget* window();
    bool isWindowLoaded() const { return !mWindow.isNull(); }
    bool isWindowVisible() const;
    // Shows the window in front; with `activate` false it does not take the
    // keyboard from the window the user is typing in (a log opened by a
    // command that has ended).
    void showWindow(bool activate = true);
    void setContentSize(int width, int height);
    // The window width that shows lines of `columns` characters of the log's
    // font whole, beside the vertical scroll bar.
    int widthForColumns(int columns);

    // Plain text, added at the very end.  On an empty log the text first gets
    // the log's font and a single blank, which stays right behind the first string.
    void appendString(std::string_view s);
    void appendString(const QString& s);
    void appendString(const char* s) { appendString(std::string_view(s ? s : "")); }
    void appendString1(std::string_view s);  // then "\n"
    void appendString2(std::string_view s);  // then "\n\n"
    // A C string (UTF-8) added at the end, without the empty-log step.
    void appendText(const char* utf8);

    template <class... A>
    void appendFormat(std::string_view fmt, const A&... a) { appendString(strfmt::format(fmt, a...)); }
    template <class... A>
    void appendFormat1(std::string_view fmt, const A&... a) { appendString(strfmt::format(fmt, a...)); appendString("\n"); }
    template <class... A>
    void appendFormat2(std::string_view fmt, const A&... a) { appendString(strfmt::format(fmt, a...)); appendString("\n\n"); }
    template <class... A>
    void appendFormat3(std::string_view fmt, const A&... a) { appendString(strfmt::format(fmt, a...)); appendString("\n\n\n"); }

    // RTF blocks: begin, appends, end.  The block is inserted at its end; plain
    // appends made meanwhile go ahead of it.  Beginning a second block drops the
    // first; appending or ending with no block open does nothing.
    void beginEditingRTF();
    void appendRTF(std::string_view rtf);
    template <class... A>
    void appendRTFormat(std::string_view fmt, const A&... a) { appendRTF(strfmt::format(fmt, a...)); }
    void endEditingRTF();
    bool isEditingRTF() const { return mEditingRTF; }
    const std::string& pendingRTF() const { return mData; }

    // A whole RTF document inserted at the end; a fragment (not starting with
    // "{\rtf") is read against the block header; text that is not RTF is shown as it is.
    void insertRTF(std::string_view rtf);

    void clearText();
    void scrollToEnd();
    // Prints through the print dialog (the window's); false when cancelled.
    bool printDocument();
    // Prints the log into a PDF file.
    bool printToPdf(const QString& path, std::string& error);
    void printTo(QPagedPaintDevice* device);

    std::string plainText() const;

private:
    std::unique_ptr<QTextDocument> mDocument;
    QPointer<QWidget> mWindow;
    QPointer<QTextEdit> mTextView;
    bool mEditingRTF = false;
    std::string mData;  // the RTF source of the block being built
};

// Sends the library's reports (platform::logText, platform::logRTF) to a log
// window; its warnings and failure messages (a note that a model is
// extrapolated, a refusal) go there too, where the user of the window reads
// them (to standard error only when there is no log window).
class CLogWindowSink : public platform::LogSink {
public:
    explicit CLogWindowSink(CLogWindow* log) : mLog(log) {}
    void appendText(const std::string& text) override;
    void appendRTF(const std::string& rtf) override;
    void appendDiagnostic(const std::string& text) override;

private:
    CLogWindow* mLog;
};
