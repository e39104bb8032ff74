#include "app/document/MyDocument.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "app/document/CLogWindow.h"
#include "app/document/ChamberApplication.h"
#include "app/document/EruptionTableWindow.h"
#include "app/document/FieldStepper.h"
#include "app/document/FormFields.h"
#include "app/document/WindowPlacement.h"
#include "app/plot/CGraphCurve.h"
#include "app/plot/CGraphPoint.h"
#include "app/plot/qt/CDrawPlotView.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/PlotPanels.h"

using formfields::fieldNumber;
using formfields::fieldValue;
using formfields::setFieldNumber;
using formfields::showFromStart;
using formfields::showValue;
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
    // A case is known by its name in the table: a blank one would be an empty row.
    if (value.toString().trimmed().isEmpty()) {
        if (emptyNameRefused) emptyNameRefused(index.row());
        return false;
    }
    const PropertyList before = mList->cases();
    if (!mList->setValue(index.row(), "name", PropertyList::string(value.toString().toStdString()))) return false;
    emit dataChanged(index, index);
    if (nameEdited && !(before == mList->cases())) nameEdited(index.row(), before);
    return true;
}

namespace {

// The name under which "PlotSelection" is posted by a clicked plot view.
constexpr const char* kPlotSelection = "PlotSelection";

// A result as the window shows it: the number, the text that stands in for
// it, or "no value" when the calculation gave none.
QString resultText(const ResultField& f) {
    if (f.value) return QString::number(*f.value, 'g', 6);
    if (!f.text.empty()) return QString::fromStdString(f.text);
    return QStringLiteral("no value");
}

QLabel* unitLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setMinimumWidth(48);
    return l;
}

// The highest pressure the form takes for P0 (the top of the solubility and
// equation-of-state laws the chamber model uses): the plots' maximum ranges
// reach it.
constexpr float kMaxPressureBar = 5000.0f;

// The smallest end of an axis from 0 at or above v whose ten intervals are
// 1, 2, 2.5, 4 or 5 times a power of ten, so that the ticks read plainly.
float niceAxisEnd(double v) {
    if (!(v > 0.0) || !std::isfinite(v)) return 0.0f;
    const double step = v / 10.0;
    const double p = std::pow(10.0, std::floor(std::log10(step)));
    for (double m : {1.0, 2.0, 2.5, 4.0, 5.0, 10.0})
        if (m * p >= step * (1.0 - 1e-9)) return static_cast<float>(10.0 * m * p);
    return static_cast<float>(100.0 * p);
}

// The largest x and y of points of a plot.
struct Extent {
    double x = 0.0, y = 0.0;
    void add(const CurveXY& p) {
        if (std::isfinite(p.x)) x = std::max(x, p.x);
        if (std::isfinite(p.y)) y = std::max(y, p.y);
    }
    void add(const std::optional<CurveXY>& p) {
        if (p) add(*p);
    }
    void add(const std::vector<CurveXY>& points) {
        for (const CurveXY& p : points) add(p);
    }
};

// Gives a plot from 0 the default range of its preset widened to the extent
// (with a twentieth to spare), and a maximum range that holds both.  The plot
// shown at its default range follows the new default; a range the user chose
// stays.  An axis of what cannot exceed xEnd (crystals, 100 wt %) ends there
// at most.
void fitRanges(CPlotView* v, float defaultX, float defaultY, float maxX, float maxY, const Extent& e,
               float xEnd = std::numeric_limits<float>::infinity()) {
    const float x1 = std::min(xEnd, std::max(defaultX, niceAxisEnd(1.05 * e.x)));
    const float y1 = std::max(defaultY, niceAxisEnd(1.05 * e.y));
    v->setMaxXYRange(0, std::max(maxX, x1), 0, std::max(maxY, y1));
    float c0, c1, d0, d1, o0, o1, p0, p1;
    v->getXYRange(&c0, &c1, &d0, &d1);
    v->getDefaultXYRange(&o0, &o1, &p0, &p1);
    if (o0 == 0 && o1 == x1 && p0 == 0 && p1 == y1) return;
    const bool atDefault = c0 == o0 && c1 == o1 && d0 == p0 && d1 == p1;
    v->setDefaultXYRange(0, x1, 0, y1);
    // Shown through setXYRange, so that an open axis-range panel follows.
    if (atDefault) v->setXYRange(0, x1, 0, y1);
    else v->setXYRange(c0, c1, d0, d1);
}

// A pane that scrolls its contents up and down, never sideways: it is at
// least as wide as its contents (with the font and style they are shown in)
// beside its vertical scroll bar.
class VerticalScrollPane : public QScrollArea {
public:
    explicit VerticalScrollPane(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    QSize minimumSizeHint() const override {
        const int contents = widget() ? widget()->minimumSizeHint().width() : 0;
        return {contents + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * frameWidth() + 2,
                QScrollArea::minimumSizeHint().height()};
    }
    QSize sizeHint() const override { return {minimumSizeHint().width(), QScrollArea::sizeHint().height()}; }
};

// The parts of a document window that a window opening beside it leaves
// clear (screen coordinates): the shown part of `controls` (the eruption
// controls), the case commands and the status line, and the document
// window's title bar and menus.
std::vector<QRect> keepClearOf(const QWidget* controls) {
    std::vector<QRect> clear;
    if (!controls || !controls->isVisible()) return clear;
    auto keepShown = [&clear](const QWidget* w) {
        const QRect shown = w->visibleRegion().boundingRect();
        if (!shown.isEmpty()) clear.emplace_back(w->mapToGlobal(shown.topLeft()), shown.size());
    };
    keepShown(controls);
    // The case commands and the status line of the same window stay in view too.
    for (const char* name : {"addCase", "duplicateCase", "deleteCase", "mStatus"})
        if (const auto* w = controls->window()->findChild<const QWidget*>(QLatin1String(name)); w && w->isVisible())
            keepShown(w);
    if (const auto* doc = qobject_cast<const QMainWindow*>(controls->window())) {
        const QRect frame = doc->frameGeometry();
        int bottom = doc->geometry().top() - 1;  // the title bar
        if (const QWidget* menus = doc->menuWidget(); menus && menus->isVisible())
            bottom = menus->mapToGlobal(QPoint(0, menus->height() - 1)).y();
        if (bottom >= frame.top()) clear.emplace_back(QPoint(frame.left(), frame.top()), QPoint(frame.right(), bottom));
    }
    return clear;
}

// Places a window that is being opened clear of rectangles (screen
// coordinates), at its final position before it shows: where it was when
// the user had it open before and that is clear, else beside the first
// rectangle (the controls), else at the clear position nearest to that; made
// smaller (down to a usable size) where the screen has no room for it whole;
// left as it is when not even that fits.  The position is set explicitly, so
// that the window manager keeps it rather than placing the window itself.
void placeClearOf(QWidget* window, const std::vector<QRect>& keepClear) {
    if (!window || keepClear.empty()) return;
    const QRect area = availableScreenArea(window, nullptr);
    // A window not shown yet has no frame: room is kept for a title bar and borders.
    const bool framed = window->isVisible() && window->frameGeometry() != window->geometry();
    const QSize decoration = framed ? window->frameGeometry().size() - window->size() : QSize(16, 48);
    const QSize outer = window->size() + decoration;
    const bool placedBefore = window->testAttribute(Qt::WA_Moved) || window->isVisible();
    const QRect& controls = keepClear.front();
    const QPoint preferred = placedBefore ? window->frameGeometry().topLeft() : QPoint(controls.right() + 1, controls.top());
    const QRect r = placementClearOf(area, outer, QSize(320, 200) + decoration, keepClear, preferred);
    if (r.isEmpty()) return;
    if (r.size() != outer) window->resize(r.size() - decoration);
    window->move(r.topLeft());  // a window's position is its frame's
}
}  // namespace

int MyDocument::sRunningSequences = 0;

MyDocument::MyDocument() = default;

ChamberCalculator& MyDocument::eruptionCalculator() {
    if (!mEruptionCalc) mEruptionCalc = std::make_unique<ChamberCalculator>();
    return *mEruptionCalc;
}

MyDocument::~MyDocument() {
    delete mEruptionTable.data();
    platform::NotificationCenter::defaultCenter().removeObserver(mPlotSelectionToken);
    if (mListView && mListView->selectionModel()) mListView->selectionModel()->disconnect(this);
    mListView = nullptr;
    mModel = nullptr;
    destroyWindow();
}

