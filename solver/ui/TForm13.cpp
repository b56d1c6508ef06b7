#include "solver/ui/TForm13.h"

#include "dialogs/TForm8.h"
#include "dialogs/TForm9.h"
#include "compiler/TForm12.h"
#include "document/RMORVDocument.h"
#include "solver/RRazava.h"
#include "solver/RRunCommit.h"
#include "solver/RunEvent.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Geometry of the Watch panel: collapsed, and the frame around its list (header and buttons
// rows).
constexpr int kCollapsedPanel = 35;
constexpr int kHeaderRow = 29;
constexpr int kButtonRow = 28;
constexpr int kPanelMargin = 3;
constexpr int kVisibleRows = 10;

QLineEdit* readOnlyField(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

QWidget* labelled(QWidget* parent, const QString& caption, QWidget* field)
{
    auto* box = new QWidget(parent);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    auto* label = new QLabel(caption, box);
    label->setBuddy(field);
    column->addWidget(label);
    column->addWidget(field);
    return box;
}

void setLabelColours(QLabel* label, const QColor& text, const QColor& background)
{
    label->setStyleSheet(QStringLiteral("QLabel { color: %1; background-color: %2; }")
                             .arg(text.name(), background.name()));
}

} // namespace

TForm13::TForm13(QWidget* owner, RMORVDocument& doc, std::unique_ptr<RRazava>& solverObject,
                 const QString& fontName, int fontSize)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_doc(doc)
    , m_solverObject(solverObject)
    , m_fontName(fontName)
    , m_fontSize(fontSize)
{
    setObjectName(QStringLiteral("Form13"));
    setSizeGripEnabled(false);

    auto* top = new QWidget(this);
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(8, 6, 8, 4);
    LabeledEdit1 = readOnlyField(top, "LabeledEdit1");
    LabeledEdit2 = readOnlyField(top, "LabeledEdit2");
    LabeledEdit3 = readOnlyField(top, "LabeledEdit3");
    grid->addWidget(labelled(top, QStringLiteral("Time"), LabeledEdit1), 0, 0);
    grid->addWidget(labelled(top, QStringLiteral("Iteration"), LabeledEdit2), 0, 1);
    grid->addWidget(labelled(top, QStringLiteral("Error"), LabeledEdit3), 0, 2);
    Label1 = new QLabel(top);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setMinimumWidth(110);
    Label1->setAutoFillBackground(true);
    setLabelColours(Label1, Qt::red, palette().color(QPalette::Button));
    grid->addWidget(Label1, 0, 3, Qt::AlignBottom);
    StaticText1 = new QLabel(top);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StaticText1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    grid->addWidget(StaticText1, 1, 0, 1, 4);
    SpeedButton1 = new QPushButton(QStringLiteral("Stop"), top);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoDefault(false);
    grid->addWidget(SpeedButton1, 2, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 3);
    // The part above the Watch panel keeps the height its fields need.
    m_topHeight = top->sizeHint().height();
    top->setFixedHeight(m_topHeight);

    CategoryPanelGroup1 = new QWidget(this);
    CategoryPanelGroup1->setObjectName(QStringLiteral("CategoryPanelGroup1"));
    auto* groupColumn = new QVBoxLayout(CategoryPanelGroup1);
    groupColumn->setContentsMargins(0, 0, 0, 0);
    CategoryPanel1 = new QWidget(CategoryPanelGroup1);
    CategoryPanel1->setObjectName(QStringLiteral("CategoryPanel1"));
    groupColumn->addWidget(CategoryPanel1, 0, Qt::AlignTop);
    auto* panelColumn = new QVBoxLayout(CategoryPanel1);
    panelColumn->setContentsMargins(kPanelMargin, kPanelMargin, kPanelMargin, kPanelMargin);
    panelColumn->setSpacing(0);
    CategoryPanel1Header = new QToolButton(CategoryPanel1);
    CategoryPanel1Header->setObjectName(QStringLiteral("CategoryPanel1Header"));
    CategoryPanel1Header->setText(QStringLiteral("Watch"));
    CategoryPanel1Header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    CategoryPanel1Header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    CategoryPanel1Header->setFixedHeight(kHeaderRow);
    CategoryPanel1Header->setAutoRaise(true);
    panelColumn->addWidget(CategoryPanel1Header);
    auto* buttonsBox = new QWidget(CategoryPanel1);
    buttonsBox->setFixedHeight(kButtonRow);
    auto* buttons = new QHBoxLayout(buttonsBox);
    buttons->setContentsMargins(0, 0, 0, 2);
    const auto button = [buttonsBox](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), buttonsBox);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    SpeedButton2 = button("Input data", "SpeedButton2");
    SpeedButton3 = button("Control data", "SpeedButton3");
    SpeedButton4 = button("Compile list", "SpeedButton4");
    buttons->addWidget(SpeedButton2);
    buttons->addWidget(SpeedButton3);
    buttons->addWidget(SpeedButton4);
    buttons->addStretch(1);
    panelColumn->addWidget(buttonsBox);
    ListView1 = new QTableWidget(CategoryPanel1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    panelColumn->addWidget(ListView1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(top);
    column->addWidget(CategoryPanelGroup1);
    column->setSizeConstraint(QLayout::SetNoConstraint);

    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QPushButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(SpeedButton4, &QPushButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(CategoryPanel1Header, &QToolButton::clicked, this, [this] {
        if (m_expanded)
            CategoryPanel1Collapse();
        else
            CategoryPanel1Expand();
    });

    runBody = [](RRazava& engine) { engine.SolveEquation(); };
    buildWatchList();
}

TForm13::~TForm13()
{
    // The window refuses to close while a run goes on; should it be destroyed all the same,
    // the run is stopped and its threads are waited for before the engine can go.
    if (m_exec) {
        if (m_solverObject)
            m_solverObject->globalData()->stopRequest.store(1);
        while (!m_runEnded)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // Only a close commits; a window that never closed leaves the run's files as they are.
    m_solverObject.reset();
}

void TForm13::buildWatchList()
{
    const SControlData& control = *m_doc.compiler->control;
    const SSymbolTable& symbols = *m_doc.compiler->symbols;
    SpeedButton2->setEnabled(control.inputCount > 0);

    ListView1->setColumnCount(4);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::NoSelection);
    ListView1->setFocusPolicy(Qt::NoFocus);
    ListView1->setShowGrid(true);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->hide();
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setHighlightSections(false);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Rows are at least 17 pixels and always tall enough for the font.
    m_rowHeight = std::max(17, ListView1->fontMetrics().height() + 4);
    ListView1->verticalHeader()->setMinimumSectionSize(m_rowHeight);
    ListView1->verticalHeader()->setDefaultSectionSize(m_rowHeight);
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    ListView1->setRowCount(0);
    const int n = std::min<int>(control.variableCount, symbols.variableNames.size());
    ListView1->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        auto* name = new QTableWidgetItem(symbols.variableNames[i]);
        ListView1->setItem(i, 0, name);
        for (int c = 1; c <= 3; ++c) {
            auto* value = new QTableWidgetItem(QStringLiteral("-"));
            value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ListView1->setItem(i, c, value);
        }
    }
    m_cellAttributes = symbols.variableAttributes;

    m_watch = watchPoints(m_doc);
    const QStringList captions = watchColumnCaptions(m_doc, m_watch);
    ListView1->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), captions.value(0), captions.value(1), captions.value(2)});
    ListView1->setColumnWidth(0, 100);
    for (int c = 1; c <= 3; ++c)
        ListView1->setColumnWidth(c, 130);
    // With a scroll bar beside the rows the list keeps its four columns whole.
    ListView1->setVerticalScrollBarPolicy(n > kVisibleRows ? Qt::ScrollBarAlwaysOn
                                                           : Qt::ScrollBarAsNeeded);
    header->setFixedHeight(std::max(header->sizeHint().height(), 24));
    const int frame = 2 * ListView1->frameWidth();
    const int listHeight = std::min(n, kVisibleRows) * m_rowHeight + header->height() + frame;
    ListView1->setFixedHeight(listHeight);
    const int scrollWidth = n > kVisibleRows ? ListView1->verticalScrollBar()->sizeHint().width() : 0;
    ListView1->setFixedWidth(100 + 3 * 130 + frame + scrollWidth);
    m_panelHeight = listHeight + kHeaderRow + kButtonRow + 2 * kPanelMargin;
    setFixedWidth(ListView1->width() + 2 * kPanelMargin);

    CategoryPanel1Collapse();
}

