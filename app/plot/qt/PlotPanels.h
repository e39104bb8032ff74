#pragma once
// The application's shared panels for plot views: the axis-range panel, the
// curve and point settings panels, Qt's colour and font dialogs (modeless,
// live), PDF writing, new plot windows and error messages; and the save
// dialog of the exports.  The first plot widget installs them, unless a
// caller (a test) installed its own before.
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/plot/FileChooser.h"
#include "app/plot/PlotViewPanels.h"

class QColorDialog;
class QFontDialog;
class QWidget;
class CPlotWindow;

class QtPlotPanels : public PlotViewPanels {
public:
    QtPlotPanels();
    ~QtPlotPanels() override;

    // The instance that installQtPlotPanels installs (created on first use).
    static QtPlotPanels& shared();

    void showAxisRangePanel(CPlotView& view) override;
    void axisRangesChanged(CPlotView& view) override;
    void runCurveSettingsPanel(CPlotView& view, const std::shared_ptr<CGraphObject>& curve) override;
    void runPointSettingsPanel(CPlotView& view, const std::shared_ptr<CGraphObject>& object) override;
    void showColorPanel(CPlotView& view, const Color& color) override;
    bool isColorPanelVisible() const override;
    void setColorPanelColor(CPlotView& view, const Color& color) override;
    void showFontPanel(CPlotView& view, const FontDescription& font) override;
    bool writePdf(CPlotView& view, const std::string& path, std::string& error) override;
    void openNewPlotWindow(CPlotView& view) override;
    void reportError(const std::string& title, const std::string& message) override;
    void plotViewWillClose(CPlotView& view) override;

    // Closes the shared colour panel (the settings panels do when they close).
    void closeColorPanel();
    QColorDialog* colorPanel();
    QFontDialog* fontPanel();
    // The plot window opened last, while it is open.
    CPlotWindow* lastPlotWindow() const;

    // Shows an error to the user; a warning box by default (tests replace it).
    std::function<void(const QString& title, const QString& message)> showError;

private:
    QColorDialog* mColorPanel = nullptr;
    QFontDialog* mFontPanel = nullptr;
    CPlotView* mColorTarget = nullptr;
    CPlotView* mFontTarget = nullptr;
    QPointer<QWidget> mLastPlotWindow;
    std::vector<QPointer<QWidget>> mPlotWindows;  // closed with the application
};

// The save dialog: proposes the name, filters and completes the extension.
class QtFileChooser : public FileChooser {
public:
    std::optional<std::string> chooseSaveFile(const std::string& proposedName, const std::string& fileType) override;
};

// Installs the shared panels and the save dialog where nothing is installed yet.
void installQtPlotPanels();

// The frame of a panel kept in the settings under `key` ("AxisPanel",
// "CurvesSettingsPanel"): restored when the panel is first shown, saved when
// it is hidden.  Only an application that names its settings keeps frames.
void restorePanelFrame(QWidget* panel, const char* key);
void savePanelFrame(const QWidget* panel, const char* key);

// The part of a screen that windows may cover (without the desktop's panels
// and docks): the screen of `reference` when given, else the screen under the
// window's centre, else the primary screen.
QRect availableScreenArea(const QWidget* window, const QWidget* reference = nullptr);
// Moves a top-level window wholly inside that area, first shrinking it (not
// below its minimum size) when it is larger.  Every panel and window of the
// application goes through this before it shows, so that none opens where
// the user cannot see it.
void keepInsideScreen(QWidget* window, const QWidget* reference = nullptr);
// Shows a window inside the screen, looking again once it is shown (when
// the platform first tells the size of the window's frame); a minimised
// window is brought back first.
void showInsideScreen(QWidget* window, const QWidget* reference = nullptr);

// Conversions between the kit's fonts and colours and Qt's.
QFont toDialogFont(const FontDescription& font);
FontDescription fromDialogFont(const QFont& font);
Color fromQColor(const QColor& color);
