#pragma once
// The case document: an ordered list of cases shown in a table whose keyboard
// commands move and delete cases, the input form of the selected case, its
// result fields, the exsolution and pressure plots, and the eruption command.
//
// Every change of the form runs one calculation (ChamberCalculator, plain
// C++): the model is configured from the form, the selected case receives the
// form's values, and the result fields and both plots show the outcome.  A
// click in a plot takes the clicked point as the new initial or final state.
#include <QAbstractTableModel>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/document/CaseList.h"
#include "app/document/ChamberCalculator.h"
#include "app/document/Document.h"
#include "app/document/EruptionTableWindow.h"
#include "app/document/MyTableView.h"
#include "platform/LogSink.h"
#include "platform/NotificationCenter.h"

class CDrawPlotView;
class CGraphCurve;
class CPlotView;
class FieldStepper;
class QButtonGroup;
class QGridLayout;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;

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
    // Called with the row and the cases before the edit, after the table has
    // stored an edited name.
    std::function<void(int row, const platform::PropertyList& before)> nameEdited;
    // Told when a name of nothing but blanks was typed: the case keeps its name.
    std::function<void(int row)> emptyNameRefused;

private:
    CaseList* mList;
};

class MyDocument : public Document, public MyTableViewDelegate {
    Q_OBJECT
public:
    MyDocument();
    ~MyDocument() override;

    std::string dataOfType(std::string& error) const override { return mList.dataOfType(&error); }
    bool readFromData(std::string_view bytes, std::string& error) override;
    // An eruption sequence is running.
    bool isBusy() const override { return mErupting; }
    QString busyWith() const override { return QStringLiteral("the eruption sequence is being computed"); }
    QString busyName() const override { return QStringLiteral("the eruption sequence"); }
    // Stops the running eruption sequence as its Cancel button does (and
    // Escape or Ctrl+period in the document window).
    void cancelBusyWork() override { mCancelRun = true; }
    // The document's status line, under the form.
    void showStatus(const QString& message) override;
    // A case name, field or comment typed without Return is applied as Return would.
    void commitEditing() override;
    void windowControllerDidLoad(QMainWindow* window) override;

    const CaseList& list() const { return mList; }
    MyTableView* listView() const { return mListView; }
    int selectedRow() const;

    // Case commands.
    void onAddCase();
    void onDuplicateCase();
    void onDeleteCase();
    // Shows the shared log window, 700 x 300 points when it was hidden; a log
    // window that opens is placed clear of `keepClear` (a document's eruption
    // controls) where the screen has room.
    // With `activate` false the log does not take the keyboard.
    static void onShowLog(const QWidget* keepClear = nullptr, bool activate = true);
    // Shows the window that holds the last eruption table whole.
    void onShowEruptionTable();
    // How a running eruption sequence gives the window its events: after
    // `eventIntervalMs` of computing at the least (the model's steps are far
    // shorter than a frame), its progress panel shown from `panelDelayMs`
    // on; `eachPass` is called at each hand-over, after the window's events.
    // A test drives a run's progress through it, pass by pass, whatever the
    // machine's speed.
    struct RunPacing {
        int eventIntervalMs = 20;
        int panelDelayMs = 300;
        std::function<void()> eachPass;
    };
    void setRunPacing(RunPacing pacing) { mRunPacing = std::move(pacing); }
    // The eruption controls (threshold, commands), which the log leaves clear.
    QWidget* eruptionControls() const { return mEruptionBox; }
    // The window with the last eruption table of this document, once there is one.
    EruptionTableWindow* eruptionTableWindow() const { return mEruptionTable.data(); }
    // The curve of a crystallisation's rows (or of the exsolution path, row
    // for row), broken before each row of `breaks`: no line is drawn across
    // rows the model left out.
    static std::shared_ptr<CGraphCurve> curveOfRows(const std::vector<CurveXY>& points,
                                                    const std::vector<size_t>& breaks);
    // The log keeps the first and the last rows of a longer eruption table.
    static constexpr size_t kLogTableHead = 40;
    static constexpr size_t kLogTableTail = 10;
    // Stores the comment field in the selected case.
    void onChangeComment();

    // Loads the selected case into the form and recalculates.
    void tableViewSelectionDidChange();
    // Runs the calculation for the form as it stands.  `sender` is the control
    // the user changed (a field, a stepper, a radio group), or nullptr when
    // the form was loaded or set by the document itself.
    void onCalculateExsolData(QObject* sender);
    // Sets the initial volatile content to its saturation value.
    void doSaturateFluid();
    void onSaturateInitialFluid();
    // The chamber expansion fields for the chamber volume (field or stepper).
    void onStepMagmaChamber(QObject* sender);
    // Runs the eruption sequence and writes its table to the log window.
    void onCalculateEruptiveSequence(QObject* sender);
    // Observer of "PlotSelection": `sender` is the plot view clicked.
    void onPlotSelection(const void* sender);