void TForm13::CategoryPanel1Expand()
{
    m_expanded = true;
    CategoryPanel1Header->setArrowType(Qt::DownArrow);
    ListView1->show();
    SpeedButton2->parentWidget()->show();
    CategoryPanel1->setFixedHeight(m_panelHeight);
    CategoryPanelGroup1->setFixedHeight(m_panelHeight + 2);
    resizeToPanel();
}

void TForm13::CategoryPanel1Collapse()
{
    m_expanded = false;
    CategoryPanel1Header->setArrowType(Qt::RightArrow);
    ListView1->hide();
    SpeedButton2->parentWidget()->hide();
    CategoryPanel1->setFixedHeight(kCollapsedPanel);
    CategoryPanelGroup1->setFixedHeight(kCollapsedPanel);
    resizeToPanel();
}

void TForm13::resizeToPanel()
{
    setFixedHeight(CategoryPanelGroup1->height() + m_topHeight);
}

void TForm13::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        FormShow();
    }
}

void TForm13::refuse(const QString& status)
{
    SpeedButton1->setText(QStringLiteral("Close"));
    StaticText1->setText(status);
}

void TForm13::FormShow()
{
    setWindowTitle(QStringLiteral("Execution : ")
                   + (m_doc.named ? m_doc.documentFileName : QStringLiteral("Untitled")));
    const QString dataFile = m_doc.documentFolder + QFileInfo(m_doc.documentFileName).completeBaseName()
                             + QStringLiteral(".MVAT$");
    const std::string path = QFile::encodeName(dataFile).toStdString();

    // The run lock comes first: while another run of this data file holds it, building an
    // engine would already open that run's log and parameter file.
    m_solverObject.reset();
    m_runEvent = std::make_unique<RunEvent>(path);
    if (!m_runEvent->acquire()) {
        m_runEvent.reset();
        refuse(QStringLiteral("Already in execution ?"));
        return;
    }
    try {
        m_solverObject = std::make_unique<RRazava>("MORV", path);
    } catch (...) {
        m_solverObject.reset();
        m_runEvent.reset();
        refuse(QStringLiteral("Error on startup [99]"));
        return;
    }
    MORVGlobalData& g = *m_solverObject->globalData();
    const int status = g.runStatus.load();
    if (status != 0) {
        m_runEvent.reset();
        refuse(QStringLiteral("Error on startup [%1]").arg(status));
        return;
    }
    g.runEvent = m_runEvent.get();
    g.setWatchPoints(std::vector<int>(m_watch.begin(), m_watch.end()));
    SpeedButton1->setText(QStringLiteral("Stop"));
    m_runStarted = true;
    m_exec = new TMVExec(this, m_solverObject.get(), runBody);
}