bool MyDocument::readFromData(std::string_view bytes, std::string& error) {
    std::string repairs;
    platform::PlistReadResult r = mList.readFromData(bytes, &repairs);
    if (!r.ok) {
        error = r.error;
        return false;
    }
    setReadingNotice(QString::fromStdString(repairs));
    if (mModel) {
        mUseEOS->setChecked(mList.gasDensitiesFromEOS());
        mModel->reload();
        selectRow(mList.empty() ? -1 : 0);
        // The form shows the case read, even where the selection stayed on row 0.
        tableViewSelectionDidChange();
    }
    return true;
}

void MyDocument::addFormRow(QGridLayout* grid, int row, const QString& label, const std::string& key,
                            QLineEdit*& field, FieldStepper*& stepper, const QString& unit, double increment,
                            double lo, double hi) {
    QWidget* parent = grid->parentWidget();
    grid->addWidget(new QLabel(label, parent), row, 0);
    field = new QLineEdit(parent);
    field->setObjectName(QString::fromStdString(key.empty() ? "mPfrac" : key));
    field->setMinimumWidth(96);
    field->setAlignment(Qt::AlignRight);
    grid->addWidget(field, row, 1);
    stepper = new FieldStepper(parent);
    stepper->setIncrement(increment);
    stepper->setRange(lo, hi);
    grid->addWidget(stepper, row, 2);
    grid->addWidget(unitLabel(unit, parent), row, 3);
    if (!key.empty()) {
        mTextFields.push_back({key, field, stepper, label});
        field->installEventFilter(this);
    }
}

QWidget* MyDocument::buildForm(QWidget* parent) {
    auto* form = new QWidget(parent);
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(0, 0, 0, 0);

    // Melt.
    auto* melt = new QGroupBox(QStringLiteral("Melt"), form);
    auto* meltGrid = new QGridLayout(melt);
    mMeltType = new QButtonGroup(melt);
    const char* meltNames[] = {"2700 kg/m\u00B3 at 1473 K", "2300 kg/m\u00B3 at 1173 K", "User-defined melt"};
    for (int tag = 0; tag < 3; ++tag) {
        auto* b = new QRadioButton(QString::fromUtf8(meltNames[tag]), melt);
        mMeltType->addButton(b, tag);
        meltGrid->addWidget(b, tag, 0, 1, 4);
    }
    addFormRow(meltGrid, 3, QStringLiteral("Melt density"), "rhol0", mMeltRho, mStepMeltRho,
               QString::fromUtf8("kg/m\u00B3"), 10, 0, 10000);
    addFormRow(meltGrid, 4, QStringLiteral("Crystal density"), "rhoc0", mCrystalsRho, mStepCrystaRho,
               QString::fromUtf8("kg/m\u00B3"), 10, 0, 10000);
    addFormRow(meltGrid, 5, QStringLiteral("Temperature"), "T0", mT0, mStepT, QStringLiteral("K"), 10, 0, 3000);
    column->addWidget(melt);

    // Volatile.
    auto* vol = new QGroupBox(QStringLiteral("Volatile"), form);
    auto* volGrid = new QGridLayout(vol);
    mFluidType = new QButtonGroup(vol);
    const char* fluidNames[] = {"H2O", "CO2", "User-defined volatile (ideal gas, 18 g/mol)", "H2O-CO2 mixture"};
    for (int tag = 0; tag < 4; ++tag) {
        auto* b = new QRadioButton(QString::fromUtf8(fluidNames[tag]), vol);
        mFluidType->addButton(b, tag);
        volGrid->addWidget(b, tag, 0, 1, 4);
    }
    addFormRow(volGrid, 4, QStringLiteral("Solubility factor s"), "sa", mExsols, mStepExsols,
               QString::fromUtf8("Pa\u207B\u207F"), 1e-9, 0, 1);
    addFormRow(volGrid, 5, QStringLiteral("Solubility exponent n"), "na", mExsoln, mStepExsoln, QStringLiteral("-"),
               0.01, 0, 2);
    auto* law = new QLabel(QString::fromUtf8("dissolved/melt = s\u00B7P\u207F, P in Pa"), vol);
    law->setEnabled(false);
    volGrid->addWidget(law, 6, 0, 1, 4);
    addFormRow(volGrid, 7, QStringLiteral("CO2 share of the volatiles"), "zb", mzCO2, mStepzCO2, QStringLiteral("%"),
               1, 0, 100);
    mUseEOS = new QCheckBox(QStringLiteral("Gas densities from the equations of state"), vol);
    mUseEOS->setObjectName(QStringLiteral("mUseEOS"));
    mUseEOS->setToolTip(QStringLiteral("H2O from IAPWS-95, CO2 from the IUPAC equation, their mixture as the ideal "
                                       "mix of the two; unticked, an ideal gas"));
    // The user-defined volatile has no equation of state: say so beside the box.
    auto* userGas = new QLabel(QStringLiteral("The user-defined volatile is always an ideal gas."), vol);
    userGas->setObjectName(QStringLiteral("userVolatileIdealGas"));
    userGas->setEnabled(false);
    volGrid->addWidget(userGas, 9, 0, 1, 4);
    // The document's own setting: a file read before the window was made sets it.
    mUseEOS->setChecked(mList.gasDensitiesFromEOS());
    volGrid->addWidget(mUseEOS, 8, 0, 1, 4);
    column->addWidget(vol);

    // Chamber.
    auto* ch = new QGroupBox(QStringLiteral("Chamber"), form);
    auto* chGrid = new QGridLayout(ch);
    // The stepper keeps to the pressures the chamber model takes.
    addFormRow(chGrid, 0, QStringLiteral("Initial pressure P0"), "P0", mP0, mStepP0, QStringLiteral("bar"), 10,
               TaitJaupart::kMinPressure / 1e5, kMaxPressureBar);
    addFormRow(chGrid, 1, QStringLiteral("Initial volatile content"), "wt0", mVolaWt0, mStepVola0,
               QStringLiteral("wt %"), 0.01, 0, 100);
    auto* saturate = new QPushButton(QStringLiteral("Saturate"), ch);
    saturate->setObjectName(QStringLiteral("saturateButton"));
    saturate->setToolTip(QStringLiteral("Sets the initial volatile content to what the melt dissolves at P0"));
    mImposeSaturation = new QCheckBox(QStringLiteral("Always saturated"), ch);
    mImposeSaturation->setObjectName(QStringLiteral("mImposeSaturation"));
    auto* satRow = new QHBoxLayout;
    satRow->addWidget(saturate);
    satRow->addWidget(mImposeSaturation);
    satRow->addStretch(1);
    chGrid->addLayout(satRow, 2, 0, 1, 4);
    addFormRow(chGrid, 3, QStringLiteral("Initial crystal content"), "cr0", mCrystaWt0, mStepCrysta0,
               QStringLiteral("wt %"), 1, 0, 99);
    addFormRow(chGrid, 4, QStringLiteral("Final crystal content"), "cr1", mCrystaWt1, mStepCrysta1,
               QStringLiteral("wt %"), 1, 0, 99);
    addFormRow(chGrid, 5, QString::fromUtf8("Chamber elastic modulus \u03BC"), "mu", mMu, mStepMu,
               QStringLiteral("Pa"), 1e9, TaitJaupart::kMinModulus, TaitJaupart::kMaxModulus);
    addFormRow(chGrid, 6, QString::fromUtf8("Melt bulk modulus \u03B2"), "beta", mBeta, mStepBeta, QStringLiteral("Pa"),
               1e9, TaitJaupart::kMinModulus, TaitJaupart::kMaxModulus);
    // The range the model computes with, where the user types a modulus.
    for (QLineEdit* f : {mMu, mBeta})
        f->setToolTip(QStringLiteral("From %1 Pa to %2 Pa: rocks and melts lie near 1e10 Pa.")
                          .arg(TaitJaupart::kMinModulus, 0, 'g')
                          .arg(TaitJaupart::kMaxModulus, 0, 'g'));
    addFormRow(chGrid, 7, QStringLiteral("Chamber volume"), "chamber", mChamberVol, mStepChamberVol,
               QString::fromUtf8("km\u00B3"), 1, 0, 1e6);
    column->addWidget(ch);

    // Eruptions.
    auto* er = new QGroupBox(QStringLiteral("Eruptions"), form);
    er->setObjectName(QStringLiteral("eruptionControls"));
    mEruptionBox = er;
    auto* erGrid = new QGridLayout(er);
    addFormRow(erGrid, 0, QStringLiteral("Overpressure at eruption"), std::string(), mPfrac, mStepPfrac,
               QStringLiteral("bar"), 10, 1, 10000);
    auto* erupt = new QPushButton(QStringLiteral("Eruptive sequence"), er);
    erupt->setObjectName(QStringLiteral("eruptionButton"));
    erupt->setToolTip(QStringLiteral("Writes the eruptions until half of the chamber mass is crystals to the log"));
    auto* showLog = new QPushButton(QStringLiteral("Show log"), er);
    showLog->setObjectName(QStringLiteral("showLog"));
    auto* showTable = new QPushButton(QStringLiteral("Show table"), er);
    showTable->setObjectName(QStringLiteral("showEruptionTable"));
    showTable->setToolTip(QStringLiteral("Shows the last eruption table whole, every row"));
    auto* erRow = new QHBoxLayout;
    erRow->addWidget(erupt);
    erRow->addWidget(showLog);
    erRow->addWidget(showTable);
    erRow->addStretch(1);
    erGrid->addLayout(erRow, 1, 0, 1, 4);
    column->addWidget(er);
    column->addStretch(1);

    // The chamber volume and the eruption threshold have their own actions;
    // every other control recalculates.
    for (const FormEntry& e : mTextFields) {
        if (e.key == "chamber") {
            connect(e.field, &QLineEdit::editingFinished, this, [this, f = e.field] { onStepMagmaChamber(f); });
            connect(e.stepper, &FieldStepper::valueChanged, this, [this, s = e.stepper] { onStepMagmaChamber(s); });
            continue;
        }
        connect(e.field, &QLineEdit::editingFinished, this, [this, f = e.field] { onCalculateExsolData(f); });
        connect(e.stepper, &FieldStepper::valueChanged, this, [this, s = e.stepper] { onCalculateExsolData(s); });
    }
    // The sequence runs on Return in its field and on its button only: leaving
    // the field (Tab, a click elsewhere) or stepping the threshold just sets it.
    connect(mPfrac, &QLineEdit::returnPressed, this, [this] { onCalculateEruptiveSequence(mPfrac); });
    connect(mPfrac, &QLineEdit::editingFinished, this, [this] {
        if (mErupting) return;  // the running threshold stays shown (see onCalculateEruptiveSequence)
        if (auto v = fieldNumber(mPfrac)) mStepPfrac->setValue(*v);
    });
    connect(mStepPfrac, &FieldStepper::valueChanged, this, [this] {
        if (!mErupting) setFieldNumber(mPfrac, mStepPfrac->value());
        else onCalculateEruptiveSequence(mStepPfrac);
    });
    connect(erupt, &QPushButton::clicked, this, [this, erupt] { onCalculateEruptiveSequence(erupt); });
    connect(showLog, &QPushButton::clicked, this, [this] { onShowLog(mEruptionBox); });
    connect(showTable, &QPushButton::clicked, this, [this] { onShowEruptionTable(); });
    connect(saturate, &QPushButton::clicked, this, [this] { onSaturateInitialFluid(); });
    connect(mMeltType, &QButtonGroup::idClicked, this, [this] { onCalculateExsolData(mMeltType); });
    connect(mFluidType, &QButtonGroup::idClicked, this, [this] { onCalculateExsolData(mFluidType); });
    connect(mUseEOS, &QCheckBox::clicked, this, [this] { onCalculateExsolData(mUseEOS); });
    connect(mImposeSaturation, &QCheckBox::clicked, this, [this] { onCalculateExsolData(mImposeSaturation); });
    return form;
}

