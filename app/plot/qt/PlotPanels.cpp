#include "app/plot/qt/PlotPanels.h"

#include <algorithm>

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QTimer>

#include "app/plot/CGraphObject.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/CAxisRangeWindow.h"
#include "app/plot/qt/CCurveSettingsWindow.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/CPlotWindow.h"
#include "app/plot/qt/CPointSettingsWindow.h"
#include "app/plot/qt/PlotRendering.h"
#include "app/plot/qt/QtCanvas.h"

namespace {
QtPlotPanels*& sharedPanels() {
    static QtPlotPanels* panels = nullptr;
    return panels;
}

QtFileChooser& sharedChooser() {
    static QtFileChooser chooser;
    return chooser;
}

// The shared windows go with the application object (they hold widgets that
// must not outlive it).
void releaseSharedPanels() {
    delete CAxisRangeWindow::existingShared();
    delete CCurveSettingsWindow::existingShared();
    delete CPointSettingsWindow::existingShared();
    if (plotViewPanels() == sharedPanels()) setPlotViewPanels(nullptr);
    if (fileChooser() == &sharedChooser()) setFileChooser(nullptr);
    delete sharedPanels();
    sharedPanels() = nullptr;
}
}  // namespace

namespace {
bool keepsFrames() { return !QCoreApplication::organizationName().isEmpty(); }
}  // namespace

void restorePanelFrame(QWidget* panel, const char* key) {
    if (!panel || !keepsFrames()) return;
    const QByteArray frame = QSettings().value(QString::fromLatin1(key)).toByteArray();
    if (!frame.isEmpty()) panel->restoreGeometry(frame);
}

void savePanelFrame(const QWidget* panel, const char* key) {
    if (!panel || !keepsFrames()) return;
    QSettings().setValue(QString::fromLatin1(key), panel->saveGeometry());
}

