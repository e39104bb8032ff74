#pragma once
// Table views with keyboard commands: wrap-around selection with the arrow
// keys, Home and End, moving the selected row with Shift or Control and the
// arrows, deleting with the delete keys and editing with the keypad Enter key.
// The commands go to a delegate that implements the protocol; a view without
// one keeps the base table's own key handling.
#include <QTableView>
#include <QTreeView>

class MyTableView;
class MyOutlineView;

class MyTableViewDelegate {
public:
    virtual ~MyTableViewDelegate() = default;
    virtual void tableViewShiftDownSelectedRow(MyTableView* view) = 0;
    virtual void tableViewShiftUpSelectedRow(MyTableView* view) = 0;
    virtual void tableViewDeleteSelectedRow(MyTableView* view) = 0;
};

class MyOutlineViewDelegate {
public:
    virtual ~MyOutlineViewDelegate() = default;
    virtual void tableViewDeleteSelectedRow(MyOutlineView* view) = 0;
};

class MyTableView : public QTableView {
public:
    explicit MyTableView(QWidget* parent = nullptr);

    void setKeyDelegate(MyTableViewDelegate* d) { mDelegate = d; }
    // The delete keys reach the delegate only when set; it starts cleared.
    void setDeletable(bool on) { _isDeletable = on; }
    // Makes every column editable or read-only.
    void setEditable(bool on);

    // The selected row, or -1.
    int selectedRow() const;
    // Selects this row only and scrolls it into view (-1 clears the selection).
    void selectRowOnly(int row);
    // Stores what an open cell editor holds, as leaving the cell would.
    void commitOpenEditor();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    MyTableViewDelegate* mDelegate = nullptr;
    bool _isDeletable = false;
};

class MyOutlineView : public QTreeView {
public:
    explicit MyOutlineView(QWidget* parent = nullptr);
    void setKeyDelegate(MyOutlineViewDelegate* d) { mDelegate = d; }
    int selectedRow() const;  // among the top-level rows, or -1
    void selectRowOnly(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    MyOutlineViewDelegate* mDelegate = nullptr;
};