QWidget* MyDocument::buildResults(QWidget* parent) {
    auto* box = new QGroupBox(QStringLiteral("Results (chamber of 1000 kg)"), parent);
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("<b>Initial</b>"), box), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("<b>Final</b>"), box), 0, 2, Qt::AlignCenter);
    int row = 1;
    auto make = [&](const std::string& name) -> QLineEdit* {
        if (name.empty()) return nullptr;
        auto* f = new QLineEdit(box);
        f->setObjectName(QString::fromStdString(name));
        f->setReadOnly(true);
        f->setFocusPolicy(Qt::ClickFocus);
        f->setAlignment(Qt::AlignRight);
        f->setFixedWidth(84);
        mResultFields[name] = f;
        return f;
    };
    auto add = [&](const QString& label, const std::string& initial, const std::string& final, const QString& unit) {
        auto* name = new QLabel(label, box);
        grid->addWidget(name, row, 0);
        // Rows of water name the user-defined volatile when it is the chamber's.
        if (label.endsWith(QLatin1String("H2O"))) {
            QString user = label;
            user.replace(QLatin1String("Gas mass of H2O"), QLatin1String("Gas mass of the volatile"))
                .replace(QLatin1String("Dissolved mass of H2O"), QLatin1String("Dissolved mass of the volatile"))
                .replace(QLatin1String(": H2O"), QLatin1String(": the volatile"));
            mVolatileLabels.push_back({name, label, user});
        }
        if (QLineEdit* f = make(initial)) grid->addWidget(f, row, 1);
        if (QLineEdit* f = make(final)) grid->addWidget(f, row, 2);
        grid->addWidget(unitLabel(unit, box), row, 3);
        ++row;
    };
    const QString wt = QStringLiteral("wt %");
    const QString kg = QStringLiteral("kg");
    add(QStringLiteral("Pressure"), "", "mP1", QStringLiteral("bar"));
    add(QStringLiteral("Overpressure P - P0"), "", "mOverpressure", QStringLiteral("bar"));
    add(QStringLiteral("Melt with dissolved volatiles"), "mMeltWt0", "mMeltWt1", wt);
    add(QStringLiteral("Gas"), "mGasWt0", "mGasWt1", wt);
    add(QStringLiteral("Volatiles dissolved"), "mDissolWt0", "mDissolWt1", QStringLiteral("% volat."));
    add(QStringLiteral("Volatiles exsolved"), "mExsolWt0", "mExsolWt1", QStringLiteral("% volat."));
    add(QStringLiteral("Gas volume"), "mGasVol0", "mGasVol1", QStringLiteral("vol %"));
    add(QStringLiteral("Melt volume"), "mMeltVol0", "mMeltVol1", QStringLiteral("vol %"));
    add(QStringLiteral("Crystal volume"), "mCrystalVol0", "mCrystalVol1", QStringLiteral("vol %"));
    add(QStringLiteral("Bulk density"), "mDensity0", "mDensity1", QString::fromUtf8("kg/m\u00B3"));
    add(QStringLiteral("Volatiles dissolved in the melt"), "mVolam0", "mVolam1", wt);
    add(QStringLiteral("Volatiles in melt and gas"), "mVolamg0", "mVolamg1", wt);
    add(QStringLiteral("Volatile-free melt mass"), "mMl0", "mMl1", kg);
    add(QStringLiteral("Crystal mass"), "mMc0", "mMc1", kg);
    add(QStringLiteral("Gas: CO2"), "mCO2gas0", "mCO2gas1", QStringLiteral("%"));
    add(QStringLiteral("Gas: H2O"), "mH2Ogas0", "mH2Ogas1", QStringLiteral("%"));
    add(QStringLiteral("Dissolved: CO2"), "mCO2liq0", "mCO2liq1", QStringLiteral("%"));
    add(QStringLiteral("Dissolved: H2O"), "mH2Oliq0", "mH2Oliq1", QStringLiteral("%"));
    add(QStringLiteral("Gas mass of H2O"), "mMga0", "mMga1", kg);
    add(QStringLiteral("Gas mass of CO2"), "mMgb0", "mMgb1", kg);
    add(QStringLiteral("Dissolved mass of H2O"), "mMda0", "mMda1", kg);
    add(QStringLiteral("Dissolved mass of CO2"), "mMdb0", "mMdb1", kg);
    mUndersaturatedMsg0 = new QLabel(QStringLiteral("Undersaturated:\nno gas"), box);
    mUndersaturatedMsg1 = new QLabel(QStringLiteral("Undersaturated:\nno gas"), box);
    for (QLabel* l : {mUndersaturatedMsg0, mUndersaturatedMsg1}) {
        l->setStyleSheet(QStringLiteral("color: #b00000;"));
        l->setAlignment(Qt::AlignCenter);
        l->setHidden(true);
    }
    mUndersaturatedMsg0->setObjectName(QStringLiteral("mUndersaturatedMsg0"));
    mUndersaturatedMsg1->setObjectName(QStringLiteral("mUndersaturatedMsg1"));
    grid->addWidget(mUndersaturatedMsg0, row, 1);
    grid->addWidget(mUndersaturatedMsg1, row, 2);
    ++row;
    auto* line = new QFrame(box);
    line->setFrameShape(QFrame::HLine);
    grid->addWidget(line, row++, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("<b>Chamber expansion at the final state</b>"), box), row++, 0, 1, 4);
    const QString mm3 = QString::fromUtf8("10\u2076 m\u00B3");
    add(QStringLiteral("Volume increase"), "", "mChamberExp", mm3);
    add(QString::fromUtf8("Relative increase \u0394V/V0"), "", "mChamberRel", QStringLiteral("-"));
    add(QStringLiteral("Liquid expelled"), "", "mExpulLiquid", mm3);
    add(QStringLiteral("Liquid expelled, at 1 bar"), "", "mExpandedLiquid", mm3);
    grid->setRowStretch(row, 1);
    return box;
}