    // The form as it stands.
    CaseForm formSnapshot() const;
    const CalculationResult& lastResult() const { return mResult; }
    ChamberCalculator& calculator() { return mCalc; }
    // The calculator the eruption sequences run on.
    ChamberCalculator& eruptionCalculator();
    bool isSaturated() const { return mSaturated; }
    int exsolViewConcentrationUnit() const { return mExsolViewConcentrationUnit; }

    // The form's widgets, for the window and for tests.
    QLineEdit* field(const std::string& key) const;
    FieldStepper* stepper(const std::string& key) const;
    QLineEdit* resultField(const std::string& name) const;
    QLineEdit* commentField() const { return mComment; }
    QButtonGroup* meltType() const { return mMeltType; }
    QButtonGroup* fluidType() const { return mFluidType; }
    QCheckBox* useEOSBox() const { return mUseEOS; }
    QCheckBox* imposeSaturationBox() const { return mImposeSaturation; }
    QLineEdit* pfracField() const { return mPfrac; }
    QLabel* undersaturatedMsg0() const { return mUndersaturatedMsg0; }
    QLabel* statusLine() const { return mStatus; }
    CDrawPlotView* exsolView() const { return mExsolView; }
    CDrawPlotView* pressureView() const { return mPressureView; }

    // The shown ranges of the two plots (x min, x max, y min, y max).
    struct PlotRanges {
        float exsol[4] = {0, 0, 0, 0};
        float pressure[4] = {0, 0, 0, 0};
    };
    PlotRanges plotRanges() const;
    // Puts back the cases and the selected row of an edit undone or redone:
    // the form, results and plots show that case again, at the plots' ranges
    // of that moment when they are given, and the document's gas densities
    // (from the equations of state or ideal) when given.
    void restoreCases(const platform::PropertyList& cases, int row, const PlotRanges* ranges = nullptr,
                      std::optional<bool> gasDensitiesFromEOS = std::nullopt);

    void tableViewShiftDownSelectedRow(MyTableView* view) override;
    void tableViewShiftUpSelectedRow(MyTableView* view) override;
    void tableViewDeleteSelectedRow(MyTableView* view) override;

protected:
    // Ctrl+Z (and the redo keys) in a form field whose text is applied undo
    // the document's last edit, as Edit > Undo does, rather than the field's
    // text alone; a field with text not yet applied keeps its own undo.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The selected case changed (the form of the case follows it).
    void selectedCaseChanged(int row);

private:
    struct FormEntry {
        std::string key;
        QLineEdit* field = nullptr;
        FieldStepper* stepper = nullptr;
        QString label;
    };

    void selectRow(int row);
    // Enables the form and the plots while a case is selected; without one
    // they are disabled and the status line says why.
    void showCaseSelected(bool selected);
    // The cases: the table, its commands and the comment of the selected case.
    void buildCasesPane(QWidget* parent);
    // Escape and Ctrl+period in the document window, which cancel a running sequence.
    void installCancelKeys(QMainWindow* window);
    QWidget* buildForm(QWidget* parent);
    QWidget* buildResults(QWidget* parent);
    void addFormRow(QGridLayout* grid, int row, const QString& label, const std::string& key, QLineEdit*& field,
                    FieldStepper*& stepper, const QString& unit, double increment, double lo, double hi);
    void setUpPlot(CPlotView* view, float maxX, float defaultX, const char* xLabel);
    // Shows a form in the widgets.
    void showForm(const CaseForm& form);
    // Calculates a form, shows the result and writes the form back to the
    // selected case; `edited` marks the document changed when the case changed.
    // `what` names the edit for Edit > Undo.
    void calculate(CaseForm form, bool edited, const QString& what = QString());
    // Puts an edit of the cases made since `before` (the cases then, and the
    // selected row) on the undo stack, which marks the document changed.
    // `rangesBefore` are the plots' ranges before the edit (by default those of
    // now), `useEOSBefore` the document's gas-density setting (by default that of now).
    void recordEdit(const QString& what, const platform::PropertyList& before, int rowBefore,
                    std::optional<PlotRanges> rangesBefore = std::nullopt,
                    std::optional<bool> useEOSBefore = std::nullopt);
    void showPlotRanges(const PlotRanges& ranges);
    // Puts what a model said while computing (warnings) into the log rather
    // than on standard error, each note once for the document, and returns
    // the notes new to it; replays the rest.
    std::string tellModelNotes(const std::vector<platform::ThreadLogCapture::Entry>& said);
    // What an edit from a control is called ("Change Of Initial pressure P0").
    QString editName(const QObject* sender) const;
    // A form field (or the comment) holding text that differs from its case's value.
    bool hasPendingEdit(const QLineEdit* field) const;
    void buildSolubilityView();
    void buildPressureView();
    // The plots' default and maximum ranges from the case shown: the presets,
    // widened so that the case's curves and states lie inside.
    void fitPlotRanges();
    void showResultFields();
    void setExsolutionUnit(int unit);
    // Puts the table of an eruption run, with the case and the inputs it was
    // computed from, whole into the eruption table window and its start and
    // end into the log.  Memory running out here too is told: `failure` then
    // says why and the report is emptied; the document stays as it is.
    void writeEruptionTable(EruptionReport& report, QString& failure, const CaseForm& form, double threshold,
                            const std::string& caseName);
    // Stores the form's values in the selected case; the keys that changed.
    std::vector<std::string> storeInSelectedCase(const CaseForm& form);
    std::string selectedCaseName() const;

