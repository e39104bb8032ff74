#pragma once
// The case document: an ordered list of cases shown in a table whose keyboard
// commands move and delete cases.  The input form, the results and the plots
// of the selected case are built on top of this window.
#include <QAbstractTableModel>

#include "app/document/CaseList.h"
#include "app/document/Document.h"
#include "app/document/MyTableView.h"

// The case table's model: one column, the case's "name".
class CaseTableModel : public QAbstractTableModel {
public:
    explicit CaseTableModel(CaseList* list, QObject* parent = nullptr) : QAbstractTableModel(parent), mList(list) {}
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void reload() { beginResetModel(); endResetModel(); }
    // Called with the row after the table has stored an edited name.
    std::function<void(int row)> nameEdited;

private:
    CaseList* mList;
};

class MyDocument : public Document, public MyTableViewDelegate {
    Q_OBJECT
public:
    MyDocument();
    ~MyDocument() override;

    std::string dataOfType() const override { return mList.dataOfType(); }
    bool readFromData(std::string_view bytes, std::string& error) override;
    void windowControllerDidLoad(QMainWindow* window) override;

    const CaseList& list() const { return mList; }
    MyTableView* listView() const { return mListView; }
    int selectedRow() const;

    // Case commands.
    void onAddCase();
    void onDuplicateCase();
    void onDeleteCase();
    // Shows the shared log window, 700 x 300 points when it was hidden.
    static void onShowLog();

    void tableViewShiftDownSelectedRow(MyTableView* view) override;
    void tableViewShiftUpSelectedRow(MyTableView* view) override;
    void tableViewDeleteSelectedRow(MyTableView* view) override;

signals:
    // The selected case changed (the form of the case follows it).
    void selectedCaseChanged(int row);

private:
    void selectRow(int row);

    CaseList mList;
    CaseTableModel* mModel = nullptr;
    MyTableView* mListView = nullptr;
};