void MyDocument::setUpPlot(CPlotView* view, float maxX, float defaultX, const char* xLabel) {
    view->setMaxXYRange(0, maxX, 0, kMaxPressureBar);
    view->setDefaultXYRange(0, defaultX, 0, 2600);
    view->setLabels(xLabel, "P (bar)");
    view->setTicksNumber(11, 11);
    view->setTicksDigits(1, 1);
    view->showSelectionPoint(true);
}

void MyDocument::buildCasesPane(QWidget* parent) {
    auto* casesPane = new QWidget(parent);
    auto* cases = new QVBoxLayout(casesPane);
    cases->setContentsMargins(0, 0, 0, 0);
    cases->addWidget(new QLabel(QStringLiteral("<b>Cases</b>"), casesPane));
    mListView = new MyTableView(casesPane);
    mListView->setObjectName(QStringLiteral("caseTable"));
    mModel = new CaseTableModel(&mList, mListView);
    // Editing a name marks the document changed without a new calculation.
    mModel->emptyNameRefused = [this](int row) {
        showStatus(QStringLiteral("A case needs a name: \"%1\" keeps its name.")
                       .arg(mModel->data(mModel->index(row, 0), Qt::DisplayRole).toString()));
    };
    mModel->nameEdited = [this](int row, const PropertyList& before) {
        recordEdit(QStringLiteral("Change Of Case Name"), before, row);
    };
    mListView->setModel(mModel);
    mListView->horizontalHeader()->setStretchLastSection(true);
    mListView->verticalHeader()->hide();
    mListView->setKeyDelegate(this);
    mListView->setDeletable(true);
    mListView->setMinimumWidth(100);
    cases->addWidget(mListView, 1);
    // The commands one above the other, so that the pane can be narrow.
    auto* addCase = new QPushButton(QStringLiteral("Add"), casesPane);
    auto* dupCase = new QPushButton(QStringLiteral("Duplicate"), casesPane);
    auto* delCase = new QPushButton(QStringLiteral("Delete"), casesPane);
    addCase->setObjectName(QStringLiteral("addCase"));
    dupCase->setObjectName(QStringLiteral("duplicateCase"));
    delCase->setObjectName(QStringLiteral("deleteCase"));
    for (QPushButton* b : {addCase, dupCase, delCase}) cases->addWidget(b);
    cases->addWidget(new QLabel(QStringLiteral("Comment"), casesPane));
    mComment = new QLineEdit(casesPane);
    mComment->setObjectName(QStringLiteral("comment"));
    mComment->installEventFilter(this);
    cases->addWidget(mComment);
    connect(addCase, &QPushButton::clicked, this, [this] { onAddCase(); });
    connect(dupCase, &QPushButton::clicked, this, [this] { onDuplicateCase(); });
    connect(delCase, &QPushButton::clicked, this, [this] { onDeleteCase(); });
    connect(mComment, &QLineEdit::editingFinished, this, [this] { onChangeComment(); });
}

void MyDocument::installCancelKeys(QMainWindow* window) {
    // Escape, and Ctrl+period (Cmd+period on a Mac), cancel a running
    // sequence wherever the keyboard is in the document window, as the
    // progress panel's Cancel does; between runs they are left to the fields.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Period)}) {
        auto* k = new QShortcut(keys, window);
        k->setContext(Qt::WindowShortcut);
        k->setEnabled(false);
        connect(k, &QShortcut::activated, this, [this] {
            if (!mErupting) return;
            mCancelRun = true;
            // Not a message of its own that would outlast the run: the run's end text follows.
            mStatus->setText(QStringLiteral("Cancelling the eruption sequence..."));
        });
        mCancelKeys.push_back(k);
    }
}

void MyDocument::windowControllerDidLoad(QMainWindow* window) {
    // The eruption table names its document as the window does, also after Save As.
    connect(this, &Document::fileNameChanged, this, [this] {
        if (mEruptionTable) mEruptionTable->setDocumentName(displayName());
    });
    // Panes side by side that the user can widen or narrow: the cases, the
    // form, the results and the plots.  The form and the results scroll up
    // and down each in its own pane, so that both result columns stand beside
    // the form on a screen 1024 wide; the plots take the rest.
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("panes"));
    splitter->setChildrenCollapsible(false);

    buildCasesPane(splitter);

    // The form and the results, each in a pane as wide as its contents that scrolls vertically.
    auto verticalPane = [splitter](QWidget* content, const char* name) {
        auto* area = new VerticalScrollPane(splitter);
        area->setObjectName(QLatin1String(name));
        area->setWidget(content);
        return area;
    };
    // Form, results and plots in reach without scrolling sideways:
    //  - side by side where the screen has room for the cases, the form, both
    //    result columns and the plots at a usable width;
    //  - else the results below the form in the form's pane, the plots beside;
    //  - else (a screen about 800 wide) the plots below the results, in the
    //    same pane, which scrolls up and down.
    QWidget* formContent = buildForm(nullptr);
    mFormContent = formContent;
    QWidget* resultsContent = buildResults(nullptr);
    formContent->ensurePolished();
    resultsContent->ensurePolished();
    const int scrollBar = splitter->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // The plots are where a new starting point is clicked.
    constexpr int kPlotWidth = 360;
    const int panes = mListView->minimumWidth() + 3 * splitter->handleWidth() + 40;
    const int formWidth = formContent->minimumSizeHint().width(), resultsWidth = resultsContent->minimumSizeHint().width();
    const int sideBySide = panes + formWidth + resultsWidth + 2 * scrollBar + kPlotWidth;
    const int stacked = panes + std::max(formWidth, resultsWidth) + scrollBar + kPlotWidth;
    const QScreen* screen = window->screen();
    const int screenWidth = screen ? screen->availableGeometry().width() : sideBySide;
    const bool resultsBesideForm = screenWidth >= sideBySide;
    const bool plotsBesideForm = screenWidth >= stacked;

    // The two plots, one above the other.
    auto* plotsPane = new QWidget;
    plotsPane->setObjectName(QStringLiteral("plotsPane"));
    auto* plots = new QVBoxLayout(plotsPane);
    plots->setContentsMargins(0, 0, 0, 0);
    mExsolView = new CDrawPlotView(plotsPane);
    mExsolView->setObjectName(QStringLiteral("mExsolView"));
    mPressureView = new CDrawPlotView(plotsPane);
    mPressureView->setObjectName(QStringLiteral("mPressureView"));
    for (CDrawPlotView* v : {mExsolView, mPressureView}) {
        // Below the results the plots take the pane's width and a height of their own.
        v->setMinimumSize(300, plotsBesideForm ? 180 : 300);
        v->resize(560, 440);
        v->setPlotView();
        plots->addWidget(v, 1);
    }

    QScrollArea* formPane = nullptr;
    QScrollArea* resultsPane = nullptr;
    if (resultsBesideForm) {
        formPane = verticalPane(formContent, "formPane");
        resultsPane = verticalPane(resultsContent, "resultsPane");
    } else {
        auto* both = new QWidget;
        auto* stack = new QVBoxLayout(both);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->addWidget(formContent);
        stack->addWidget(resultsContent);
        if (!plotsBesideForm) stack->addWidget(plotsPane);
        formPane = verticalPane(both, "formPane");
    }
    if (plotsBesideForm) splitter->addWidget(plotsPane);
    setUpPlot(mExsolView->plotView(), 10, 10, "Volatile (wt %)");
    setUpPlot(mPressureView->plotView(), 100, 20, "Crystals (wt %)");
    mExsolView->installButtons();
    mPressureView->installButtons();
    // Zooms, range, legend, thickness, marker-size and font changes of both
    // plots are the document's edits: Edit > Undo and Redo take them back.
    mExsolView->setUndoStack(undoManager());
    mPressureView->setUndoStack(undoManager());
    for (int i = 0; i + 1 < splitter->count(); ++i) splitter->setStretchFactor(i, 0);
    splitter->setStretchFactor(splitter->count() - 1, 1);
    QList<int> sizes{120, formPane->minimumSizeHint().width()};
    if (resultsPane) sizes << resultsPane->minimumSizeHint().width();
    if (plotsBesideForm) sizes << 600;
    splitter->setSizes(sizes);

    // On a screen narrower than the panes the window scrolls rather than squeezes them.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("windowScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(splitter);

    // The status line under the panes, wrapped so that a long refusal reads whole.
    auto* central = new QWidget(window);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(scroll, 1);
    mStatus = new QLabel(central);
    mStatus->setObjectName(QStringLiteral("mStatus"));
    mStatus->setStyleSheet(QStringLiteral("color: #b00000;"));
    mStatus->setWordWrap(true);
    mStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mStatus->setMinimumHeight(mStatus->fontMetrics().height());
    column->addWidget(mStatus);
    window->setCentralWidget(central);
    // Its own size where the screen has room; the controller then fits the
    // window, with its frame, inside the screen's available area.
    window->resize(1600, 960);

    installCancelKeys(window);

    mPlotSelectionToken = platform::NotificationCenter::defaultCenter().addObserver(
        kPlotSelection, nullptr, [this](const std::string&, const void* sender) { onPlotSelection(sender); });

    // Starting values of the form; the first case loaded replaces them.
    // Numbers are written as every number the document shows (the moduli both "1e+10").
    setFieldNumber(mP0, 1000);
    setFieldNumber(mMu, 1e10);
    setFieldNumber(mBeta, 1e10);
    setFieldNumber(mzCO2, 0);
    setFieldNumber(mPfrac, 50);
    mStepPfrac->setValue(50);
    mSaturated = false;
    mExsolViewConcentrationUnit = kUnitNotChosen;

    connect(mListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        tableViewSelectionDidChange();
        emit selectedCaseChanged(selectedRow());
    });
    if (mList.empty()) {
        // A new document starts with one case, is not marked as changed and
        // has nothing to undo.
        mList.addCase(-1);
        mModel->reload();
        selectRow(0);
    } else {
        selectRow(0);
    }
}

