#include "app/plot/qt/CBarPlotWidget.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QResizeEvent>
#include <QSaveFile>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/plot/qt/PlotPanels.h"
#include "app/plot/qt/QtCanvas.h"

CBarPlotWidget::CBarPlotWidget(QWidget* parent)
    : QWidget(parent), mView(std::make_unique<CBarPlotView>(PlotRect{0, 0, 0, 0})) {
    installQtPlotPanels();  // the save dialog and error messages
    setAttribute(Qt::WA_OpaquePaintEvent);
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    mView->setDisplayRequest([this] { update(); });
    mView->setPdfWriter([](CBarPlotView& view, const std::string& path, std::string& error) {
        QString why;
        const bool ok = writeBarPlotPdf(view, QString::fromStdString(path), &why);
        error = why.toStdString();
        return ok;
    });

    // The stepper: an up and a down arrow, repeating while held.
    mStepper = new QWidget(this);
    auto* column = new QVBoxLayout(mStepper);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    mUp = new QToolButton(mStepper);
    mUp->setArrowType(Qt::UpArrow);
    mDown = new QToolButton(mStepper);
    mDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {mUp, mDown}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(20, 15);
        column->addWidget(b);
    }
    connect(mUp, &QToolButton::clicked, this, [this] { mView->stepperIncrement(); });
    connect(mDown, &QToolButton::clicked, this, [this] { mView->stepperDecrement(); });
    placeStepper();

    mMenu = new QMenu(QString::fromStdString(CBarPlotView::mPlotMenu().title), this);
    for (const BarPlotMenuItem& item : CBarPlotView::mPlotMenu().items) {
        if (item.separator) {
            mMenu->addSeparator();
            continue;
        }
        QAction* a = mMenu->addAction(QString::fromStdString(item.title));
        a->setData(static_cast<int>(item.action));
        const BarPlotAction action = item.action;
        connect(a, &QAction::triggered, this, [this, action] { mView->performAction(action); });
    }
    connect(mMenu, &QMenu::aboutToShow, this, [this] { validateMenu(); });
}

CBarPlotWidget::~CBarPlotWidget() {
    mView->setDisplayRequest(nullptr);
    mView->setPdfWriter(nullptr);
}

void CBarPlotWidget::placeStepper() {
    // The view's frame is in y-up coordinates: its top edge is at y + height.
    const PlotRect f = mView->stepper().frame;
    mStepper->setGeometry(static_cast<int>(f.x), static_cast<int>(std::lround(height() - (f.y + f.height))),
                          static_cast<int>(f.width), static_cast<int>(f.height));
    mStepper->setVisible(!mView->stepper().hidden);
}

void CBarPlotWidget::validateMenu() {
    for (QAction* a : mMenu->actions()) {
        if (a->isSeparator() || !a->data().isValid()) continue;
        const PlotMenuItemState s = mView->validateMenuItem(static_cast<BarPlotAction>(a->data().toInt()));
        a->setEnabled(s.enabled);
        a->setCheckable(s.checkable);
        if (s.checkable) a->setChecked(s.checked);
        if (!s.title.empty()) a->setText(QString::fromStdString(s.title));
    }
}

QMenu* CBarPlotWidget::contextMenu() {
    validateMenu();
    return mMenu;
}

void CBarPlotWidget::paintEvent(QPaintEvent*) {
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    QPainter painter(this);
    QtCanvas canvas(painter, static_cast<float>(height()));
    mView->drawRect(canvas);
}

void CBarPlotWidget::resizeEvent(QResizeEvent* event) {
    mView->setBounds({0, 0, static_cast<float>(event->size().width()), static_cast<float>(event->size().height())});
    placeStepper();
    QWidget::resizeEvent(event);
}

void CBarPlotWidget::contextMenuEvent(QContextMenuEvent* event) {
    mView->menuForEvent({static_cast<float>(event->pos().x()), static_cast<float>(height() - event->pos().y())});
    contextMenu()->exec(event->globalPos());
}

QImage renderBarPlotToImage(CBarPlotView& view, qreal scale) {
    const PlotRect b = view.bounds();
    const int w = std::max(1, static_cast<int>(std::ceil(b.width * scale)));
    const int h = std::max(1, static_cast<int>(std::ceil(b.height * scale)));
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    // 72 per inch, so that one view unit is one pixel at scale 1.
    const int dotsPerMeter = static_cast<int>(std::lround(72.0 * scale / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    {
        QtCanvas canvas(painter, b.height);
        view.drawRect(canvas);
    }
    painter.end();
    return image;
}

bool writeBarPlotPdf(CBarPlotView& view, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = QStringLiteral("Cannot write the file \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    const PlotRect b = view.bounds();
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(b.width, b.height), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        if (!painter.isActive()) {
            if (error) *error = QStringLiteral("Cannot draw into the file \"%1\"").arg(path);
            file.cancelWriting();
            return false;
        }
        {
            QtCanvas canvas(painter, b.height);
            view.drawRect(canvas);
        }
        painter.end();
    }
    if (!file.commit()) {
        if (error) *error = QStringLiteral("Cannot write the file \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