    CaseList mList;
    CaseTableModel* mModel = nullptr;
    MyTableView* mListView = nullptr;

    ChamberCalculator mCalc;
    // The eruption sequence runs on a model of its own, so that the form can
    // be recalculated while the sequence waits for events.
    // Made anew after a run that failed, so that what it held is freed.
    std::unique_ptr<ChamberCalculator> mEruptionCalc;
    // The threshold field's text when the running sequence started.
    QString mRunningThreshold;
    RunPacing mRunPacing;
    CalculationResult mResult;
    int mExsolViewConcentrationUnit = kUnitNotChosen;
    bool mSaturated = false;
    platform::NotificationCenter::Token mPlotSelectionToken = 0;
    bool mLoading = false;
    // An undone or redone edit is being put back: nothing is recorded meanwhile.
    bool mRestoring = false;
    bool mErupting = false;
    // A close asked the running sequence to stop.
    bool mCancelRun = false;
    // The status line told something while the sequence ran: the end of the
    // run leaves it there.
    bool mToldDuringRun = false;
    // Eruption sequences running in the application (one at a time).
    static int sRunningSequences;
    QWidget* mEruptionBox = nullptr;
    QWidget* mFormContent = nullptr;
    // The models' notes told so far.
    std::set<std::string> mNotesSaid;
    // Escape and Ctrl+period in the document window: enabled while a sequence runs.
    std::vector<QShortcut*> mCancelKeys;
    QPointer<EruptionTableWindow> mEruptionTable;

    QLineEdit* mComment = nullptr;
    QButtonGroup* mMeltType = nullptr;
    QButtonGroup* mFluidType = nullptr;
    QLineEdit *mMeltRho = nullptr, *mCrystalsRho = nullptr, *mT0 = nullptr, *mExsols = nullptr, *mExsoln = nullptr,
              *mzCO2 = nullptr, *mVolaWt0 = nullptr, *mCrystaWt0 = nullptr, *mCrystaWt1 = nullptr, *mMu = nullptr,
              *mBeta = nullptr, *mP0 = nullptr, *mChamberVol = nullptr, *mPfrac = nullptr;
    FieldStepper *mStepMeltRho = nullptr, *mStepCrystaRho = nullptr, *mStepT = nullptr, *mStepExsols = nullptr,
                 *mStepExsoln = nullptr, *mStepzCO2 = nullptr, *mStepVola0 = nullptr, *mStepCrysta0 = nullptr,
                 *mStepCrysta1 = nullptr, *mStepMu = nullptr, *mStepBeta = nullptr, *mStepP0 = nullptr,
                 *mStepChamberVol = nullptr, *mStepPfrac = nullptr;
    QCheckBox* mUseEOS = nullptr;
    QCheckBox* mImposeSaturation = nullptr;
    CDrawPlotView* mExsolView = nullptr;
    CDrawPlotView* mPressureView = nullptr;
    QLabel* mUndersaturatedMsg0 = nullptr;
    QLabel* mUndersaturatedMsg1 = nullptr;
    QLabel* mStatus = nullptr;
    // The form fields with their case keys, in the order of the form.
    std::vector<FormEntry> mTextFields;
    std::map<std::string, QLineEdit*> mResultFields;
    // Result rows named after water, with their names for the user-defined volatile.
    struct VolatileLabel {
        QLabel* label;
        QString water, user;
    };
    std::vector<VolatileLabel> mVolatileLabels;
    // The kinds of melt and volatile offered: a user-defined melt takes no mixture.
    void offerKinds(int melt, int fluid);
};