int MyDocument::selectedRow() const { return mListView ? mListView->selectedRow() : -1; }

void MyDocument::selectRow(int row) {
    if (mListView) mListView->selectRowOnly(row);
}

std::string MyDocument::selectedCaseName() const {
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= mList.size()) return {};
    const PropertyList* name = mList.at(static_cast<size_t>(row)).find("name");
    return name ? caseValueDescription(*name) : std::string();
}

QLineEdit* MyDocument::field(const std::string& key) const {
    if (key == "comment") return mComment;
    for (const FormEntry& e : mTextFields)
        if (e.key == key) return e.field;
    return nullptr;
}

FieldStepper* MyDocument::stepper(const std::string& key) const {
    for (const FormEntry& e : mTextFields)
        if (e.key == key) return e.stepper;
    return nullptr;
}

QLineEdit* MyDocument::resultField(const std::string& name) const {
    auto it = mResultFields.find(name);
    return it == mResultFields.end() ? nullptr : it->second;
}

CaseForm MyDocument::formSnapshot() const {
    CaseForm form;
    const int row = selectedRow();
    if (row >= 0 && static_cast<size_t>(row) < mList.size()) {
        if (const PropertyList* name = mList.at(static_cast<size_t>(row)).find("name")) form.values.set("name", *name);
    }
    if (!mComment) return form;
    form.values.set("comment", PropertyList::string(mComment->text().toStdString()));
    // With no button checked the kind is the case's own, which the form cannot show.
    for (auto [key, group] : {std::pair{"melt", mMeltType}, std::pair{"fluid", mFluidType}}) {
        if (group->checkedId() >= 0) form.values.set(key, PropertyList::integer(group->checkedId()));
        else if (row >= 0 && static_cast<size_t>(row) < mList.size()) {
            if (const PropertyList* v = mList.at(static_cast<size_t>(row)).find(key)) form.values.set(key, *v);
        }
    }
    for (const FormEntry& e : mTextFields) form.values.set(e.key, fieldValue(e.field));
    form.useEOS = mUseEOS->isChecked();
    form.imposeSaturation = mImposeSaturation->isChecked();
    form.saturated = mSaturated;
    return form;
}

void MyDocument::showForm(const CaseForm& form) {
    if (!mComment) return;
    if (const PropertyList* c = form.values.find("comment")) mComment->setText(QString::fromStdString(caseValueDescription(*c)));
    // A kind the form has no button for (a file written elsewhere) leaves no
    // button checked, rather than the previous case's, which would be computed
    // and written over the case's own value.
    for (auto [group, id] : {std::pair{mMeltType, form.melt()}, std::pair{mFluidType, form.fluid()}}) {
        if (QAbstractButton* b = group->button(id)) {
            b->setChecked(true);
        } else if (QAbstractButton* checked = group->checkedButton()) {
            group->setExclusive(false);
            checked->setChecked(false);
            group->setExclusive(true);
        }
    }
    for (const FormEntry& e : mTextFields) showValue(e.field, form.values.find(e.key));
}

void MyDocument::showCaseSelected(bool selected) {
    // Without a selected case the form, the comment and the plots take no
    // edit: an edit always belongs to a case.
    for (QWidget* w : {mFormContent, static_cast<QWidget*>(mComment), static_cast<QWidget*>(mExsolView),
                       static_cast<QWidget*>(mPressureView)})
        if (w) w->setEnabled(selected);
    // Nor do the results and plots show a case that is not there (the one
    // just deleted).
    if (!selected && mExsolView && mPressureView) {
        mResult = CalculationResult();
        showResultFields();
        for (CDrawPlotView* v : {mExsolView, mPressureView}) {
            v->plotView()->purge();
            v->plotView()->setNeedsDisplay();
        }
    }
    if (!selected && mStatus)
        mStatus->setText(mList.empty() ? QStringLiteral("The document holds no case: add one with \"Add\".")
                                       : QStringLiteral("No case is selected: select one in the list to show and "
                                                        "edit it."));
}

void MyDocument::tableViewSelectionDidChange() {
    const int row = selectedRow();
    showCaseSelected(row >= 0 && static_cast<size_t>(row) < mList.size());
    if (row < 0 || mList.empty() || !mComment) return;
    CaseForm form(mList.at(static_cast<size_t>(row)));
    showForm(form);
    // The saturation imposed belongs to the case it was imposed on: another
    // case (or the file read again) has its own pressure and content.
    mSaturated = false;
    onCalculateExsolData(nullptr);
}

std::vector<std::string> MyDocument::storeInSelectedCase(const CaseForm& form) {
    std::vector<std::string> changed;
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= mList.size()) return changed;
    for (const std::string& key : caseKeys()) {
        if (key == "name") continue;  // the table edits the name
        const PropertyList* v = form.values.find(key);
        const PropertyList* stored = mList.at(static_cast<size_t>(row)).find(key);
        if (!v || (stored && sameFormValue(*stored, *v))) continue;
        mList.setValue(row, key, *v);
        changed.push_back(key);
    }
    return changed;
}

