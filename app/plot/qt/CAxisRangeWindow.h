#pragma once
// The axis-range panel: the four axis limits of one plot view, each with a
// stepper, applied at once; buttons for the maximum and the default ranges,
// OK and Cancel (which puts back the limits captured when the panel got the
// view).  Every change the panel makes to the limits is one undoable edit of
// the plot, "Changes Of Axis Ranges", like its zooms.  The panel is modeless and follows the main window: when a window
// holding plots becomes the active main window, the panel attaches its plot
// (the one last clicked in, or the first) and places itself beside it.
//
// Opening or refreshing the panel also sets the plot's tick-label digits from
// the span of each axis.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class CPlotView;

// A stepper: up and down arrows that move a value by an increment within
// bounds, as the panel's steppers beside each limit.
class RangeStepper : public QWidget {
    Q_OBJECT
public:
    explicit RangeStepper(QWidget* parent = nullptr);
    double value() const { return mValue; }
    void setValue(double v);
    double increment() const { return mIncrement; }
    void setIncrement(double step) { mIncrement = step; }
    void setRange(double minimum, double maximum);
    // One click on an arrow: the value moves by +/- the increment and
    // `stepped` is called.
    void stepUp();
    void stepDown();
    std::function<void()> stepped;
    QToolButton* downButton() const { return mDown; }

private:
    QToolButton* mUp = nullptr;
    QToolButton* mDown = nullptr;
    double mValue = 0.0, mIncrement = 1.0, mMinimum = -100000.0, mMaximum = 100000.0;
};

class CAxisRangeWindow : public QWidget {
    Q_OBJECT
public:
    // The shared panel, created on the first call.
    static CAxisRangeWindow* sharedAxisRangeWindowCtroller();
    static CAxisRangeWindow* existingShared();

    explicit CAxisRangeWindow(QWidget* parent = nullptr);
    ~CAxisRangeWindow() override;

    // Loads the panel on first use (then it follows the main window) and shows it.
    void showWindow();
    // Shows the panel for a plot view: attached to it and, when it opens (the
    // first time or hidden since) or the plot lies in another window, placed
    // beside the plot, whichever window has the keyboard.
    void showForPlotView(CPlotView* view);
    bool isWindowLoaded() const { return mLoaded; }

    // Attaches a view (or none) and captures its limits for Cancel.
    void setCurrentPlotView(CPlotView* view);
    CPlotView* currentPlotView() const { return mPlotView; }
    // Attaches the plot of a window: the one last clicked in, or its first;
    // none when the window holds no plot.
    void setCurrentPlotWindow(QWidget* window);
    // Refreshes the controls from the view.  With `rangesChanged` (the view's
    // ranges have just changed while the panel shows it) the plot's tick
    // digits follow the new spans too; opening the panel or attaching it to
    // another plot leaves the plot's tick labels as they are.
    void updatePanel(bool rangesChanged = false);

    void onChangeCoordinates();
    void onOKButton();
    void onCancelButton();
    void onUseMaximumRangeValues();
    void onUseDefaultRangeValues();
    void onStepXmin();
    void onStepXmax();
    void onStepYmin();
    void onStepYmax();
    // A window became the main window / stopped being it.
    void mainWindowChanged(QWidget* window);
    void mainWindowResigned();

    QLineEdit* xMinField() const { return mXminEditField; }
    QLineEdit* xMaxField() const { return mXmaxEditField; }
    QLineEdit* yMinField() const { return mYminEditField; }
    QLineEdit* yMaxField() const { return mYmaxEditField; }
    RangeStepper* stepXmin() const { return mStepXmin; }
    RangeStepper* stepXmax() const { return mStepXmax; }
    RangeStepper* stepYmin() const { return mStepYmin; }
    RangeStepper* stepYmax() const { return mStepYmax; }
    QPushButton* useDefaultButton() const { return mUseDefaultButton; }
    QPushButton* useMaxButton() const { return mUseMaxButton; }
    QPushButton* okButton() const { return mOKButton; }
    QPushButton* cancelButton() const { return mCancelButton; }
    // The line under the fields that names a field that is not a number.
    QLabel* messageLine() const { return mMessage; }

    // Where a panel of frame size `panel` goes beside a plot (its rectangle
    // on the screen) shown in a window (its frame) with `otherPlots`, within
    // the screen's `area`: 10 points right of the window, else left of it,
    // with its top at the plot's; where the window leaves no room on either
    // side, over the window 10 points right of the plot, else left, above or
    // below it, clear of the window's plots; where no place is, the one that
    // hides the least of them.  Always on the screen.
    static QPoint panelPlaceBesidePlot(const QRect& plot, const std::vector<QRect>& otherPlots, const QRect& window,
                                       const QSize& panel, const QRect& area);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void windowDidLoad();
    void onFocusWindowChanged();
    // Beside the attached plot of the window (see panelPlaceBesidePlot).
    void placeBeside(const QWidget* window);
    void capture();
    // Sets the attached plot's limits as an undoable edit, when they differ from its own.
    void changeRange(float x0, float x1, float y0, float y1);
    void stepInto(RangeStepper* stepper, QLineEdit* field);

    CPlotView* mPlotView = nullptr;
    float mOldXmin = 0, mOldXmax = 0, mOldYmin = 0, mOldYmax = 0;
    QLineEdit* mXmaxEditField = nullptr;
    QLineEdit* mXminEditField = nullptr;
    QLineEdit* mYmaxEditField = nullptr;
    QLineEdit* mYminEditField = nullptr;
    QPushButton* mUseDefaultButton = nullptr;
    QPushButton* mUseMaxButton = nullptr;
    QPushButton* mCancelButton = nullptr;
    QPushButton* mOKButton = nullptr;
    RangeStepper* mStepXmin = nullptr;
    RangeStepper* mStepXmax = nullptr;
    RangeStepper* mStepYmin = nullptr;
    RangeStepper* mStepYmax = nullptr;
    QLabel* mMessage = nullptr;
    bool mLoaded = false;
    QPointer<QWidget> mMainWindow;
    bool mPlaced = false;  // placed beside a window once (the user may move it since)
};