QRect availableScreenArea(const QWidget* window, const QWidget* reference) {
    const QScreen* screen = reference ? reference->window()->screen() : nullptr;
    if (!screen && window) screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (!screen && window) screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

namespace {
// The frame (title bar and borders) around a top-level window.  Some
// platforms tell it only once the window manager has framed the shown window
// (X11); until then room is kept for a title bar and borders of the usual size.
QMargins frameMarginsOf(const QWidget* window) {
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    const QMargins known(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                         frame.bottom() - inner.bottom());
    if (!known.isNull() || (window->windowFlags() & Qt::FramelessWindowHint) ||
        window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
        return known;
    return QMargins(8, 40, 8, 8);
}
bool frameKnown(const QWidget* window) { return window->frameGeometry() != window->geometry(); }

// Looks again at a shown window once the platform tells its frame (the
// window manager frames it a little after it is shown), or gives up after a
// few seconds (a platform that puts no frame around windows).
class FrameWatcher : public QObject {
public:
    static constexpr const char* kName = "frameWatcher";
    FrameWatcher(QWidget* window, const QWidget* reference) : QObject(window), mReference(reference) {
        setObjectName(QLatin1String(kName));
        window->installEventFilter(this);
        QTimer::singleShot(3000, this, [this] { deleteLater(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        auto* window = static_cast<QWidget*>(watched);
        if ((e->type() == QEvent::Move || e->type() == QEvent::Resize || e->type() == QEvent::WindowActivate) &&
            frameKnown(window)) {
            window->removeEventFilter(this);
            deleteLater();
            keepInsideScreen(window, mReference);
        }
        return false;
    }

private:
    QPointer<const QWidget> mReference;
};
}  // namespace

void keepInsideScreen(QWidget* window, const QWidget* reference) {
    if (!window) return;
    const QRect area = availableScreenArea(window, reference);
    if (area.isEmpty()) return;
    // The frame around the window (title bar, borders) counts: the native
    // window is made first so that the platform can tell it, and where it
    // cannot yet, room is kept for one (showInsideScreen looks again once the
    // frame is known).
    if (!window->testAttribute(Qt::WA_WState_Created)) (void)window->winId();
    const QMargins margins = frameMarginsOf(window);
    const QSize decoration(margins.left() + margins.right(), margins.top() + margins.bottom());
    QSize outer = window->size() + decoration;
    if (outer.width() > area.width() || outer.height() > area.height()) {
        const QSize inside = (area.size() - decoration).boundedTo(window->size());
        window->resize(inside.expandedTo(window->minimumSize()));
        outer = window->size() + decoration;
    }
    // A window's position is its frame's.
    const QPoint at = window->frameGeometry().topLeft();
    const int x = std::max(area.left(), std::min(at.x(), area.x() + area.width() - outer.width()));
    const int y = std::max(area.top(), std::min(at.y(), area.y() + area.height() - outer.height()));
    if (x != at.x() || y != at.y()) window->move(x, y);
}

void showInsideScreen(QWidget* window, const QWidget* reference) {
    if (!window) return;
    // A window the user has minimised stays visible to Qt, so show() alone
    // leaves it in the task bar: asked for again, it comes back as it was
    // (maximised or not).
    if (window->windowState() & Qt::WindowMinimized)
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    keepInsideScreen(window, reference);
    window->show();
    keepInsideScreen(window, reference);
    if (!frameKnown(window) &&
        !window->findChild<QObject*>(QLatin1String(FrameWatcher::kName), Qt::FindDirectChildrenOnly))
        new FrameWatcher(window, reference);
}

QFont toDialogFont(const FontDescription& font) {
    QFont f;
    if (!font.family.empty()) f.setFamily(QString::fromStdString(font.family));
    if (font.pointSize > 0.0f) f.setPointSizeF(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

FontDescription fromDialogFont(const QFont& font) {
    FontDescription d;
    d.family = font.family().toStdString();
    d.pointSize = static_cast<float>(font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize());
    d.bold = font.bold();
    d.italic = font.italic();
    return d;
}

Color fromQColor(const QColor& c) {
    return Color{static_cast<float>(c.redF()), static_cast<float>(c.greenF()), static_cast<float>(c.blueF()),
                 static_cast<float>(c.alphaF())};
}

QtPlotPanels::QtPlotPanels() {
    showError = [](const QString& title, const QString& message) {
        QMessageBox::warning(QApplication::activeWindow(), title, message);
    };
}

QtPlotPanels::~QtPlotPanels() {
    for (const QPointer<QWidget>& w : mPlotWindows) delete w.data();
    delete mColorPanel;
    delete mFontPanel;
}

QtPlotPanels& QtPlotPanels::shared() {
    if (!sharedPanels()) {
        sharedPanels() = new QtPlotPanels();
        qAddPostRoutine(releaseSharedPanels);
    }
    return *sharedPanels();
}

void installQtPlotPanels() {
    if (!plotViewPanels()) setPlotViewPanels(&QtPlotPanels::shared());
    if (!fileChooser()) setFileChooser(&sharedChooser());
}

void QtPlotPanels::showAxisRangePanel(CPlotView& view) {
    CAxisRangeWindow::sharedAxisRangeWindowCtroller()->showForPlotView(&view);
}

void QtPlotPanels::axisRangesChanged(CPlotView&) {
    CAxisRangeWindow* panel = CAxisRangeWindow::existingShared();
    if (panel && panel->isVisible()) panel->updatePanel(true);
}

void QtPlotPanels::runCurveSettingsPanel(CPlotView& view, const std::shared_ptr<CGraphObject>& curve) {
    CCurveSettingsWindow* panel = CCurveSettingsWindow::sharedCurvesSettingsCtroller();
    if (panel->isVisible()) return;  // already running
    panel->showWindow();
    panel->setPlotView(&view);
    panel->setGraphCurve(curve);
    panel->startModalSession();
}

void QtPlotPanels::runPointSettingsPanel(CPlotView& view, const std::shared_ptr<CGraphObject>& object) {
    CPointSettingsWindow* panel = CPointSettingsWindow::sharedPointsSettingsCtroller();
    if (panel->isVisible()) return;
    panel->showWindow();
    panel->setPlotView(&view);
    panel->setGraphObject(object);
    panel->startModalSession();
}

QColorDialog* QtPlotPanels::colorPanel() {
    if (!mColorPanel) {
        mColorPanel = new QColorDialog();
        mColorPanel->setWindowTitle(QStringLiteral("Colors"));
        mColorPanel->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
        QObject::connect(mColorPanel, &QColorDialog::currentColorChanged, mColorPanel, [this](const QColor& c) {
            if (mColorTarget) mColorTarget->changeColor(fromQColor(c));
        });
    }
    return mColorPanel;
}

QFontDialog* QtPlotPanels::fontPanel() {
    if (!mFontPanel) {
        mFontPanel = new QFontDialog();
        mFontPanel->setWindowTitle(QStringLiteral("Fonts"));
        mFontPanel->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        QObject::connect(mFontPanel, &QFontDialog::currentFontChanged, mFontPanel, [this](const QFont& f) {
            if (mFontTarget) mFontTarget->changeFont(fromDialogFont(f));
        });
    }
    return mFontPanel;
}

void QtPlotPanels::showColorPanel(CPlotView& view, const Color& color) {
    mColorTarget = &view;
    QColorDialog* panel = colorPanel();
    {
        const QSignalBlocker quiet(panel);  // showing a colour changes nothing
        panel->setCurrentColor(QtCanvas::toQColor(color));
    }
    const CPlotWidget* plot = CPlotWidget::widgetOf(view);
    showInsideScreen(panel, plot ? plot->window() : nullptr);
    panel->raise();
}

bool QtPlotPanels::isColorPanelVisible() const { return mColorPanel && mColorPanel->isVisible(); }

void QtPlotPanels::setColorPanelColor(CPlotView& view, const Color& color) {
    if (!mColorPanel) return;
    mColorTarget = &view;
    const QSignalBlocker quiet(mColorPanel);
    mColorPanel->setCurrentColor(QtCanvas::toQColor(color));
}

void QtPlotPanels::closeColorPanel() {
    if (mColorPanel) mColorPanel->hide();
}

void QtPlotPanels::showFontPanel(CPlotView& view, const FontDescription& font) {
    mFontTarget = &view;
    QFontDialog* panel = fontPanel();
    {
        const QSignalBlocker quiet(panel);
        panel->setCurrentFont(toDialogFont(font));
    }
    const CPlotWidget* plot = CPlotWidget::widgetOf(view);
    showInsideScreen(panel, plot ? plot->window() : nullptr);
    panel->raise();
}

bool QtPlotPanels::writePdf(CPlotView& view, const std::string& path, std::string& error) {
    QString message;
    if (writePlotPdf(view, QString::fromStdString(path), &message)) return true;
    error = message.toStdString();
    return false;
}

void QtPlotPanels::openNewPlotWindow(CPlotView& view) {
    auto* window = new CPlotWindow(view.copy());
    // Over the window of the plot it copies, a little down and to the right,
    // and wholly on its screen.
    const CPlotWidget* source = CPlotWidget::widgetOf(view);
    const QWidget* sourceWindow = source ? source->window() : QApplication::activeWindow();
    if (sourceWindow) window->move(sourceWindow->frameGeometry().topLeft() + QPoint(40, 40));
    mLastPlotWindow = window;
    std::erase_if(mPlotWindows, [](const QPointer<QWidget>& w) { return w.isNull(); });
    mPlotWindows.emplace_back(window);
    showInsideScreen(window, sourceWindow);
    window->raise();
}

CPlotWindow* QtPlotPanels::lastPlotWindow() const { return qobject_cast<CPlotWindow*>(mLastPlotWindow.data()); }

void QtPlotPanels::reportError(const std::string& title, const std::string& message) {
    if (showError) showError(QString::fromStdString(title), QString::fromStdString(message));
}

void QtPlotPanels::plotViewWillClose(CPlotView& view) {
    if (mColorTarget == &view) mColorTarget = nullptr;
    if (mFontTarget == &view) mFontTarget = nullptr;
    if (auto* axis = CAxisRangeWindow::existingShared(); axis && axis->currentPlotView() == &view)
        axis->setCurrentPlotView(nullptr);
    if (auto* curve = CCurveSettingsWindow::existingShared(); curve && curve->plotView() == &view)
        curve->setPlotView(nullptr);
    if (auto* point = CPointSettingsWindow::existingShared(); point && point->plotView() == &view)
        point->setPlotView(nullptr);
}

std::optional<std::string> QtFileChooser::chooseSaveFile(const std::string& proposedName,
                                                         const std::string& fileType) {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Save"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString type = QString::fromStdString(fileType);
    if (!type.isEmpty()) {
        dialog.setNameFilter(QStringLiteral("%1 files (*.%2)").arg(type.toUpper(), type));
        dialog.setDefaultSuffix(type);  // "plot" becomes "plot.pdf"
    }
    dialog.selectFile(QString::fromStdString(proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return withFileExtension(dialog.selectedFiles().first().toStdString(), fileType);
}
