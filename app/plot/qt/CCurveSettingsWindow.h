#pragma once
// The curve settings panel: line thickness (normal, double, triple) and colour
// of one curve, applied at once.  It runs modally; OK keeps the changes,
// Cancel (also the window's close button and Escape) puts back the thickness
// and colour the curve had when the panel got it.
#include <memory>

#include "app/plot/qt/CGraphObjectSettingsWindow.h"

class QComboBox;

class CCurveSettingsWindow : public CGraphObjectSettingsWindow {
    Q_OBJECT
public:
    // The shared panel, created on the first call.
    static CCurveSettingsWindow* sharedCurvesSettingsCtroller();
    // The shared panel if it was created, else nullptr.
    static CCurveSettingsWindow* existingShared();

    explicit CCurveSettingsWindow(QWidget* parent = nullptr);
    ~CCurveSettingsWindow() override;

    // Takes the curve and captures its thickness and colour.
    void setGraphCurve(const std::shared_ptr<CGraphObject>& curve);
    std::shared_ptr<CGraphObject> graphCurve() const { return mGraphObject.lock(); }

    void onChangeThickness();

    QComboBox* thicknessMenu() const { return mThicknessMenu; }

private:
    QComboBox* mThicknessMenu = nullptr;
};
