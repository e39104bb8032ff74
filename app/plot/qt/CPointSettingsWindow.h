#pragma once
// The point settings panel: marker type, marker size (1 to 10) and colour of
// one graph object, applied at once.  It runs modally; OK keeps the changes,
// Cancel (also the window's close button and Escape) puts back the size,
// colour and marker type the object had when the panel got it.
#include <cstdint>
#include <memory>

#include "app/plot/qt/CGraphObjectSettingsWindow.h"

class QComboBox;

class CPointSettingsWindow : public CGraphObjectSettingsWindow {
    Q_OBJECT
public:
    static CPointSettingsWindow* sharedPointsSettingsCtroller();
    static CPointSettingsWindow* existingShared();

    explicit CPointSettingsWindow(QWidget* parent = nullptr);
    ~CPointSettingsWindow() override;

    // Takes the object and captures its marker type, size and colour.
    void setGraphObject(const std::shared_ptr<CGraphObject>& object);
    std::shared_ptr<CGraphObject> graphObject() const { return mGraphObject.lock(); }

    void onChangeMarkerType();
    void onChangeMarkerSize();

    QComboBox* markerTypeMenu() const { return mMarkerTypeMenu; }
    QComboBox* sizeMenu() const { return mSizeMenu; }

protected:
    void restoreCaptured(CGraphObject& object) override;

private:
    QComboBox* mMarkerTypeMenu = nullptr;
    QComboBox* mSizeMenu = nullptr;
    std::int32_t mOldMarkerType = 0;
};
