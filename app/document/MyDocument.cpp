#include "app/document/MyDocument.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMainWindow>

#include "app/document/CLogWindow.h"

using platform::PropertyList;

int CaseTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(mList->size());
}

int CaseTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant CaseTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const PropertyList* name = mList->at(static_cast<size_t>(index.row())).find("name");
    return name ? QString::fromStdString(caseValueDescription(*name)) : QString();
}

QVariant CaseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0) return QStringLiteral("Case");
    return {};
}

Qt::ItemFlags CaseTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable : Qt::NoItemFlags;
}

bool CaseTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    if (!mList->setValue(index.row(), "name", PropertyList::string(value.toString().toStdString()))) return false;
    emit dataChanged(index, index);
    if (nameEdited) nameEdited(index.row());
    return true;
}

MyDocument::MyDocument() = default;

MyDocument::~MyDocument() {
    if (mListView && mListView->selectionModel()) mListView->selectionModel()->disconnect(this);
    mListView = nullptr;
    mModel = nullptr;
    destroyWindow();
}

bool MyDocument::readFromData(std::string_view bytes, std::string& error) {
    platform::PlistReadResult r = mList.readFromData(bytes);
    if (!r.ok) {
        error = r.error;
        return false;
    }
    if (mModel) {
        mModel->reload();
        selectRow(mList.empty() ? -1 : 0);
    }
    return true;
}

void MyDocument::windowControllerDidLoad(QMainWindow* window) {
    mListView = new MyTableView(window);
    mListView->setObjectName(QStringLiteral("caseTable"));
    mModel = new CaseTableModel(&mList, mListView);
    // Editing a name marks the document changed without a new calculation.
    mModel->nameEdited = [this](int) { updateChangeCount(ChangeDone); };
    mListView->setModel(mModel);
    mListView->horizontalHeader()->setStretchLastSection(true);
    mListView->verticalHeader()->hide();
    mListView->setKeyDelegate(this);
    mListView->setDeletable(true);
    connect(mListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectedCaseChanged(selectedRow()); });
    window->setCentralWidget(mListView);
    if (mList.empty()) {
        // A new document starts with one case and is not marked as changed.
        onAddCase();
        updateChangeCount(ChangeUndone);
    } else {
        selectRow(0);
    }
}

int MyDocument::selectedRow() const { return mListView ? mListView->selectedRow() : -1; }

void MyDocument::selectRow(int row) {
    if (mListView) mListView->selectRowOnly(row);
}

void MyDocument::onAddCase() {
    int row = mList.addCase(selectedRow());
    if (mModel) mModel->reload();
    updateChangeCount(ChangeDone);
    selectRow(row);
}

void MyDocument::onDuplicateCase() {
    int row = mList.duplicateCase(selectedRow());
    if (row < 0) return;
    if (mModel) mModel->reload();
    selectRow(row);
    updateChangeCount(ChangeDone);
}

void MyDocument::onDeleteCase() {
    if (!mList.deleteCase(selectedRow())) return;
    if (mModel) mModel->reload();
    updateChangeCount(ChangeDone);
}

void MyDocument::onShowLog() {
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    if (!log->isWindowVisible()) log->setContentSize(700, 300);
    log->showWindow();
}

void MyDocument::tableViewShiftDownSelectedRow(MyTableView*) {
    int row = mList.shiftDownSelectedRow(selectedRow());
    if (row < 0) return;
    if (mModel) mModel->reload();
    selectRow(row);
    updateChangeCount(ChangeDone);
}

void MyDocument::tableViewShiftUpSelectedRow(MyTableView*) {
    int row = mList.shiftUpSelectedRow(selectedRow());
    if (row < 0) return;
    if (mModel) mModel->reload();
    selectRow(row);
    updateChangeCount(ChangeDone);
}

void MyDocument::tableViewDeleteSelectedRow(MyTableView*) { onDeleteCase(); }
