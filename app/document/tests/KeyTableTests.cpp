#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStandardItemModel>
#include <QTest>

#include "QtTestApp.h"
#include "app/document/MyTableView.h"

namespace {

struct Recorder : MyTableViewDelegate, MyOutlineViewDelegate {
    int down = 0, up = 0, del = 0, outlineDel = 0;
    void tableViewShiftDownSelectedRow(MyTableView*) override { ++down; }
    void tableViewShiftUpSelectedRow(MyTableView*) override { ++up; }
    void tableViewDeleteSelectedRow(MyTableView*) override { ++del; }
    void tableViewDeleteSelectedRow(MyOutlineView*) override { ++outlineDel; }
};

class KeyTable : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        for (int i = 0; i < 4; ++i) model.appendRow(new QStandardItem(QString("row %1").arg(i)));
        view.setModel(&model);
        view.show();
        view.selectRowOnly(0);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(&view, k, m); }

    QtTestAppMember app;
    QStandardItemModel model;
    MyTableView view;
    Recorder rec;
};

TEST_F(KeyTable, ArrowsWrapAroundAndHomeEndJump) {
    key(Qt::Key_Up);
    EXPECT_EQ(view.selectedRow(), 3);
    key(Qt::Key_Down);
    EXPECT_EQ(view.selectedRow(), 0);
    key(Qt::Key_Down);  // base behaviour in between
    EXPECT_EQ(view.selectedRow(), 1);
    key(Qt::Key_End);
    EXPECT_EQ(view.selectedRow(), 3);
    key(Qt::Key_Home);
    EXPECT_EQ(view.selectedRow(), 0);
}

TEST_F(KeyTable, ShiftOrControlArrowsGoToTheDelegate) {
    // Without a delegate: Shift+Up does nothing, Shift+Down falls back to the base.
    view.selectRowOnly(1);
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedRow(), 1);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedRow(), 2);
    view.setKeyDelegate(&rec);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ControlModifier);
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(rec.down, 2);
    EXPECT_EQ(rec.up, 1);
    EXPECT_EQ(view.selectedRow(), 2);  // the delegate moves rows, not the view
}

TEST_F(KeyTable, DeleteKeysReachTheDelegateOnlyWhenDeletable) {
    view.setKeyDelegate(&rec);
    key(Qt::Key_Delete);
    key(Qt::Key_Backspace);
    EXPECT_EQ(rec.del, 0);
    view.setDeletable(true);
    key(Qt::Key_Delete);
    key(Qt::Key_Backspace);
    EXPECT_EQ(rec.del, 2);
}

TEST_F(KeyTable, KeypadEnterEditsTheFirstColumn) {
    view.selectRowOnly(2);
    key(Qt::Key_Enter, Qt::KeypadModifier);
    auto* editor = view.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "row 2");
    EXPECT_EQ(editor->selectedText(), "row 2");
    EXPECT_EQ(view.currentIndex().row(), 2);
    view.setEditable(false);
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST(KeyOutline, WrapsAndForwardsDelete) {
    qtTestApp();
    QStandardItemModel model;
    for (int i = 0; i < 3; ++i) model.appendRow(new QStandardItem(QString("item %1").arg(i)));
    MyOutlineView view;
    view.setModel(&model);
    view.show();
    view.selectRowOnly(2);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.selectedRow(), 0);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(view.selectedRow(), 2);
    Recorder rec;
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(rec.outlineDel, 0);
    view.setKeyDelegate(&rec);
    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(rec.outlineDel, 2);
}

}  // namespace
