#pragma once
// CBarPlotWidget: the Qt widget that shows a CBarPlotView, sized with the
// widget, with the view's stepper (two arrow buttons in the top-left corner
// that lower or raise the top of the value axis) and its context menu.  It
// installs the view's PDF writer.
#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

#include "app/plot/CBarPlotView.h"

class QMenu;
class QToolButton;

class CBarPlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit CBarPlotWidget(QWidget* parent = nullptr);
    ~CBarPlotWidget() override;

    CBarPlotView& barPlotView() { return *mView; }
    QToolButton* stepperUpButton() const { return mUp; }
    QToolButton* stepperDownButton() const { return mDown; }
    QWidget* stepperWidget() const { return mStepper; }

    // The context menu with its items titled and checked for the view's state.
    QMenu* contextMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void validateMenu();
    void placeStepper();

    std::unique_ptr<CBarPlotView> mView;
    QMenu* mMenu = nullptr;
    QWidget* mStepper = nullptr;
    QToolButton* mUp = nullptr;
    QToolButton* mDown = nullptr;
};

// The whole bar plot drawn into an image of its size (times `scale` pixels
// per view unit).
QImage renderBarPlotToImage(CBarPlotView& view, qreal scale = 1.0);

// The bar plot as a one-page PDF of its size in points.  False, with a
// message in `error`, when the file cannot be written; an existing file is
// replaced only once the new one is complete.
bool writeBarPlotPdf(CBarPlotView& view, const QString& path, QString* error = nullptr);
