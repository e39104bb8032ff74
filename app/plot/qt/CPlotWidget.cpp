#include "app/plot/qt/CPlotWidget.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHash>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QSettings>

#include "app/plot/qt/PlotPanels.h"
#include "app/plot/qt/PlotRendering.h"
#include "app/plot/qt/QtCanvas.h"

namespace {
// The plot last clicked in, per top-level window.  Keys are only compared,
// never followed; a value that went away reads as null.
QHash<const QWidget*, QPointer<CPlotWidget>>& lastClicked() {
    static QHash<const QWidget*, QPointer<CPlotWidget>> map;
    return map;
}
}  // namespace

CPlotWidget::CPlotWidget(QWidget* parent)
    : CPlotWidget(std::make_unique<CPlotView>(PlotRect{0, 0, 0, 0}), parent) {}

CPlotWidget::CPlotWidget(std::unique_ptr<CPlotView> view, QWidget* parent) : QWidget(parent), mView(std::move(view)) {
    if (!mView) mView = std::make_unique<CPlotView>(PlotRect{0, 0, 0, 0});
    setUp();
}

void CPlotWidget::setUp() {
    installQtPlotPanels();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    QSettings settings;
    applyUserDefaultColors(*mView, settings);
    mView->setDisplayRequest([this] { update(); });
}

CPlotWidget::~CPlotWidget() { mView->setDisplayRequest(nullptr); }

PlotPoint CPlotWidget::toViewPoint(const QPointF& position) const {
    return {static_cast<float>(position.x()), static_cast<float>(height() - position.y())};
}

unsigned CPlotWidget::modifierFlags(Qt::KeyboardModifiers m) {
    unsigned flags = 0;
    if (m & Qt::ShiftModifier) flags |= CPlotView::kShiftKeyMask;
    if (m & Qt::ControlModifier) flags |= CPlotView::kControlKeyMask;
    if (m & Qt::AltModifier) flags |= CPlotView::kAlternateKeyMask;
    return flags;
}

CPlotWidget* CPlotWidget::plotOfWindow(QWidget* window) {
    if (!window) return nullptr;
    if (auto it = lastClicked().find(window); it != lastClicked().end()) {
        CPlotWidget* p = it.value();
        if (p && p->window() == window) return p;
    }
    return window->findChild<CPlotWidget*>();
}

CPlotWidget* CPlotWidget::widgetOf(const CPlotView& view) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        for (CPlotWidget* w : top->findChildren<CPlotWidget*>())
            if (w->mView.get() == &view) return w;
        if (auto* w = qobject_cast<CPlotWidget*>(top); w && w->mView.get() == &view) return w;
    }
    return nullptr;
}

void CPlotWidget::paintEvent(QPaintEvent*) {
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    QPainter painter(this);
    QtCanvas canvas(painter, static_cast<float>(height()));
    mView->drawRect(canvas);
}

void CPlotWidget::resizeEvent(QResizeEvent* event) {
    mView->setBounds({0, 0, static_cast<float>(event->size().width()), static_cast<float>(event->size().height())});
    QWidget::resizeEvent(event);
}

void CPlotWidget::mousePressEvent(QMouseEvent* event) {
    lastClicked()[window()] = this;
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    mView->mouseDown(toViewPoint(event->position()), modifierFlags(event->modifiers()), 1);
}

void CPlotWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    mView->mouseDown(toViewPoint(event->position()), modifierFlags(event->modifiers()), 2);
}

void CPlotWidget::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) mView->mouseDragged(toViewPoint(event->position()));
}

void CPlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) mView->mouseUp(toViewPoint(event->position()));
}

QMenu* CPlotWidget::menuFor(const PlotMenu& menu) {
    if (auto it = mMenus.find(&menu); it != mMenus.end()) return it->second;
    auto* q = new QMenu(QString::fromStdString(menu.title), this);
    for (const PlotMenuItem& item : menu.items) {
        if (item.separator) {
            q->addSeparator();
            continue;
        }
        QAction* a = q->addAction(QString::fromStdString(item.title));
        a->setData(static_cast<int>(item.action));
        const PlotAction action = item.action;
        connect(a, &QAction::triggered, this, [this, action] { mView->performAction(action); });
    }
    connect(q, &QMenu::aboutToShow, this, [this, q] { validateMenu(q); });
    mMenus[&menu] = q;
    return q;
}

void CPlotWidget::validateMenu(QMenu* menu) {
    if (!menu) return;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->data().isValid()) continue;
        const PlotMenuItemState s = mView->validateMenuItem(static_cast<PlotAction>(a->data().toInt()));
        a->setEnabled(s.enabled);
        a->setCheckable(s.checkable);
        if (s.checkable) a->setChecked(s.checked);
        if (!s.title.empty()) a->setText(QString::fromStdString(s.title));
    }
}

QMenu* CPlotWidget::contextMenuAt(const QPoint& position) {
    const PlotMenu* menu = mView->menuForEvent(toViewPoint(position));
    if (!menu) return nullptr;
    QMenu* q = menuFor(*menu);
    validateMenu(q);
    return q;
}

void CPlotWidget::contextMenuEvent(QContextMenuEvent* event) {
    lastClicked()[window()] = this;
    if (QMenu* menu = contextMenuAt(event->pos())) menu->exec(event->globalPos());
}
