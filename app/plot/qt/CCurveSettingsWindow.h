#pragma once
// The curve settings panel: line thickness (normal, double, triple) and colour
// of one curve, applied at once.  It runs modally; OK keeps the changes,
// Cancel (also the window's close button and Escape) puts back the thickness
// and colour the curve had when the panel got it.
#include <QDialog>
#include <memory>
#include <optional>

#include "app/plot/Color.h"

class QComboBox;
class QPushButton;
class ColorWell;
class CGraphObject;
class CPlotView;

class CCurveSettingsWindow : public QDialog {
    Q_OBJECT
public:
    // The shared panel, created on the first call.
    static CCurveSettingsWindow* sharedCurvesSettingsCtroller();
    // The shared panel if it was created, else nullptr.
    static CCurveSettingsWindow* existingShared();

    explicit CCurveSettingsWindow(QWidget* parent = nullptr);
    ~CCurveSettingsWindow() override;

    // Prepares the window (it is shown by startModalSession).
    void showWindow();
    void setPlotView(CPlotView* view) { mPlotView = view; }
    CPlotView* plotView() const { return mPlotView; }
    // Takes the curve and captures its thickness and colour.
    void setGraphCurve(const std::shared_ptr<CGraphObject>& curve);
    std::shared_ptr<CGraphObject> graphCurve() const { return mGraphCurve.lock(); }

    void onChangeThickness();
    void onChangeColor();
    void onOKButton();
    void onCancelButton();
    // Runs the panel modally; returns when the user is done.
    void startModalSession();

    QComboBox* thicknessMenu() const { return mThicknessMenu; }
    ColorWell* foreColorWell() const { return mForeColorWell; }
    QPushButton* okButton() const { return mOKButton; }
    QPushButton* cancelButton() const { return mCancelButton; }

    // Cancel restores; used by the close button and Escape too.
    void reject() override;

protected:
    void done(int result) override;

private:
    void redraw();

    QComboBox* mThicknessMenu = nullptr;
    ColorWell* mForeColorWell = nullptr;
    QPushButton* mOKButton = nullptr;
    QPushButton* mCancelButton = nullptr;
    std::weak_ptr<CGraphObject> mGraphCurve;
    CPlotView* mPlotView = nullptr;
    float mOldToolSizeFactor = 1.0f;
    std::optional<Color> mOldForeColor;
    bool mLoaded = false;
};