void TForm13::runThreadEnded()
{
    // The run event closes: the lock goes back, so the data file can be run again.
    if (m_solverObject)
        m_solverObject->globalData()->runEvent = nullptr;
    m_runEvent.reset();
    m_exec = nullptr;
    m_runEnded = true;
    SpeedButton1->setText(QStringLiteral("Close"));
    const MORVGlobalData* g = m_solverObject ? m_solverObject->globalData() : nullptr;
    showFinished(!g || g->runStatus.load() != 0 || g->stopRequest.load() != 0);
}

void TForm13::showExecuting()
{
    setLabelColours(Label1, Qt::white, Qt::red);
    Label1->setText(QStringLiteral("Executing ..."));
}

void TForm13::showFinished(bool failedOrStopped)
{
    // Lime text on the button face would be hard to read; the success colour goes to the
    // background instead.
    if (failedOrStopped)
        setLabelColours(Label1, Qt::red, palette().color(QPalette::Button));
    else
        setLabelColours(Label1, Qt::black, QColor(0x00, 0xFF, 0x00));
    Label1->setText(QStringLiteral("Finished"));
}

void TForm13::SpeedButton1Click()
{
    if (SpeedButton1->text() == QStringLiteral("Close")) {
        close();
        return;
    }
    if (m_solverObject)
        m_solverObject->globalData()->stopRequest.store(1);
}

void TForm13::SpeedButton2Click()
{
    if (m_doc.compiler->control->inputCount <= 0)
        return;
    TForm9 form(m_doc, this);
    form.Button1->setEnabled(false);
    form.exec();
}

void TForm13::SpeedButton3Click()
{
    TForm8 form(m_doc, this);
    form.Button1->setEnabled(false);
    form.exec();
}

void TForm13::SpeedButton4Click()
{
    TForm12 viewer(this, m_doc, m_fontName, m_fontSize);
    viewer.compileList = &m_doc.compileList;
    viewer.exec();
}

void TForm13::done(int result)
{
    // While the run thread lives the window stays: it is the only owner of the engine.
    if (m_exec)
        return;
    if (!m_closed)
        FormClose();
    QDialog::done(result);
}

void TForm13::FormClose()
{
    m_closed = true;
    if (m_runStarted && m_runEnded && m_solverObject) {
        const MORVGlobalData& g = *m_solverObject->globalData();
        const int stop = g.stopRequest.load();
        if (g.runStatus.load() == 0 && stop != 1 && stop != 2)
            commitRunFiles(QFile::encodeName(m_doc.documentFolder + m_doc.documentFileName).toStdString());
    }
    m_solverObject.reset();
}