void MyDocument::onCalculateExsolData(QObject* sender) {
    if (!mComment) return;
    // A stepper's value goes into its field first.
    for (const FormEntry& e : mTextFields)
        if (sender == e.stepper) setFieldNumber(e.field, e.stepper->value());
    if (sender == mP0) {
        if (auto p = fieldNumber(mP0); p && *p > mStepP0->maximum())
            mStepP0->setMaximum(*p);
    }
    CaseForm form = formSnapshot();
    if (sender) {
        // A change of an input that moves the saturation content makes the
        // imposed saturation stale.
        const int row = selectedRow();
        if (row >= 0 && static_cast<size_t>(row) < mList.size()) {
            const PropertyList& stored = mList.at(static_cast<size_t>(row));
            for (const std::string& key : caseKeys()) {
                const PropertyList* was = stored.find(key);
                const PropertyList* now = form.values.find(key);
                if (CaseForm::changesSaturation(key) && was && now && !sameFormValue(*was, *now)) mSaturated = false;
            }
        } else if (sender == mVolaWt0 || sender == mStepVola0 || sender == mP0 || sender == mStepP0 ||
                   sender == mzCO2 || sender == mStepzCO2 || sender == mFluidType || sender == mMeltType ||
                   sender == mExsols || sender == mStepExsols || sender == mExsoln || sender == mStepExsoln) {
            mSaturated = false;
        }
        form.saturated = mSaturated;
    }
    calculate(std::move(form), sender != nullptr, editName(sender));
}

void MyDocument::calculate(CaseForm form, bool edited, const QString& what) {
    const PropertyList before = mList.cases();
    const bool useEOSBefore = mList.gasDensitiesFromEOS();
    const int row = selectedRow();
    const PlotRanges rangesBefore = plotRanges();
    // What the model says about the case while it computes (densities of its
    // gases extrapolated beyond their equations' range, said once per model)
    // goes where the user looks at the case: its status line and the log.
    std::vector<platform::ThreadLogCapture::Entry> said;
    {
        platform::ThreadLogCapture capture;
        try {
            mResult = mCalc.calculate(form, selectedCaseName());
        } catch (const std::exception& e) {
            // Memory running out (or any failure thrown) stops this calculation
            // only: the form and the document stay as they are.
            mResult = CalculationResult();
            ChamberApplication::recoverFrom(e);
            mResult.status = ChamberApplication::failureText(e, QStringLiteral("The calculation")).toStdString();
            ChamberApplication::reportFailure(QString::fromStdString(mResult.status));
        }
        said = capture.take();
    }
    // The status line tells what is missing first; a note stands there otherwise.
    if (const std::string notes = tellModelNotes(said); !notes.empty() && mResult.status.empty()) mResult.status = notes;
    // What the crystallisation curve leaves out (where and why) is said with
    // every calculation that draws it.
    for (const std::string& note : mResult.curveNotes)
        mResult.status += (mResult.status.empty() ? "" : " ") + note;
    mSaturated = form.saturated;
    showForm(form);

    // Inputs the model takes from the form are editable; the others show the model's values.
    for (QLineEdit* f : {mMeltRho, mCrystalsRho, mT0}) f->setReadOnly(!mResult.meltEditable);
    for (FieldStepper* s : {mStepMeltRho, mStepCrystaRho, mStepT}) s->setEnabled(mResult.meltEditable);
    mExsols->setReadOnly(!mResult.solubilityEditable);
    mExsoln->setReadOnly(!mResult.solubilityEditable);
    mStepExsols->setEnabled(mResult.solubilityEditable);
    mStepExsoln->setEnabled(mResult.solubilityEditable);
    mzCO2->setEnabled(mResult.co2ShareEditable);
    mStepzCO2->setEnabled(mResult.co2ShareEditable);
    offerKinds(form.melt(), form.fluid());
    for (const VolatileLabel& l : mVolatileLabels)
        l.label->setText(form.fluid() == kChamberFluidUser ? l.user : l.water);

    // The steppers follow their fields; moduli and the solubility factor step by a tenth of their value.
    for (const FormEntry& e : mTextFields)
        if (auto v = form.number(e.key)) e.stepper->setValue(*v);
    for (FieldStepper* s : {mStepMu, mStepBeta, mStepExsols})
        if (s->value() > 0.0) s->setIncrement(s->value() / 10.0);
    // The steppers reach the whole range the model computes with.
    mStepMu->setMaximum(TaitJaupart::kMaxModulus);
    mStepBeta->setMaximum(TaitJaupart::kMaxModulus);

    // Every change of a case counts, so that nothing is lost on closing.  A
    // case only loaded counts as changed when more than the values the model
    // fixes for its melt and volatile were rewritten (an imposed saturation).
    bool changed = false;
    for (const std::string& key : storeInSelectedCase(form)) {
        const bool fixedByModel = ((key == "rhol0" || key == "rhoc0" || key == "T0") && !mResult.meltEditable) ||
                                  ((key == "sa" || key == "na") && !mResult.solubilityEditable) ||
                                  (key == "zb" && !mResult.co2ShareEditable);
        changed = changed || edited || !fixedByModel;
    }
    // The gas densities are a setting of the document, which every case's
    // results depend on: kept with it, and its change is an edit.
    if (form.useEOS != useEOSBefore) {
        mList.setGasDensitiesFromEOS(form.useEOS);
        changed = true;
    }

    setExsolutionUnit(mResult.unit);
    if (!mResult.exsolXLabel.empty()) mExsolView->plotView()->setLabels(mResult.exsolXLabel, "P (bar)");
    buildSolubilityView();
    buildPressureView();
    fitPlotRanges();

    // An edit goes on the undo stack (which counts it); a case only loaded
    // and rewritten counts as a change that is not undone.
    if (edited && changed)
        recordEdit(what.isEmpty() ? QStringLiteral("Change Of Case") : what, before, row, rangesBefore, useEOSBefore);
    else if (changed && !mRestoring) updateChangeCount(ChangeDone);
}

namespace {
// An edit of a document's cases, undone and redone whole: the cases, the
// selected row and the plots' ranges before and after it (an edit that
// changes the unit of the volatile axis resets that plot's range: undone, the
// plot comes back as the user had it).  It is pushed once done, so its first
// redo has nothing to do.
class CaseEditCommand : public QUndoCommand {
public:
    struct State {
        PropertyList cases;
        int row;
        MyDocument::PlotRanges ranges;
        bool gasDensitiesFromEOS;
    };
    CaseEditCommand(MyDocument* doc, const QString& text, State before, State after)
        : QUndoCommand(text), mDoc(doc), mBefore(std::move(before)), mAfter(std::move(after)) {}
    void undo() override { mDoc->restoreCases(mBefore.cases, mBefore.row, &mBefore.ranges, mBefore.gasDensitiesFromEOS); }
    void redo() override {
        if (std::exchange(mPushed, false)) return;
        mDoc->restoreCases(mAfter.cases, mAfter.row, &mAfter.ranges, mAfter.gasDensitiesFromEOS);
    }

private:
    MyDocument* mDoc;
    State mBefore, mAfter;
    bool mPushed = true;
};
}  // namespace

MyDocument::PlotRanges MyDocument::plotRanges() const {
    PlotRanges r;
    if (!mExsolView || !mPressureView) return r;
    mExsolView->plotView()->getXYRange(&r.exsol[0], &r.exsol[1], &r.exsol[2], &r.exsol[3]);
    mPressureView->plotView()->getXYRange(&r.pressure[0], &r.pressure[1], &r.pressure[2], &r.pressure[3]);
    return r;
}

void MyDocument::showPlotRanges(const PlotRanges& r) {
    if (!mExsolView || !mPressureView) return;
    // Through setXYRange, which an open axis-range panel follows and which is
    // no edit of its own.
    mExsolView->plotView()->setXYRange(r.exsol[0], r.exsol[1], r.exsol[2], r.exsol[3]);
    mPressureView->plotView()->setXYRange(r.pressure[0], r.pressure[1], r.pressure[2], r.pressure[3]);
    mExsolView->plotView()->setNeedsDisplay();
    mPressureView->plotView()->setNeedsDisplay();
}

std::string MyDocument::tellModelNotes(const std::vector<platform::ThreadLogCapture::Entry>& said) {
    std::vector<platform::ThreadLogCapture::Entry> others;
    std::string notes;
    for (const auto& e : said) {
        if (e.channel != platform::ThreadLogCapture::Channel::Diagnostic) {
            others.push_back(e);
            continue;
        }
        // Each model of the document (the form's, the eruption sequence's)
        // says its notes once: the document tells each once.
        if (!mNotesSaid.insert(e.text).second) continue;
        CLogWindow::sharedLogWindowCtroller()->appendString(e.text);
        std::string line = e.text;
        while (!line.empty() && line.back() == '\n') line.pop_back();
        notes += (notes.empty() ? "" : " ") + line;
    }
    platform::ThreadLogCapture::replay(others);
    return notes;
}

