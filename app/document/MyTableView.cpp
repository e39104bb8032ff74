#include "app/document/MyTableView.h"

#include <QItemSelectionModel>
#include <QKeyEvent>

namespace {
bool moveModifier(const QKeyEvent* e) { return e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier); }
bool isDeleteKey(const QKeyEvent* e) { return e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace; }

int currentSelectedRow(const QAbstractItemView* v) {
    if (!v->model() || !v->selectionModel()) return -1;
    const QModelIndexList rows = v->selectionModel()->selectedRows();
    if (!rows.isEmpty()) return rows.first().row();
    const QModelIndexList cells = v->selectionModel()->selectedIndexes();
    return cells.isEmpty() ? -1 : cells.first().row();
}

void selectOnly(QAbstractItemView* v, int row) {
    if (!v->model() || !v->selectionModel()) return;
    if (row < 0 || row >= v->model()->rowCount(v->rootIndex())) {
        v->selectionModel()->clearSelection();
        return;
    }
    QModelIndex index = v->model()->index(row, 0, v->rootIndex());
    v->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    v->scrollTo(index);
}
}  // namespace

MyTableView::MyTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void MyTableView::setEditable(bool on) {
    setEditTriggers(on ? (QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked)
                       : QAbstractItemView::NoEditTriggers);
}

int MyTableView::selectedRow() const { return currentSelectedRow(this); }

void MyTableView::commitOpenEditor() {
    if (state() != QAbstractItemView::EditingState) return;
    // The cell editor lives in the viewport; committing anything else there is ignored.
    for (QWidget* w : viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) commitData(w);
}

void MyTableView::selectRowOnly(int row) { selectOnly(this, row); }

void MyTableView::keyPressEvent(QKeyEvent* e) {
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const int sel = selectedRow();
    switch (e->key()) {
    case Qt::Key_Home:
        if (rows > 0) selectRowOnly(0);
        e->accept();
        return;
    case Qt::Key_End:
        if (rows > 0) selectRowOnly(rows - 1);
        e->accept();
        return;
    case Qt::Key_Down:
        if (moveModifier(e)) {
            if (mDelegate) {
                mDelegate->tableViewShiftDownSelectedRow(this);
                e->accept();
                return;
            }
            break;
        }
        if (rows > 0 && sel == rows - 1) {
            selectRowOnly(0);
            e->accept();
            return;
        }
        break;
    case Qt::Key_Up:
        if (moveModifier(e)) {
            if (mDelegate) mDelegate->tableViewShiftUpSelectedRow(this);
            e->accept();  // without a delegate: nothing, as on the macOS version
            return;
        }
        if (rows > 0 && sel == 0) {
            selectRowOnly(rows - 1);
            e->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (_isDeletable && mDelegate) mDelegate->tableViewDeleteSelectedRow(this);
        break;
    case Qt::Key_Enter:
        if (e->modifiers() & Qt::KeypadModifier) {
            if (sel >= 0) {
                QModelIndex index = model()->index(sel, 0, rootIndex());
                setCurrentIndex(index);
                edit(index, QAbstractItemView::AllEditTriggers, e);
            }
            e->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(e);
}

MyOutlineView::MyOutlineView(QWidget* parent) : QTreeView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int MyOutlineView::selectedRow() const { return currentSelectedRow(this); }

void MyOutlineView::selectRowOnly(int row) { selectOnly(this, row); }

void MyOutlineView::keyPressEvent(QKeyEvent* e) {
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const int sel = selectedRow();
    if (e->key() == Qt::Key_Down && rows > 0 && sel == rows - 1) {
        selectRowOnly(0);
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Up && rows > 0 && sel == 0) {
        selectRowOnly(rows - 1);
        e->accept();
        return;
    }
    if (isDeleteKey(e) && mDelegate) mDelegate->tableViewDeleteSelectedRow(this);
    QTreeView::keyPressEvent(e);
}
