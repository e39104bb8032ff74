#pragma once
// The point settings panel: marker type, marker size (1 to 10) and colour of
// one graph object, applied at once.  It runs modally; OK keeps the changes,
// Cancel (also the window's close button and Escape) puts back the size,
// colour and marker type the object had when the panel got it.
#include <QDialog>
#include <cstdint>
#include <memory>
#include <optional>

#include "app/plot/Color.h"

class QComboBox;
class QPushButton;
class ColorWell;
class CGraphObject;
class CPlotView;

class CPointSettingsWindow : public QDialog {
    Q_OBJECT
public:
    static CPointSettingsWindow* sharedPointsSettingsCtroller();
    static CPointSettingsWindow* existingShared();

    explicit CPointSettingsWindow(QWidget* parent = nullptr);
    ~CPointSettingsWindow() override;

    void showWindow();
    void setPlotView(CPlotView* view) { mPlotView = view; }
    CPlotView* plotView() const { return mPlotView; }
    // Takes the object and captures its marker type, size and colour.
    void setGraphObject(const std::shared_ptr<CGraphObject>& object);
    std::shared_ptr<CGraphObject> graphObject() const { return mGraphObject.lock(); }

    void onChangeMarkerType();
    void onChangeMarkerSize();
    void onChangeColor();
    void onOKButton();
    void onCancelButton();
    void startModalSession();

    QComboBox* markerTypeMenu() const { return mMarkerTypeMenu; }
    QComboBox* sizeMenu() const { return mSizeMenu; }
    ColorWell* foreColorWell() const { return mForeColorWell; }
    QPushButton* okButton() const { return mOKButton; }
    QPushButton* cancelButton() const { return mCancelButton; }

    void reject() override;

protected:
    void done(int result) override;

private:
    void redraw();

    QPushButton* mCancelButton = nullptr;
    ColorWell* mForeColorWell = nullptr;
    QComboBox* mMarkerTypeMenu = nullptr;
    QPushButton* mOKButton = nullptr;
    QComboBox* mSizeMenu = nullptr;
    std::weak_ptr<CGraphObject> mGraphObject;
    CPlotView* mPlotView = nullptr;
    std::int32_t mOldMarkerType = 0;
    float mOldToolSizeFactor = 1.0f;
    std::optional<Color> mOldForeColor;
};