void MyDocument::recordEdit(const QString& what, const PropertyList& before, int rowBefore,
                            std::optional<PlotRanges> rangesBefore, std::optional<bool> useEOSBefore) {
    const bool useEOS = mList.gasDensitiesFromEOS();
    if (mRestoring || (before == mList.cases() && useEOSBefore.value_or(useEOS) == useEOS)) return;
    undoManager()->push(new CaseEditCommand(this, what,
                                            {before, rowBefore, rangesBefore.value_or(plotRanges()),
                                             useEOSBefore.value_or(useEOS)},
                                            {mList.cases(), selectedRow(), plotRanges(), useEOS}));
}

void MyDocument::restoreCases(const PropertyList& cases, int row, const PlotRanges* ranges,
                              std::optional<bool> gasDensitiesFromEOS) {
    if (!mModel) return;
    const bool wasRestoring = std::exchange(mRestoring, true);
    mList.setCases(cases);
    if (gasDensitiesFromEOS) {
        mList.setGasDensitiesFromEOS(*gasDensitiesFromEOS);
        mUseEOS->setChecked(*gasDensitiesFromEOS);
    }
    mModel->reload();
    selectRow(mList.empty() ? -1 : std::clamp(row, 0, static_cast<int>(mList.size()) - 1));
    // The form, results and plots of the case put back, even where the
    // selection stayed on its row.
    tableViewSelectionDidChange();
    if (ranges) showPlotRanges(*ranges);
    mRestoring = wasRestoring;
}

void MyDocument::offerKinds(int melt, int fluid) {
    // Each of the pair is offered unless the other is chosen alone; a case
    // holding both (a file written elsewhere) leaves both to be changed.
    QAbstractButton* mixture = mFluidType->button(kChamberFluidH2OCO2);
    QAbstractButton* userMelt = mMeltType->button(kChamberMeltUser);
    const bool both = melt == kChamberMeltUser && fluid == kChamberFluidH2OCO2;
    mixture->setEnabled(both || melt != kChamberMeltUser);
    userMelt->setEnabled(both || fluid != kChamberFluidH2OCO2);
    mixture->setToolTip(mixture->isEnabled() ? QString()
                                             : QStringLiteral("Not for a user-defined melt: its solubility factor s "
                                                              "and exponent n are the law of one volatile, and the "
                                                              "mixture needs the melt's CO2 law too, which only the "
                                                              "preset melts have."));
    userMelt->setToolTip(userMelt->isEnabled() ? QString()
                                               : QStringLiteral("Not with the H2O-CO2 mixture: a user-defined melt "
                                                                "has one solubility law (s and n), and the mixture "
                                                                "needs the melt's CO2 law too. Choose a single "
                                                                "volatile for a user-defined melt."));
}

QString MyDocument::editName(const QObject* sender) const {
    for (const FormEntry& e : mTextFields)
        if (sender == e.field || sender == e.stepper) return QStringLiteral("Change Of ") + e.label;
    if (sender == mMeltType) return QStringLiteral("Change Of Melt");
    if (sender == mFluidType) return QStringLiteral("Change Of Volatile");
    if (sender == mUseEOS) return QStringLiteral("Change Of Gas Densities");
    if (sender == mImposeSaturation) return QStringLiteral("Change Of Saturation");
    return QStringLiteral("Change Of Case");
}

bool MyDocument::hasPendingEdit(const QLineEdit* field) const {
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= mList.size()) return false;
    const PropertyList& c = mList.at(static_cast<size_t>(row));
    if (field == mComment) {
        const PropertyList* stored = c.find("comment");
        return !stored || !sameFormValue(*stored, PropertyList::string(mComment->text().toStdString()));
    }
    for (const FormEntry& e : mTextFields) {
        if (e.field != field) continue;
        const PropertyList* stored = c.find(e.key);
        return !stored || !sameFormValue(*stored, fieldValue(e.field));
    }
    return false;
}

bool MyDocument::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* field = qobject_cast<QLineEdit*>(watched);
        const bool undo = key->matches(QKeySequence::Undo), redo = key->matches(QKeySequence::Redo);
        if (field && (undo || redo) && !hasPendingEdit(field)) {
            if (undo) undoManager()->undo();
            else undoManager()->redo();
            return true;
        }
    }
    return Document::eventFilter(watched, event);
}

void MyDocument::fitPlotRanges() {
    const bool ppm = mExsolViewConcentrationUnit == kUnitPpm;
    const float presetX = ppm ? 12000.0f : 10.0f;
    Extent ex;
    ex.add(mResult.exsolutionPath);
    ex.add(mResult.exsolInitial);
    ex.add(mResult.exsolFinal);
    // The solubility curve runs over the laws' whole range of pressure: it
    // leaves the plot through its right edge, and lies inside it below.
    const double right = std::max<double>(presetX, niceAxisEnd(1.05 * ex.x));
    for (const CurveXY& p : mResult.solubilityCurve)
        if (p.x <= right && std::isfinite(p.y)) ex.y = std::max(ex.y, p.y);
    fitRanges(mExsolView->plotView(), presetX, 2600, presetX, kMaxPressureBar, ex);
    Extent pr;
    pr.add(mResult.crystallizationCurve);
    pr.add(mResult.pressureInitial);
    pr.add(mResult.pressureFinal);
    fitRanges(mPressureView->plotView(), 20, 2600, 100, kMaxPressureBar, pr, 100);
    mExsolView->plotView()->setNeedsDisplay();
    mPressureView->plotView()->setNeedsDisplay();
}

void MyDocument::setExsolutionUnit(int unit) {
    if (unit == mExsolViewConcentrationUnit) return;
    mExsolViewConcentrationUnit = unit;
    const float maxX = unit == kUnitPpm ? 12000.0f : 10.0f;
    CPlotView* v = mExsolView->plotView();
    // Ranges kept for undo come back in the new unit.
    v->setXUnitScale(unit == kUnitPpm ? 10000.0f : 1.0f);
    v->setMaxXYRange(0, maxX, 0, kMaxPressureBar);
    v->setDefaultXYRange(0, maxX, 0, 2600);
}

void MyDocument::buildSolubilityView() {
    CPlotView* v = mExsolView->plotView();
    v->purge();
    if (!mResult.solubilityCurve.empty()) {
        auto curve = std::make_shared<CGraphCurve>();
        for (const CurveXY& p : mResult.solubilityCurve)
            curve->addPoint(static_cast<float>(p.x), static_cast<float>(p.y), false);
        curve->setColor(Color::redColor());
        v->addGraphObject(curve);
    }
    v->setNeedsDisplay();
}

void MyDocument::showResultFields() {
    for (auto& [name, f] : mResultFields) {
        f->setText(resultText(mResult.field(name)));
        showFromStart(f);
        f->setToolTip(mResult.field(name).hasValue() || !mResult.field(name).text.empty()
                          ? QString()
                          : QString::fromStdString(mResult.status));
    }
    mUndersaturatedMsg0->setHidden(!(mResult.initialState && mResult.undersaturated0));
    mUndersaturatedMsg1->setHidden(!(mResult.finalState && mResult.undersaturated1));
    mStatus->setText(QString::fromStdString(mResult.status));
}

void MyDocument::buildPressureView() {
    showResultFields();

    // The closed-form terms go to the log while it is open.
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    if (log->isWindowVisible() && selectedRow() >= 0 && !mResult.logLines.empty()) {
        for (size_t i = 0; i + 1 < mResult.logLines.size(); ++i) log->appendString1(mResult.logLines[i]);
        log->appendString2(mResult.logLines.back());
        log->scrollToEnd();
    }

    auto marker = [](const CurveXY& p, int selector) {
        auto m = std::make_shared<CGraphPoint>();
        m->setPoint(static_cast<float>(p.x), static_cast<float>(p.y));
        m->setSelector(selector);
        return m;
    };
    auto curveOf = [this](const std::vector<CurveXY>& points) { return curveOfRows(points, mResult.curveBreaks); };
    // Exsolution plot: the initial and final states and the path between them.
    CPlotView* ex = mExsolView->plotView();
    if (mResult.exsolInitial) ex->addGraphObject(marker(*mResult.exsolInitial, 1));
    if (mResult.exsolFinal) ex->addGraphObject(marker(*mResult.exsolFinal, 2));
    if (!mResult.exsolutionPath.empty()) ex->addGraphObject(curveOf(mResult.exsolutionPath));
    ex->setNeedsDisplay();

    // Pressure plot: pressure against crystal content, with both states.
    CPlotView* pr = mPressureView->plotView();
    pr->purge();
    if (!mResult.crystallizationCurve.empty()) pr->addGraphObject(curveOf(mResult.crystallizationCurve));
    if (mResult.pressureInitial) pr->addGraphObject(marker(*mResult.pressureInitial, 1));
    if (mResult.pressureFinal) pr->addGraphObject(marker(*mResult.pressureFinal, 2));
    pr->setNeedsDisplay();
}

