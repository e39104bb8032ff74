#pragma once
// What the curve and point settings panels share: a form of the panel's own
// menus followed by a colour well, OK and Cancel, applied at once to one graph
// object of a plot.  The panel runs modally; OK keeps the changes, Cancel
// (also the window's close button and Escape) puts back what the object had
// when the panel got it: its tool size factor and colour here, whatever else
// a panel captures in restoreCaptured.
#include <QDialog>
#include <QString>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>

#include "app/plot/Color.h"

class QPushButton;
class ColorWell;
class CGraphObject;
class CPlotView;

class CGraphObjectSettingsWindow : public QDialog {
    Q_OBJECT
public:
    // Prepares the window (it is shown by startModalSession).
    void showWindow();
    void setPlotView(CPlotView* view) { mPlotView = view; }
    CPlotView* plotView() const { return mPlotView; }

    void onChangeColor();
    void onOKButton();
    void onCancelButton();
    // Runs the panel modally; returns when the user is done.
    void startModalSession();

    ColorWell* foreColorWell() const { return mForeColorWell; }
    QPushButton* okButton() const { return mOKButton; }
    QPushButton* cancelButton() const { return mCancelButton; }

    // Cancel restores; used by the close button and Escape too.
    void reject() override;

protected:
    // frameKey: the settings key under which the panel keeps its frame, or
    // nullptr for a panel that does not keep it.
    explicit CGraphObjectSettingsWindow(QWidget* parent, const char* frameKey);

    // Adds the colour well, OK and Cancel after the panel's own rows (the
    // widgets are created in this order, which is also the focus order).
    void buildForm(std::initializer_list<std::pair<QString, QWidget*>> rows);
    // Takes the object and captures its tool size factor and colour; false
    // for no object.
    bool captureObject(const std::shared_ptr<CGraphObject>& object);
    // Puts back what the panel captured beyond size and colour.
    virtual void restoreCaptured(CGraphObject&) {}
    void redraw();
    void done(int result) override;

    std::weak_ptr<CGraphObject> mGraphObject;
    float mOldToolSizeFactor = 1.0f;

private:
    const char* mFrameKey = nullptr;
    ColorWell* mForeColorWell = nullptr;
    QPushButton* mOKButton = nullptr;
    QPushButton* mCancelButton = nullptr;
    CPlotView* mPlotView = nullptr;
    std::optional<Color> mOldForeColor;
    bool mLoaded = false;
};