std::shared_ptr<CGraphCurve> MyDocument::curveOfRows(const std::vector<CurveXY>& points,
                                                     const std::vector<size_t>& breaks) {
    auto c = std::make_shared<CGraphCurve>();
    auto gap = breaks.begin();
    for (size_t i = 0; i < points.size(); ++i) {
        const float x = static_cast<float>(points[i].x), y = static_cast<float>(points[i].y);
        for (; gap != breaks.end() && *gap <= i; ++gap)
            if (*gap == i) c->addPoint(x, y, true);
        c->addPoint(x, y, false);
    }
    return c;
}

void MyDocument::doSaturateFluid() {
    CaseForm form = formSnapshot();
    std::string why;
    if (mCalc.saturateFluid(form, why)) {
        mSaturated = true;
        if (auto w = form.number("wt0")) setFieldNumber(mVolaWt0, *w);
    } else if (mStatus) {
        showStatus(QString::fromStdString(why));
    }
}

void MyDocument::onSaturateInitialFluid() {
    if (!mComment) return;
    doSaturateFluid();
    CaseForm form = formSnapshot();
    calculate(std::move(form), true, QStringLiteral("Saturate"));
}

void MyDocument::onStepMagmaChamber(QObject* sender) {
    if (!mComment) return;
    if (sender == mStepChamberVol) {
        setFieldNumber(mChamberVol, mStepChamberVol->value());
    } else if (auto v = fieldNumber(mChamberVol)) {
        mStepChamberVol->setValue(*v);
    }
    std::string why;
    for (auto& [name, value] : mCalc.chamberExpansion(fieldValue(mChamberVol), &why)) mResult.fields[name] = value;
    // With a final state the status line can only be telling about the chamber volume.
    if (mResult.finalState) mResult.status = why;
    showResultFields();
    const PropertyList before = mList.cases();
    if (!storeInSelectedCase(formSnapshot()).empty()) recordEdit(editName(mChamberVol), before, selectedRow());
}

void MyDocument::onShowEruptionTable() {
    if (!mEruptionTable) {
        showStatus(QStringLiteral("No eruption table yet: \"Eruptive sequence\" computes one."));
        return;
    }
    // Also when it is already open (behind the document, or moved over the
    // controls since): raised where it stands it would cover their buttons.
    if (mEruptionBox && mEruptionBox->isVisible())
        placeClearOf(mEruptionTable, keepClearOf(mEruptionBox));
    showInsideScreen(mEruptionTable, window());
    mEruptionTable->raise();
    mEruptionTable->activateWindow();
}

void MyDocument::onPlotSelection(const void* sender) {
    if (!mExsolView || !mPressureView) return;
    ChamberCalculator::Plot which;
    CDrawPlotView* container = nullptr;
    if (sender == mExsolView->plotView() || sender == mExsolView || sender == mExsolView->plotWidget()) {
        which = ChamberCalculator::Plot::exsolution;
        container = mExsolView;
    } else if (sender == mPressureView->plotView() || sender == mPressureView ||
               sender == mPressureView->plotWidget()) {
        which = ChamberCalculator::Plot::pressure;
        container = mPressureView;
    } else {
        return;  // a plot of another document
    }
    const CPlotView* v = container->plotView();
    CaseForm form = formSnapshot();
    const int unit = mExsolViewConcentrationUnit == kUnitNotChosen ? mResult.unit : mExsolViewConcentrationUnit;
    if (!ChamberCalculator::applyPlotSelection(form, which, v->selectedPointX(), v->selectedPointY(),
                                               v->selectionKeyShift(), unit))
        return;
    mSaturated = form.saturated;
    showForm(form);
    calculate(std::move(form), true, QStringLiteral("Change Of State Chosen In A Plot"));
}

void MyDocument::showStatus(const QString& message) {
    if (mErupting) mToldDuringRun = true;
    if (mStatus) mStatus->setText(message);
    else Document::showStatus(message);
}

void MyDocument::commitEditing() {
    if (!mComment) return;
    mListView->commitOpenEditor();
    onChangeComment();
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= mList.size()) return;
    for (const FormEntry& e : mTextFields) {
        // Every calculation stores the whole form in the case: a field that
        // differs from it holds an edit not yet applied.
        const PropertyList* stored = mList.at(static_cast<size_t>(row)).find(e.key);
        if (stored && sameFormValue(*stored, fieldValue(e.field))) continue;
        if (e.key == "chamber") onStepMagmaChamber(e.field);
        else onCalculateExsolData(e.field);
    }
}

void MyDocument::onChangeComment() {
    const int row = selectedRow();
    if (row < 0 || static_cast<size_t>(row) >= mList.size() || !mComment) return;
    PropertyList comment = PropertyList::string(mComment->text().toStdString());
    const PropertyList* stored = mList.at(static_cast<size_t>(row)).find("comment");
    if (stored && sameFormValue(*stored, comment)) return;
    const PropertyList before = mList.cases();
    mList.setValue(row, "comment", std::move(comment));
    recordEdit(QStringLiteral("Change Of Comment"), before, row);
}

void MyDocument::onAddCase() {
    const PropertyList before = mList.cases();
    const int from = selectedRow();
    const PlotRanges rangesBefore = plotRanges();
    int row = mList.addCase(from);
    if (mModel) mModel->reload();
    selectRow(row);
    recordEdit(QStringLiteral("Add Case"), before, from, rangesBefore);
}

void MyDocument::onDuplicateCase() {
    const PropertyList before = mList.cases();
    const int from = selectedRow();
    const PlotRanges rangesBefore = plotRanges();
    int row = mList.duplicateCase(from);
    if (row < 0) return;
    if (mModel) mModel->reload();
    selectRow(row);
    recordEdit(QStringLiteral("Duplicate Case"), before, from, rangesBefore);
}

void MyDocument::onDeleteCase() {
    const PropertyList before = mList.cases();
    const int from = selectedRow();
    const PlotRanges rangesBefore = plotRanges();
    if (!mList.deleteCase(from)) return;
    if (mModel) mModel->reload();
    // The case that took the deleted one's row (or, for the last row, the one
    // before it) is selected and shown: the form never goes on showing, and
    // taking edits for, a case that is gone.
    selectRow(mList.empty() ? -1 : std::min(from, static_cast<int>(mList.size()) - 1));
    tableViewSelectionDidChange();
    recordEdit(QStringLiteral("Delete Case"), before, from, rangesBefore);
}

void MyDocument::onShowLog(const QWidget* keepClear, bool activate) {
    CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
    // At least 700 wide, and wide enough for the eruption table's rows.
    const int tableWidth = log->widthForColumns(static_cast<int>(ChamberCalculator::eruptionTableHeader().size()));
    const bool opening = !log->isWindowVisible();
    if (opening) log->setContentSize(std::max(700, tableWidth), 300);
    // The log does not open over the eruption controls that asked for it:
    // placed before it shows, so that the window manager takes the position.
    if (opening && keepClear && keepClear->isVisible())
        placeClearOf(log->window(), keepClearOf(keepClear));
    log->showWindow(activate);
}

void MyDocument::tableViewShiftDownSelectedRow(MyTableView*) {
    const PropertyList before = mList.cases();
    const int from = selectedRow();
    const PlotRanges rangesBefore = plotRanges();
    int row = mList.shiftDownSelectedRow(from);
    if (row < 0) return;
    if (mModel) mModel->reload();
    selectRow(row);
    recordEdit(QStringLiteral("Move Case Down"), before, from, rangesBefore);
}

void MyDocument::tableViewShiftUpSelectedRow(MyTableView*) {
    const PropertyList before = mList.cases();
    const int from = selectedRow();
    const PlotRanges rangesBefore = plotRanges();
    int row = mList.shiftUpSelectedRow(from);
    if (row < 0) return;
    if (mModel) mModel->reload();
    selectRow(row);
    recordEdit(QStringLiteral("Move Case Up"), before, from, rangesBefore);
}

void MyDocument::tableViewDeleteSelectedRow(MyTableView*) { onDeleteCase(); }
